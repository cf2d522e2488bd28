// Tiles from real drops and shortcut files, and the tile dialog answered through its real
// controls from a second thread while the command waits in the modal loop.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "dialogs/UProperties_win32.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/shortcut_win32.h"
#include "tessara/UTessara_win32.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::TempFolder;
using testing::WriteText;

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

// A synthetic drop of ANSI names at a client point, as the shell hands it over.
HGLOBAL MakeDrop(POINT point, const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  list += '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = point;
  drop->fNC = FALSE;
  drop->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return memory;
}

// The visible dialog of this process with the given caption, or nullptr after the timeout.
HWND WaitForDialog(const std::string& caption, DWORD timeout = 10000) {
  struct Search {
    std::string caption;
    HWND found = nullptr;
  } search{caption};
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout) {
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          char cls[32] = {}, text[256] = {};
          GetClassNameA(hwnd, cls, sizeof cls);
          GetWindowTextA(hwnd, text, sizeof text);
          if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && lstrcmpA(cls, "#32770") == 0 &&
              s->caption == text) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  }
  return nullptr;
}

HWND ChildByCaption(HWND parent, const std::string& caption) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    if (caption == text) return child;
  }
  return nullptr;
}

std::string TextOf(HWND control) {
  char text[1024] = {};
  SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Plays the user on a second thread. Whatever the script does, every dialog still open when
// it ends is cancelled, so a failing check never leaves the command waiting.
class User {
 public:
  explicit User(std::function<void(User&)> script)
      : thread_([this, script] {
          script(*this);
          while (!done_) {
            EnumWindows(
                [](HWND hwnd, LPARAM) -> BOOL {
                  DWORD pid = 0;
                  GetWindowThreadProcessId(hwnd, &pid);
                  char cls[32] = {};
                  GetClassNameA(hwnd, cls, sizeof cls);
                  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && lstrcmpA(cls, "#32770") == 0)
                    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
                  return TRUE;
                },
                0);
            Sleep(50);
          }
        }) {}
  ~User() { Finish(); }
  // Called once the command has returned.
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back(what);
  }
  bool Check(bool ok, const std::string& what) {
    if (!ok) Fail(what);
    return ok;
  }
  std::vector<std::string> Failures() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }
  void Click(HWND dialog, const std::string& caption) {
    HWND button = ChildByCaption(dialog, caption);
    if (Check(button != nullptr, "no button " + caption)) PostMessageA(button, BM_CLICK, 0, 0);
  }

 private:
  std::atomic<bool> done_{false};
  std::mutex mutex_;
  std::vector<std::string> failures_;
  std::thread thread_;
};

// Picks a file in the open dialog: its name typed into the name box, then Open.
bool ChooseInOpenDialog(User& user, const std::string& file) {
  HWND open = WaitForDialog("Open");
  if (!user.Check(open != nullptr, "no open dialog")) return false;
  constexpr int kNameBox = 0x47c;  // cmb13
  SendMessageA(GetDlgItem(open, kNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  PostMessageA(open, WM_COMMAND, IDOK, 0);
  return true;
}

void ClickListItem(HWND list, int index) {
  RECT r{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}

// Waits until a condition read through the dialog's thread holds.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = 5000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

class TileWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    Starting = true;
    old_message_ = SetMessageHandler([this](const std::string& t) { messages_.push_back(t); });
    // The temporary folder in Windows spelling, ending in a backslash.
    folder_path_ = folder_.Path();
    for (char& c : folder_path_)
      if (c == '/') c = '\\';
    form_ = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), alTools::ProgramFolder());
    form_->FormCreate();
    form_->BackType = 0;
    form_->Cols = 2;
    form_->Rows = 1;
    form_->View().SetBounds(100, 100, 10, 10);
    form_->UpdateBorder();
    form_->ApplySize();
    form_->ComposeLayers();
  }
  void TearDown() override { SetMessageHandler(old_message_); }
  HWND Window() { return static_cast<TessaraWindow&>(form_->View()).Handle(); }
  std::string File(const std::string& name, const std::string& text = "hello") {
    WriteText(folder_.Path() + name, text);
    return folder_path_ + name;
  }
  static std::string Library() { return alTools::ProgramFolder() + "TESSARA.DLL"; }
  static std::string TwelveIcons() { return alTools::ProgramFolder() + "twelve_icons.dll"; }

  TempFolder folder_;
  std::string folder_path_;
  std::unique_ptr<TfrmTessara> form_;
  std::vector<std::string> messages_;

 private:
  MessageHandler old_message_;
};

TEST_F(TileWin32Test, DropOfThreeFilesMakesOneTileForTheFirst) {
  const std::string first = File("first notes.txt"), second = File("b.txt"), third = File("c.txt");
  EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "a drop target from creation";
  const CellRect cell = form_->CellRectOf(2, 1);
  PostMessageA(Window(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({cell.Left + 5, cell.Top + 5}, {first, second, third})), 0);
  Pump(100);
  const TTileRecord& t = form_->Tile(2, 1);
  EXPECT_EQ(t.Filename, first);
  EXPECT_EQ(t.Description, "First notes");
  EXPECT_EQ(t.StartIn, folder_path_);
  std::string program = alTools::UpperCaseFold(t.IconFile);
  EXPECT_NE(program.find("NOTEPAD"), std::string::npos) << t.IconFile;
  EXPECT_TRUE(t.Icon);
  EXPECT_TRUE(form_->Tile(1, 1).Empty());
  EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TileWin32Test, DroppedShortcutFileGivesTheResolvedFields) {
  const std::string target = alTools::ProgramPath();
  const std::string link = folder_path_ + "Tool.lnk";
  ASSERT_TRUE(SUCCEEDED(CreateShortcut(target, link, "My Own Tool")));
  PostMessageA(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({5, 5}, {link})), 0);
  Pump(100);
  const TTileRecord& t = form_->Tile(1, 1);
  EXPECT_TRUE(lstrcmpiA(t.Filename.c_str(), target.c_str()) == 0) << t.Filename;
  EXPECT_EQ(t.Description, "My Own Tool");
  EXPECT_TRUE(lstrcmpiA(t.StartIn.c_str(), alTools::ProgramFolder().c_str()) == 0) << t.StartIn;
  EXPECT_TRUE(lstrcmpiA(t.IconFile.c_str(), target.c_str()) == 0) << t.IconFile;
  EXPECT_EQ(t.IconIndex, 1);
  EXPECT_TRUE(t.Icon);
}

TEST_F(TileWin32Test, NamesFromTheShellFitTheCodePageOrTakeTheShortName) {
  const std::string plain = File("plain.txt");
  EXPECT_EQ(ToAnsiFileName(WideFromAnsi(plain)).Name, plain);
  // A name beyond the code page: its short name stands in when the file system gives one.
  const std::wstring wide = WideFromAnsi(folder_path_) + L"\u0436\u0444.txt";
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const AnsiFileName kept = ToAnsiFileName(wide);
  wchar_t shortName[MAX_PATH] = {};
  if (GetShortPathNameW(wide.c_str(), shortName, MAX_PATH) && ToAnsiFileName(shortName).Problem.empty()) {
    EXPECT_EQ(kept.Name, ToAnsiFileName(shortName).Name);
    EXPECT_EQ(GetFileAttributesA(kept.Name.c_str()) != INVALID_FILE_ATTRIBUTES, true) << kept.Name;
  } else {
    EXPECT_EQ(kept.Name, "");
    EXPECT_NE(kept.Problem.find("code page"), std::string::npos) << kept.Problem;
  }
  // A missing file of an over-long name has no short name: a message, no name.
  const AnsiFileName tooLong = ToAnsiFileName(WideFromAnsi(folder_path_ + std::string(300, 'x')));
  EXPECT_EQ(tooLong.Name, "");
  EXPECT_NE(tooLong.Problem.find("255"), std::string::npos);
}

TEST_F(TileWin32Test, TileDialogListsIconsBrowsesCutsTheDescriptionAndCancels) {
  const std::string text = File("notes.txt");
  TTileRecord& t = form_->Tile(1, 1);
  t.Filename = "C:\\tool.exe";
  t.Description = "Tool";
  t.IconFile = TwelveIcons();
  t.IconIndex = 0;
  form_->SelCol = form_->SelRow = 1;
  const int ownIcons = static_cast<int>(reinterpret_cast<UINT_PTR>(
      ExtractIconA(GetModuleHandleA(nullptr), alTools::ProgramPath().c_str(), static_cast<UINT>(-1))));
  ASSERT_GT(ownIcons, 0);

  std::string descriptionShown;
  User user([&](User& u) {
    HWND dialog = WaitForDialog("Properties");
    if (!u.Check(dialog != nullptr, "no Properties dialog")) return;
    HWND list = GetDlgItem(dialog, IDC_PROPS_LIST);
    RECT outer{};
    GetWindowRect(dialog, &outer);
    u.Check(outer.right - outer.left == 377 && outer.bottom - outer.top == 311, "outer size");
    u.Check(SendMessageA(list, LB_GETCOUNT, 0, 0) == 12, "twelve icons listed");
    u.Check(SendMessageA(list, LB_GETCURSEL, 0, 0) == LB_ERR, "none selected");
    u.Check(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDOK), FALSE) == list, "the list comes first in tab order");
    u.Check(TextOf(ChildByCaption(dialog, "Filename")) == "Filename", "label");

    u.Click(dialog, "&Browse for Icon");
    if (!ChooseInOpenDialog(u, text)) return;
    u.Check(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == ownIcons; }),
            "a file without icons lists the program's own");
    u.Check(lstrcmpiA(TextOf(GetDlgItem(dialog, IDC_PROPS_EDIT4)).c_str(), alTools::ProgramPath().c_str()) == 0,
            "the program's path is shown");
    u.Check(SendMessageA(list, LB_GETCURSEL, 0, 0) == 0, "the first own icon is selected");

    HWND description = GetDlgItem(dialog, IDC_PROPS_EDIT2);
    SendMessageA(description, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (int i = 0; i < 50; ++i) SendMessageA(description, WM_CHAR, static_cast<WPARAM>('a' + i % 26), 1);
    descriptionShown = TextOf(description);
    u.Click(dialog, "Cancel");
  });
  form_->cmPropertiesClick();
  user.Finish();
  for (const std::string& f : user.Failures()) ADD_FAILURE() << f;
  EXPECT_EQ(descriptionShown.size(), 40u) << descriptionShown;
  EXPECT_EQ(t.Description, "Tool");
  EXPECT_EQ(t.IconFile, TwelveIcons());
  EXPECT_EQ(t.IconIndex, 0);
}

TEST_F(TileWin32Test, TileDialogOkStoresTheClickedIcon) {
  TTileRecord& t = form_->Tile(2, 1);
  t.Filename = "C:\\tool.exe";
  t.IconFile = TwelveIcons();
  t.IconIndex = 1;
  form_->SelCol = 2;
  form_->SelRow = 1;
  User user([&](User& u) {
    HWND dialog = WaitForDialog("Properties");
    if (!u.Check(dialog != nullptr, "no Properties dialog")) return;
    HWND list = GetDlgItem(dialog, IDC_PROPS_LIST);
    u.Check(SendMessageA(list, LB_GETCURSEL, 0, 0) == 0, "the tile's icon is selected");
    ClickListItem(list, 2);
    u.Check(WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == 2; }), "third item selected");
    SendMessageA(GetDlgItem(dialog, IDC_PROPS_EDIT2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));
    u.Click(dialog, "OK");
  });
  form_->cmPropertiesClick();
  user.Finish();
  for (const std::string& f : user.Failures()) ADD_FAILURE() << f;
  EXPECT_EQ(t.Description, "Renamed");
  EXPECT_EQ(t.IconFile, TwelveIcons());
  EXPECT_EQ(t.IconIndex, 3);
  EXPECT_TRUE(t.Icon);
}

TEST_F(TileWin32Test, DriveDialogWithDChosenMakesADriveTile) {
  form_->SelCol = form_->SelRow = 1;
  User user([&](User& u) {
    HWND dialog = WaitForDialog("New Drive");
    if (!u.Check(dialog != nullptr, "no New Drive dialog")) return;
    HWND drives = GetDlgItem(dialog, IDC_PROPS_DRIVE);
    u.Check(IsWindowVisible(drives) && !IsWindowVisible(GetDlgItem(dialog, IDC_PROPS_EDIT1)), "drive list shown");
    u.Check(!IsWindowVisible(GetDlgItem(dialog, IDC_PROPS_EDIT2)), "description box hidden");
    u.Check(ChildByCaption(dialog, "Drive") != nullptr, "label Drive");
    u.Check(SendMessageA(drives, CB_GETCOUNT, 0, 0) == 26 && SendMessageA(drives, CB_GETCURSEL, 0, 0) == CB_ERR,
            "26 drives, none chosen");
    u.Check(SendMessageA(GetDlgItem(dialog, IDC_PROPS_LIST), LB_GETCOUNT, 0, 0) == 20, "the library's icons");
    const LRESULT d = SendMessageA(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("D:"));
    SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(d), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROPS_DRIVE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
    u.Click(dialog, "OK");
  });
  form_->cmDriveClick();
  user.Finish();
  for (const std::string& f : user.Failures()) ADD_FAILURE() << f;
  const TTileRecord& t = form_->Tile(1, 1);
  EXPECT_EQ(t.Filename, "EXPLORER.EXE D:\\");
  EXPECT_EQ(t.Description, "Drive D:");
  EXPECT_EQ(t.Drive, 4);
  EXPECT_EQ(t.LibIcon, 0);
  EXPECT_TRUE(lstrcmpiA(t.IconFile.c_str(), Library().c_str()) == 0) << t.IconFile;
  EXPECT_TRUE(t.Icon);
}

}  // namespace
}  // namespace tessara
