#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "settings/RegVal.h"
#include "settings/atomicfile.h"
#include "settings/replaceretry.h"
#include "shell/error.h"

namespace tessara {
namespace {

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, buffer);
  std::string folder = std::string(buffer) + "regval_win32_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

TRegVal Sample() {
  TRegVal s;
  s.UseStartUpDir = false;
  s.Set_Booleans({"Sound=1"});
  s.Set_Floats({"Zoom=1.25"});
  s.Set_Integers({"Color=$707070"});
  s.Set_Strings({"Caption=first"});
  return s;
}

TEST(RegValWin32, IniRoundTripReplacesTheExistingFile) {
  const std::string folder = TempFolder();
  const std::string path = folder + "tswin.ini";
  ASSERT_TRUE(WriteFileAtomic(path, "; kept\r\n[Other]\r\nx=1\r\n"));

  TRegVal s = Sample();
  s.IniFileName = path;
  s.IniSection = "3";
  s.ReadSettings();
  s.StoreString("Caption", "second");
  s.StoreInteger("Color", -7);
  s.WriteSettings();  // replaces the file that is already there
  s.StoreString("Caption", "third");
  s.WriteSettings();

  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes,
            "; kept\r\n[Other]\r\nx=1\r\n[3\\Booleans]\r\nSound=1\r\n[3\\Floats]\r\nZoom=1.25\r\n"
            "[3\\Integers]\r\nColor=-7\r\n[3\\Strings]\r\nCaption=third\r\n");
  // The profile functions of the system read what the store wrote.
  char value[64] = {};
  GetPrivateProfileStringA("3\\Strings", "caption", "", value, sizeof value, path.c_str());
  EXPECT_STREQ(value, "third");

  TRegVal back = Sample();
  back.IniFileName = path;
  back.IniSection = "3";
  back.ReadSettings();
  EXPECT_EQ(back.IntegerValue("Color"), -7);
  EXPECT_EQ(back.StringValue("Caption"), "third");
  EXPECT_EQ(back._Floats()[0], "Zoom=1.25");

  // A target in a folder that does not exist cannot be written.
  back.IniFileName = folder + "none\\tswin.ini";
  try {
    back.WriteSettings();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + back.IniFileName);
  }

  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));  // no temporary file was left behind
}

TEST(RegValWin32, OversizedIniFileReadsAsMissing) {
  const std::string folder = TempFolder();
  const std::string path = folder + "big.ini";
  for (const std::size_t size : {TRegVal::kMaxFileSize, TRegVal::kMaxFileSize + 1}) {
    SCOPED_TRACE(size);
    const std::string head = "[Integers]\r\nColor=5\r\n;";
    ASSERT_TRUE(WriteFileAtomic(path, head + std::string(size - head.size(), 'x')));
    TRegVal s = Sample();
    s.IniFileName = path;
    s.ReadSettings();
    EXPECT_EQ(s.IntegerValue("Color"), size > TRegVal::kMaxFileSize ? 7368816 : 5);
  }
  TRegVal s = Sample();
  s.IniFileName = path;
  s.WriteSettings();  // the oversized file is replaced
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.find("[Integers]\r\nColor=7368816\r\n"), bytes.find("[Integers]"));
  EXPECT_LT(bytes.size(), 200u);
  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

TEST(RegValWin32, RegistryRoundTrip) {
  const std::string key = "Software\\TessaraRegValTest" + std::to_string(GetCurrentProcessId());
  TRegVal s = Sample();
  s.UseRegistry = true;
  s.IniFileName = key;
  s.IniSection = "5";
  s.ReadSettings();  // creates the keys, finds nothing, keeps the defaults
  EXPECT_EQ(s.IntegerValue("Color"), 7368816);
  s.StoreBoolean("Sound", false);
  s.StoreString("Caption", "");
  s.WriteSettings();

  char text[32] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (key + "\\5\\Integers").c_str(), "Color", RRF_RT_REG_SZ, nullptr, text,
                         &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "7368816");

  TRegVal back = Sample();
  back.UseRegistry = true;
  back.IniFileName = key;
  back.IniSection = "5";
  back.ReadSettings();
  EXPECT_FALSE(back.BooleanValue("Sound"));
  EXPECT_EQ(back.StringValue("Caption"), "");
  EXPECT_EQ(back.IntegerValue("Color"), 7368816);

  // A long value, stored by hand, comes back cut as the INI store cuts it.
  const std::string long_value(3000, 'r');
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, (key + "\\5\\Strings").c_str(), "Caption", REG_SZ, long_value.c_str(),
                            static_cast<DWORD>(long_value.size() + 1)),
            ERROR_SUCCESS);
  back.ReadSettings();
  EXPECT_EQ(back.StringValue("Caption"), std::string(2047, 'r'));

  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
}

}  // namespace
}  // namespace tessara

namespace {

// A scanner or a sync client holds the file open with no sharing: the replace waits for it.
TEST(AtomicFileWin32, ReplaceWaitsForAFileHeldOpenByAnotherProgram) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string path = std::string(temp) + "tessara_held_" + std::to_string(GetCurrentProcessId()) + ".txt";
  ASSERT_TRUE(tessara::WriteFileAtomic(path, "old"));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // The other program lets go after a moment of its own; nothing here can wait for it.
  std::thread release([held] {
    Sleep(300);
    CloseHandle(held);
  });
  const bool written = tessara::WriteFileAtomic(path, "new");
  release.join();
  std::string bytes;
  EXPECT_TRUE(written);
  EXPECT_TRUE(tessara::ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "new");
  DeleteFileA(path.c_str());
}

// The exit's budget ends the retries of a file held for longer, well before a file's own limit.
TEST(AtomicFileWin32, HeldFileGivesUpWhenTheBudgetEnds) {
  const std::string path = tessara::TempFolder() + "tswin.ini";
  ASSERT_TRUE(tessara::WriteFileAtomic(path, "old"));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const tessara::ReplaceRetryBudget budget(200);
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(tessara::WriteFileAtomic(path, "new"));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  CloseHandle(held);
  DeleteFileA(path.c_str());
}

}  // namespace
