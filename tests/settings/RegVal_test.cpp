#include "settings/RegVal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "testutil.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;

class RegValTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("regval_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "tessara.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  TRegVal Store(const std::string& section = "") const {
    TRegVal s;
    s.IniFileName = path_;
    s.IniSection = section;
    s.UseStartUpDir = false;
    s.Set_Booleans({"Sound=1", "Tray=0"});
    s.Set_Integers({"Color=$707070", "Size=48"});
    return s;
  }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The message of the Error that call throws; empty when it throws nothing.
  template <class F>
  static std::string ErrorOf(F&& call) {
    try {
      call();
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(RegValTest, AbsentFileKeepsDefaultsAndFirstWriteCreatesIt) {
  TRegVal s = Store();
  s.ReadSettings();
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(s._Integers(), (TRegVal::Lines{"Color=7368816", "Size=48"}));
  EXPECT_TRUE(s.BooleanValue("sound"));
  EXPECT_FALSE(s.BooleanValue("TRAY"));
  s.WriteSettings();
  EXPECT_EQ(Read(), "[Booleans]\r\nSound=1\r\nTray=0\r\n[Integers]\r\nColor=7368816\r\nSize=48\r\n");
}

TEST_F(RegValTest, StoredIntegersAndBooleans) {
  struct Case {
    std::string stored;
    int integer;      // default Size=48
    bool boolean;     // default Tray=0
  } cases[] = {
      {"0x10", 16, true},           {"0X1f", 31, true},         {"$10", 16, true},
      {"-5", -5, true},             {"+7", 7, true},            {"2", 2, true},
      {"0", 0, false},              {"0x0", 0, false},          {"abc", 48, false},
      {"", 48, false},              {"0x", 48, false},          {"0xZZ", 48, false},
      {"12abc", 48, false},         {"2147483647", 2147483647, true},
      {"2147483648", 48, false},    {"-2147483648", -2147483647 - 1, true},
      {"-2147483649", 48, false},
      {"$FFFFFFFF", -1, true},      {"$100000000", 48, false},  {"\"42\"", 42, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Write("[Integers]\nSize = " + c.stored + "\n[Booleans]\nTray=" + c.stored + "\n");
    TRegVal s = Store();
    s.ReadSettings();
    EXPECT_EQ(s.IntegerValue("Size"), c.integer);
    EXPECT_EQ(s._Integers()[1], "Size=" + std::to_string(c.integer));
    EXPECT_EQ(s._Booleans()[1], c.boolean ? "Tray=1" : "Tray=0");
  }
}

TEST_F(RegValTest, FloatsTakeStoredThenDefaultThenZeroWithMessage) {
  struct Case {
    std::string stored, fallback, expected;
    bool message;
  } cases[] = {
      {"", "1.50", "1.5", false},        {"2.25", "junk", "2.25", false},
      {"junk", "3", "3", false},         {"junk", "junk", "0", true},
      {"1e20", "0", "1E20", false},      {"0.00001", "0", "0.00001", false},
      {"0.000001", "0", "1E-6", false},  {"-2.50", "0", "-2.5", false},
      {"123456789012345678", "0", "1.23456789012346E17", false},
      {"999999999999999", "0", "999999999999999", false},
      {"0.1", "0", "0.1", false},        {"inf", "nan", "0", true},
      {"1.5.5", "3", "3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored + " / " + c.fallback);
    Write(c.stored.empty() ? "" : "[Floats]\nZoom=" + c.stored + "\n");
    std::vector<std::string> shown;
    const MessageHandler old = SetMessageHandler([&](const std::string& t) { shown.push_back(t); });
    TRegVal s = Store();
    s.Set_Floats({"Zoom=" + c.fallback});
    s.ReadSettings();
    SetMessageHandler(old);
    EXPECT_EQ(s._Floats()[0], "Zoom=" + c.expected);
    if (c.message)
      EXPECT_EQ(shown, (std::vector<std::string>{"Error in default value of Float \"Zoom\". Value = \"" +
                                                 c.fallback + "\". Value set to 0.0"}));
    else
      EXPECT_TRUE(shown.empty());
  }
}

TEST_F(RegValTest, AccessorsAndTheirErrors) {
  TRegVal s = Store();
  s.Set_Strings({"BMPFilename=c:\\x.bmp", "Caption="});
  s.Set_Integers({"Bad=$xyz", "Size=48"});
  s.StoreString("bmpfilename", "");
  EXPECT_EQ(s.StringValue("BMPFilename"), "");
  EXPECT_EQ(s._Strings()[0], "BMPFilename=");
  s.StoreInteger("SIZE", -3);
  EXPECT_EQ(s._Integers()[1], "Size=-3");
  s.StoreBoolean("Tray", true);
  EXPECT_EQ(s._Booleans()[1], "Tray=1");

  const std::pair<std::string, std::string> cases[] = {
      {ErrorOf([&] { s.BooleanValue("Nope"); }), "Boolean Field \"Nope\" not found"},
      {ErrorOf([&] { s.StoreBoolean("Nope", true); }), "Boolean Field \"Nope\" not found"},
      {ErrorOf([&] { s.IntegerValue("Nope"); }), "Integer Field \"Nope\" not found"},
      {ErrorOf([&] { s.StoreInteger("Nope", 1); }), "Integer Field \"Nope\" not found"},
      {ErrorOf([&] { s.StringValue("Nope"); }), "String Field \"Nope\" not found"},
      {ErrorOf([&] { s.StoreString("Nope", ""); }), "String Field \"Nope\" not found"},
      {ErrorOf([&] { s.IntegerValue("Bad"); }), "Error in conversion of integer \"Bad\", Value = \"$xyz\""},
      {ErrorOf([&] { s.ReadSettings(); }), "Error in conversion of integer[0], Value = \"$xyz\""},
      {ErrorOf([&] { s.WriteSettings(); }), "Error in conversion of integer[0], Value = \"$xyz\""},
  };
  for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
  EXPECT_FALSE(fs::exists(path_));  // a failed write creates nothing
}

TEST_F(RegValTest, RoundTripWithSectionPrefixAndLongValue) {
  TRegVal s = Store("12");
  s.Set_Strings({"Caption=", "Path=x"});
  s.StoreString("Caption", "  padded \"quoted\" ");
  s.StoreString("Path", std::string(3000, 'p'));
  s.StoreInteger("Size", 7);
  s.WriteSettings();
  const std::string file = Read();
  for (const char* section : {"[12\\Booleans]", "[12\\Integers]", "[12\\Strings]"})
    EXPECT_NE(file.find(section), std::string::npos) << section;
  EXPECT_EQ(file.find("[Booleans]"), std::string::npos);

  TRegVal back = Store("12");
  back.Set_Strings({"Caption=", "Path="});
  back.ReadSettings();
  EXPECT_EQ(back.IntegerValue("Size"), 7);
  EXPECT_EQ(back.StringValue("Caption"), "  padded \"quoted\" ");
  EXPECT_EQ(back.StringValue("Path"), std::string(2047, 'p'));

  TRegVal other = Store("13");  // another window's sections are not this one's
  other.ReadSettings();
  EXPECT_EQ(other.IntegerValue("Size"), 48);
}

TEST_F(RegValTest, WriteKeepsForeignLinesAndLineEndings) {
  Write("; settings\n[1\\Booleans]\nSound=0\n\n[2\\Integers]\r\nsize = 5\r\nUser=9\r\n\r\n; next\r\n"
        "[2\\booleans]\nTRAY=1\ngarbage line\n[Other]\nx=1");
  TRegVal s = Store("2");
  s.ReadSettings();
  EXPECT_EQ(s.IntegerValue("Size"), 5);
  EXPECT_TRUE(s.BooleanValue("Tray"));
  s.StoreInteger("Size", 6);
  s.WriteSettings();
  EXPECT_EQ(Read(),
            "; settings\n[1\\Booleans]\nSound=0\n\n[2\\Integers]\r\nsize=6\r\nUser=9\r\nColor=7368816\r\n\r\n"
            "; next\r\n[2\\booleans]\nTRAY=1\ngarbage line\nSound=1\r\n[Other]\nx=1");
}

TEST_F(RegValTest, IniFileEditsInPlaceAndFirstMatchWins) {
  IniFile ini("[A]\nk=1");
  ini.Set("b", "k", "2");
  ini.Set("a", "K", "3");
  ini.Set("A", "j", "");
  EXPECT_EQ(ini.Serialize(), "[A]\nk=3\r\nj=\r\n[b]\r\nk=2\r\n");
  IniFile dup("\xEF\xBB\xBF[S]\nk=first\nk=second\n[s]\nk=third\n[T]\nonlyT=1\n");
  EXPECT_EQ(dup.Get("s", "K"), "first");
  EXPECT_EQ(dup.Get("S", "onlyT"), std::nullopt);
  EXPECT_EQ(dup.Get("S", "missing"), std::nullopt);
  EXPECT_EQ(dup.Get("T", "k"), std::nullopt);
}

TEST_F(RegValTest, OversizedFileReadsAsMissingAndTheNextWriteReplacesIt) {
  const std::string head = "[Integers]\nSize=5\n;";
  for (const std::size_t size : {TRegVal::kMaxFileSize, TRegVal::kMaxFileSize + 1}) {
    const bool tooLarge = size > TRegVal::kMaxFileSize;
    SCOPED_TRACE(size);
    Write(head + std::string(size - head.size(), '\n'));
    TRegVal s = Store();
    s.ReadSettings();
    EXPECT_EQ(s.IntegerValue("Size"), tooLarge ? 48 : 5);
    EXPECT_EQ(fs::file_size(path_), size) << "reading changes nothing";
  }
  TRegVal s = Store();
  s.StoreInteger("Size", 9);
  s.WriteSettings();
  EXPECT_EQ(Read(), "[Booleans]\r\nSound=1\r\nTray=0\r\n[Integers]\r\nColor=7368816\r\nSize=9\r\n");
}

TEST_F(RegValTest, FailedWriteThrowsAndLeavesTheOldFile) {
  const std::string old = "[Integers]\nSize=1\n; mine\n";
  Write(old);
  // The new content goes to a temporary file beside the target first; a folder in its
  // place makes that step fail.
  const fs::path blocker = path_ + ".tmp" + std::to_string(::getpid());
  fs::create_directory(blocker);
  TRegVal s = Store();
  EXPECT_EQ(ErrorOf([&] { s.WriteSettings(); }), "Unable to write to " + path_);
  EXPECT_EQ(Read(), old);
  fs::remove(blocker);

  for (const std::string& target : {(dir_ / "missing" / "t.ini").string(), dir_.string()}) {
    TRegVal t = Store();
    t.IniFileName = target;
    EXPECT_EQ(ErrorOf([&] { t.WriteSettings(); }), "Unable to write to " + target);
  }
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(RegValTest, PathAndRegistryMode) {
  TRegVal s = Store();
  EXPECT_EQ(s.FilePath(), path_);
  s.UseStartUpDir = true;
  s.IniFileName = "tessara.ini";
  EXPECT_EQ(s.FilePath(), alTools::ProgramFolder() + "tessara.ini");
  s.UseRegistry = true;
  EXPECT_NE(ErrorOf([&] { s.ReadSettings(); }), "");
}

TEST_F(RegValTest, AtomicWriteReplacesAndCleansUp) {
  ASSERT_TRUE(WriteFileAtomic(path_, "one"));
  ASSERT_TRUE(WriteFileAtomic(path_, std::string("two\0three", 9)));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path_, bytes));
  EXPECT_EQ(bytes, std::string("two\0three", 9));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_FALSE(ReadWholeFile(dir_.string(), bytes));
  EXPECT_TRUE(FileExists(path_) && !FileExists(dir_.string()) && DirectoryExists(dir_.string()));
  EXPECT_TRUE(CreateFolder((dir_ / "sub").string()));
  EXPECT_FALSE(CreateFolder((dir_ / "sub").string()));
  EXPECT_TRUE(DeleteFileAt(path_));
  EXPECT_FALSE(FileExists(path_));
}

TEST_F(RegValTest, ValuesStayInTheLegacyCodePageWithTheirFullFormBeside) {
  testing::Latin1Codec codec;
  const ScopedFileCodec scoped(codec);
  TRegVal s = Store();
  s.Set_Strings({"Picture="});
  // An earlier build's file: read in full, written back unchanged.
  const std::string earlier = "[Booleans]\r\nSound=1\r\nTray=0\r\n[Integers]\r\nColor=7368816\r\nSize=48\r\n"
                              "[Strings]\r\nPicture=C:\\Caf\xE9.bmp\r\n";
  Write(earlier);
  s.ReadSettings();
  EXPECT_EQ(s.StringValue("Picture"), "C:\\Café.bmp");
  s.WriteSettings();
  EXPECT_EQ(Read(), earlier);
  s.StoreString("Picture", "C:\\Ελλάδα.bmp");
  s.WriteSettings();
  EXPECT_NE(Read().find("Picture=C:\\??????.bmp\r\nPicture.utf8=C:\\??????.bmp\tC:\\Ελλάδα.bmp\r\n"), std::string::npos);
  s.ReadSettings();
  EXPECT_EQ(s.StringValue("Picture"), "C:\\Ελλάδα.bmp");
  // An earlier build changed the value: its text wins, and the full form goes at the next write.
  Write(Read().replace(Read().find("??????"), 6, "new"));
  s.ReadSettings();
  s.WriteSettings();
  EXPECT_EQ(s.StringValue("Picture") + Read().substr(Read().find("Picture")), "C:\\new.bmpPicture=C:\\new.bmp\r\n");
}

TEST_F(RegValTest, FilesWithAByteOrderMarkAreReadAndWrittenInTheirEncoding) {
  testing::Latin1Codec codec;
  const ScopedFileCodec scoped(codec);
  for (const auto encode : {+[](std::string t) { return "\xEF\xBB\xBF" + t; },
                            +[](std::string t) { return "\xFF\xFE" + Utf16FromUtf8(t, false); },
                            +[](std::string t) { return "\xFE\xFF" + Utf16FromUtf8(t, true); }}) {
    Write(encode("[Integers]\r\nSize=7\r\n[Strings]\r\nPicture=C:\\Ελλάδα.bmp\r\n"));
    TRegVal s = Store();
    s.Set_Strings({"Picture="});
    s.ReadSettings();
    EXPECT_EQ(s.StringValue("Picture") + std::to_string(s.IntegerValue("Size")), "C:\\Ελλάδα.bmp7");
    s.StoreInteger("Size", 9);
    s.WriteSettings();
    EXPECT_EQ(Read(), encode("[Integers]\r\nSize=9\r\nColor=7368816\r\n[Strings]\r\nPicture=C:\\Ελλάδα.bmp\r\n"
                             "[Booleans]\r\nSound=1\r\nTray=0\r\n"));
  }
}

TEST_F(RegValTest, WindowsStartingTogetherReadTheFileOnceWhileItIsUnchanged) {
  const auto file = [](int add) {
    std::string t;
    for (int n = 1; n <= 16; ++n) t += "[" + std::to_string(n) + "\\Integers]\r\nSize=" + std::to_string(add + n) + "\r\n";
    return "\xFF\xFE" + Utf16FromUtf8(t, false);
  };
  const auto backdate = [&] { fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(1)); };
  // What happens on disk once the eighth window has read its section; a file of an earlier
  // session was last written an hour ago, one written just now may change again unseen.
  const struct Case {
    const char* change;
    std::function<void()> act;
    std::size_t parses;
    int added;  // to the sizes the later windows read
  } cases[] = {
      {"none", [] {}, 1, 0},
      {"another program's edit", [&] { Write(file(100)); backdate(); }, 2, 100},
      {"our own write", [&] { TRegVal w = Store("8"); w.ReadSettings(); w.WriteSettings(); backdate(); }, 2, 0},
      {"an edit just now", [&] { Write(file(100)); }, 1 + 8, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    Write(file(0));
    backdate();
    const std::size_t before = TRegVal::IniFileParses();
    for (int n = 1; n <= 16; ++n) {
      TRegVal s = Store(std::to_string(n));
      s.ReadSettings();
      EXPECT_EQ(s.IntegerValue("Size"), n + (n > 8 ? c.added : 0)) << n;
      if (n == 8) c.act();
    }
    EXPECT_EQ(TRegVal::IniFileParses() - before, c.parses);
    EXPECT_TRUE(Read().starts_with("\xFF\xFE"));
  }
}

}  // namespace
}  // namespace tessara
