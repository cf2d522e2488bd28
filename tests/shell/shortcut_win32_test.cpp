#include "shell/shortcut_win32.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/alTools.h"
#include "shell/comptr_win32.h"
#include "shell/filenames_win32.h"

namespace {

using tessara::ComPtr;
using tessara::CreateShortcut;
using tessara::ResolveShortcut;
using tessara::ShortcutInfo;

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Each test gets its own empty folder under the temporary folder, in an initialised apartment.
class ShortcutTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comInitialised_ = SUCCEEDED(hr);
    ASSERT_TRUE(comInitialised_ || hr == RPC_E_CHANGED_MODE) << std::hex << hr;
  }
  static void TearDownTestSuite() {
    if (comInitialised_) CoUninitialize();
  }

  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    char name[MAX_PATH];
    ASSERT_NE(GetTempFileNameA(temp, "lnk", 0, name), 0u);
    // GetTempFileName made a file to reserve the name; a folder takes its place.
    DeleteFileA(name);
    ASSERT_TRUE(CreateDirectoryA(name, nullptr));
    dir_ = alTools::WithTrailingBackslash(name);
  }
  void TearDown() override {
    if (dir_.empty()) return;  // SetUp failed before the folder existed
    for (const std::string& name : FilesInDir()) DeleteFileA((dir_ + name).c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  std::string MakeFile(const std::string& name, const std::string& content) {
    const std::string path = dir_ + name;
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    return path;
  }

  std::vector<std::string> FilesInDir() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    const HANDLE h = FindFirstFileA((dir_ + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
  }

  static void ExpectNothingRead(const ShortcutInfo& info) {
    EXPECT_EQ(info.Target, "");
    EXPECT_EQ(info.WorkingFolder, "");
    EXPECT_EQ(info.Description, "");
    EXPECT_EQ(info.IconLocation, "");
    EXPECT_EQ(info.IconIndex, 0);
  }

  std::string dir_;
  static inline bool comInitialised_ = false;
};

TEST_F(ShortcutTest, CreateThenResolveGivesTargetAndDescription) {
  const std::string target = MakeFile("program.exe", "MZ");
  const std::string link = dir_ + "program.lnk";
  ASSERT_EQ(CreateShortcut(target, link, "Starts the program"), S_OK);
  const ShortcutInfo info = ResolveShortcut(nullptr, link);
  EXPECT_TRUE(SameText(info.Target, target)) << info.Target;
  EXPECT_EQ(info.Description, "Starts the program");
  EXPECT_EQ(info.WorkingFolder, "");  // none was set
}

TEST_F(ShortcutTest, ResolveReadsWorkingFolderAndIconIndex) {
  const std::string target = MakeFile("tool.exe", "MZ");
  const std::string icons = MakeFile("icons.dll", "MZ");
  const std::string link = dir_ + "tool.lnk";
  {
    ComPtr<IShellLinkA> shell;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               shell.PutVoid()),
              S_OK);
    ASSERT_EQ(shell->SetPath(target.c_str()), S_OK);
    ASSERT_EQ(shell->SetWorkingDirectory(dir_.c_str()), S_OK);
    ASSERT_EQ(shell->SetIconLocation(icons.c_str(), 3), S_OK);
    ComPtr<IPersistFile> file;
    ASSERT_EQ(shell->QueryInterface(IID_IPersistFile, file.PutVoid()), S_OK);
    wchar_t wide[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH), 0);
    ASSERT_EQ(file->Save(wide, TRUE), S_OK);
  }
  const ShortcutInfo info = ResolveShortcut(nullptr, link);
  EXPECT_TRUE(SameText(info.Target, target)) << info.Target;
  EXPECT_EQ(info.WorkingFolder, dir_);
  EXPECT_TRUE(SameText(info.IconLocation, icons)) << info.IconLocation;
  EXPECT_EQ(info.IconIndex, 3);
  EXPECT_EQ(info.Description, "");
}

TEST_F(ShortcutTest, ShortcutWithoutIconGivesIconNumberOne) {
  const std::string target = MakeFile("plain.exe", "MZ");
  const std::string link = dir_ + "plain.lnk";
  ASSERT_EQ(CreateShortcut(target, link, ""), S_OK);
  const ShortcutInfo info = ResolveShortcut(nullptr, link);
  EXPECT_EQ(info.IconIndex, 0);
  // Windows reports no icon location; Wine reports the target itself with index 0.
  EXPECT_TRUE(info.IconLocation.empty() || SameText(info.IconLocation, target)) << info.IconLocation;
}

TEST_F(ShortcutTest, UnreadableFilesGiveEmptyTextsAndIconNumberOne) {
  const std::pair<std::string, std::string> cases[] = {
      {"text file", MakeFile("notes.lnk", "This is not a shortcut.\r\n")},
      {"empty file", MakeFile("empty.lnk", "")},
      {"missing file", dir_ + "missing.lnk"},
      {"folder", dir_},
      {"name longer than a path", dir_ + std::string(300, 'x') + ".lnk"},
  };
  for (const auto& [what, file] : cases) {
    SCOPED_TRACE(what);
    ExpectNothingRead(ResolveShortcut(nullptr, file));
  }
}

// A name beyond the code page, as the shell keeps it, reaches the tile as its short name, not
// as look-alikes; an icon location in terms of the environment is expanded; a comment of any
// length and characters is only shown, so it is kept with look-alikes. (Wine keeps only the
// target in ANSI inside the file, so the working folder carries the foreign name.)
// Arguments and a resource id are read as stored; the shell gives the shortcut's own icon.
TEST_F(ShortcutTest, UnicodeInterfaceReadsNamesArgumentsAndResourceIcons) {
  const std::wstring foreign = tessara::WideFromAnsi(dir_) + L"\u0436\u0444";
  ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));
  const std::string link = dir_ + "foreign.lnk";
  {
    ComPtr<IShellLinkW> shell;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.PutVoid()),
              S_OK);
    shell->SetPath(tessara::WideFromAnsi(MakeFile("plain.exe", "MZ")).c_str());
    shell->SetWorkingDirectory(foreign.c_str());
    shell->SetIconLocation(L"%SystemRoot%\\system32\\shell32.dll", -3);
    shell->SetArguments(L"--profile-directory=\"Profile 1\"");
    shell->SetDescription((L"Notes \u0436\U0001F600" + std::wstring(300, L'c')).c_str());
    ComPtr<IPersistFile> file;
    ASSERT_EQ(shell->QueryInterface(IID_IPersistFile, file.PutVoid()), S_OK);
    ASSERT_EQ(file->Save(tessara::WideFromAnsi(link).c_str(), TRUE), S_OK);
  }
  const ShortcutInfo info = ResolveShortcut(nullptr, link);
  EXPECT_EQ(info.Problem, "");
  EXPECT_TRUE(IsFolder(info.WorkingFolder)) << info.WorkingFolder;
  EXPECT_EQ(info.Description.substr(0, 6), "Notes ");
  EXPECT_GT(info.Description.size(), 255u) << "longer than a name may be: " << info.Description;
  RemoveDirectoryW(foreign.c_str());
  char system[MAX_PATH];
  ASSERT_GT(ExpandEnvironmentStringsA("%SystemRoot%\\system32\\shell32.dll", system, MAX_PATH), 0u);
  EXPECT_TRUE(SameText(info.IconLocation, system)) << info.IconLocation;
  EXPECT_EQ(info.IconIndex, -3);
  EXPECT_EQ(info.Arguments, "--profile-directory=\"Profile 1\"");
  EXPECT_TRUE(DestroyIcon(tessara::ShellFileIcon(link)));
}

TEST_F(ShortcutTest, SecondCreateReplacesTheFirst) {
  const std::string first = MakeFile("first.exe", "MZ");
  const std::string second = MakeFile("second.exe", "MZ");
  const std::string link = dir_ + "same.lnk";
  ASSERT_EQ(CreateShortcut(first, link, "first"), S_OK);
  ASSERT_EQ(CreateShortcut(second, link, "second"), S_OK);
  const ShortcutInfo info = ResolveShortcut(nullptr, link);
  EXPECT_TRUE(SameText(info.Target, second)) << info.Target;
  EXPECT_EQ(info.Description, "second");
  EXPECT_EQ(FilesInDir().size(), 3u);  // two targets and one shortcut
}

TEST_F(ShortcutTest, CreateFailsCleanlyForOverlongFileName) {
  const std::string target = MakeFile("app.exe", "MZ");
  EXPECT_TRUE(FAILED(CreateShortcut(target, dir_ + std::string(300, 'y') + ".lnk", "long")));
  EXPECT_EQ(FilesInDir().size(), 1u);
}

TEST_F(ShortcutTest, StartupFolderIsAnExistingFolder) {
  // A stale copy in the old key for early programs is not where the shell looks.
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            "Startup", REG_SZ, "C:\\stale", 9), ERROR_SUCCESS);
  const std::string folder = alTools::StartupFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(IsFolder(folder)) << folder;
  char shell[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, shell)));
  EXPECT_TRUE(SameText(folder, alTools::WithTrailingBackslash(shell))) << folder << " vs " << shell;
}

TEST(alToolsWin32Test, ProgramFolderIsTheFolderOfTheTestProgram) {
  const std::string path = alTools::ProgramPath();
  const std::string folder = alTools::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(IsFolder(folder)) << folder;
  ASSERT_LT(folder.size(), path.size());
  EXPECT_TRUE(SameText(path.substr(0, folder.size()), folder));
  EXPECT_TRUE(SameText(path.substr(folder.size()), "tessara_win32_tests.exe")) << path;
}

// A stand-in interface that counts its references; a second release would wrap below zero.
struct Counted : IUnknown {
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(ComPtrTest, ReleasesEachReferenceExactlyOnce) {
  Counted a, b, c;
  {
    ComPtr<Counted> p(&a);
    ComPtr<Counted> q(std::move(p));
    EXPECT_FALSE(p);
    EXPECT_EQ(q.Get(), &a);
    ComPtr<Counted> r(&b);
    r = std::move(q);  // drops b, takes a over
    EXPECT_EQ(b.refs, 0u);
    EXPECT_EQ(a.refs, 1u);
    *r.Put() = &c;  // the slot is handed out only after a is released
    EXPECT_EQ(a.refs, 0u);
    EXPECT_EQ(c.refs, 1u);
  }
  EXPECT_EQ(a.refs, 0u);
  EXPECT_EQ(b.refs, 0u);
  EXPECT_EQ(c.refs, 0u);
}

}  // namespace
