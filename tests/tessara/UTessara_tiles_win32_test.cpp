// Tiles from real drops and shortcut files, and the tile dialog answered through its real
// controls from a second thread while the command waits in the modal loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "base/globals.h"
#include "dialogs/UProperties_win32.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/shortcut_win32.h"
#include "tessara/UTessara_win32.h"
#include "testutil.h"
#include "ui_win32.h"

namespace tessara {
namespace {

using testing::DialogUser;
using testing::Pump;
using testing::PumpUntil;
using testing::TextOf;
using testing::WaitForWindow;

// Posts a synthetic drop of ANSI names at a client point, as the shell hands it over.
void PostDrop(HWND window, POINT point, const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  list += '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = point;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  Pump(100);
}

bool SameFile(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }
LRESULT Send(HWND control, UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(control, message, w, l); }

class TileWin32Test : public testing::Win32Test {
 protected:
  TileWin32Test() {
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
  HWND Window() { return static_cast<TessaraWindow&>(form_->View()).Handle(); }
  std::string File(const std::string& name) {
    testing::WriteText(Folder() + name, "hello");
    return Folder() + name;
  }
  static std::string TwelveIcons() { return alTools::ProgramFolder() + "twelve_icons.dll"; }

  std::unique_ptr<TfrmTessara> form_;
};

TEST_F(TileWin32Test, DropOfThreeFilesMakesOneTileForTheFirst) {
  const std::string first = File("first notes.txt");
  EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "a drop target from creation";
  const CellRect cell = form_->CellRectOf(2, 1);
  PostDrop(Window(), {cell.Left + 5, cell.Top + 5}, {first, File("b.txt"), File("c.txt")});
  const TTileRecord& t = form_->Tile(2, 1);
  EXPECT_EQ(t.Filename, first);
  EXPECT_EQ(t.Description, "First notes");
  EXPECT_EQ(t.StartIn, Folder());
  EXPECT_NE(alTools::UpperCaseFold(t.IconFile).find("NOTEPAD"), std::string::npos) << t.IconFile;
  EXPECT_TRUE(t.Icon);
  EXPECT_TRUE(form_->Tile(1, 1).Empty());
  EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TileWin32Test, DroppedShortcutFileGivesTheResolvedFields) {
  const std::string target = alTools::ProgramPath();
  const std::string link = Folder() + "Tool.lnk";
  ASSERT_TRUE(SUCCEEDED(CreateShortcut(target, link, "My Own Tool")));
  PostDrop(Window(), {5, 5}, {link});
  const TTileRecord& t = form_->Tile(1, 1);
  EXPECT_TRUE(SameFile(t.Filename, target)) << t.Filename;
  EXPECT_EQ(t.Description, "My Own Tool");
  EXPECT_TRUE(SameFile(t.StartIn, alTools::ProgramFolder())) << t.StartIn;
  EXPECT_TRUE(SameFile(t.IconFile, target)) << t.IconFile;
  EXPECT_EQ(t.IconIndex, 1);
}

TEST_F(TileWin32Test, NamesFromTheShellFitTheCodePageOrTakeTheShortName) {
  const std::string plain = File("plain.txt");
  EXPECT_EQ(ToAnsiFileName(WideFromAnsi(plain)).Name, plain);
  // A name beyond code page 1252: whole in UTF-8, the program's code page under its manifest...
  const std::wstring wide = WideFromAnsi(Folder()) + L"\u0436\u0444.txt";
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(ToAnsiFileName(wide).Name, Folder() + "\xD0\xB6\xD1\x84.txt");
  // ...in a legacy one its short name stands in when the file system gives one.
  const AnsiFileName kept = ToAnsiFileName(wide, 1252);
  wchar_t shortName[MAX_PATH] = {};
  if (GetShortPathNameW(wide.c_str(), shortName, MAX_PATH) && ToAnsiFileName(shortName, 1252).Problem.empty()) {
    EXPECT_EQ(kept.Name, ToAnsiFileName(shortName, 1252).Name);
    EXPECT_NE(GetFileAttributesA(kept.Name.c_str()), INVALID_FILE_ATTRIBUTES) << kept.Name;
  } else {
    EXPECT_EQ(kept.Name, "");
    EXPECT_NE(kept.Problem.find("code page"), std::string::npos) << kept.Problem;
  }
  // A missing file of an over-long name has no short name: a message, no name.
  const AnsiFileName tooLong = ToAnsiFileName(WideFromAnsi(Folder() + std::string(300, 'x')));
  EXPECT_EQ(tooLong.Name, "");
  EXPECT_NE(tooLong.Problem.find("255"), std::string::npos);
  // A program folder named so stops the start where the program's code page is a legacy one.
  const std::wstring greekChinese = L"C:\\\u0394\u03ae\u03bc\u03b7\u03c4\u03c1\u03b1 \u6d4b\u8bd5\\";
  EXPECT_NE(ProgramFolderProblem(greekChinese + L"a.exe", 1252).find(L"\n" + greekChinese + L"\n"), std::wstring::npos);
  for (UINT page : {UINT{CP_ACP}, UINT{CP_UTF8}}) EXPECT_EQ(ProgramFolderProblem(greekChinese + L"a.exe", page), L"");
  EXPECT_EQ(ProgramFolderProblem(WideFromAnsi(Folder()) + L"Jos\u00e9\\a.exe", 1252), L"");
}

TEST_F(TileWin32Test, TileDialogListsIconsBrowsesCutsTheDescriptionAndCancels) {
  const std::string text = File("notes.txt");
  TTileRecord& t = form_->Tile(1, 1);
  t.Filename = "C:\\tool.exe";
  t.Description = "Tool";
  t.IconFile = TwelveIcons();
  form_->Lit.Select(1, 1);
  const auto ownIcons = static_cast<LRESULT>(reinterpret_cast<UINT_PTR>(
      ExtractIconA(GetModuleHandleA(nullptr), alTools::ProgramPath().c_str(), static_cast<UINT>(-1))));
  ASSERT_GT(ownIcons, 0);

  DialogUser user([&](DialogUser& u) {
    HWND dialog = WaitForWindow("#32770", "Properties");
    if (!u.Check(dialog != nullptr, "no Properties dialog")) return;
    HWND list = GetDlgItem(dialog, IDC_PROPS_LIST);
    RECT outer{};
    GetWindowRect(dialog, &outer);
    u.Check(outer.right - outer.left == 377 && outer.bottom - outer.top == 311, "outer size");
    u.Check(Send(list, LB_GETCOUNT) == 12 && Send(list, LB_GETCURSEL) == LB_ERR, "twelve icons, none selected");
    u.Check(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDOK), FALSE) == list, "the list comes first in tab order");
    for (const auto& [label, box] : {std::pair{IDC_PROPS_LABEL1, IDC_PROPS_EDIT1}, {IDC_PROPS_LABEL2, IDC_PROPS_EDIT2},
                                     {IDC_PROPS_LABEL4, IDC_PROPS_EDIT3}, {IDC_PROPS_LABEL3, IDC_PROPS_EDIT4}})
      u.Check(GetWindow(GetDlgItem(dialog, box), GW_HWNDPREV) == GetDlgItem(dialog, label), "a box's label before it");

    u.Click(dialog, "&Browse for Icon");
    HWND open = WaitForWindow("#32770", "Open");
    if (!u.Check(open != nullptr, "no open dialog")) return;
    Send(GetDlgItem(open, 0x47c /* cmb13, the name box */), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    u.Check(PumpUntil([&] { return Send(list, LB_GETCOUNT) == ownIcons; }, 5000, false),
            "a file without icons lists the program's own");
    u.Check(SameFile(TextOf(GetDlgItem(dialog, IDC_PROPS_EDIT4)), alTools::ProgramPath()), "the program's path");
    u.Check(Send(list, LB_GETCURSEL) == 0, "the first own icon is selected");

    HWND description = GetDlgItem(dialog, IDC_PROPS_EDIT2);
    Send(description, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (int i = 0; i < 50; ++i) Send(description, WM_CHAR, static_cast<WPARAM>('a' + i % 26), 1);
    u.Check(TextOf(description).size() == 40, "the box cuts typing at 40: " + TextOf(description));
    u.Click(dialog, "Cancel");
  });
  form_->cmPropertiesClick();
  user.Finish();
  EXPECT_EQ(t.Description, "Tool");
  EXPECT_EQ(t.IconFile, TwelveIcons());
  EXPECT_EQ(t.IconIndex, 0);
}

TEST_F(TileWin32Test, TileDialogOkStoresTheClickedIcon) {
  TTileRecord& t = form_->Tile(2, 1);
  t.Filename = "C:\\tool.exe";
  t.IconFile = TwelveIcons();
  t.IconIndex = 1;
  form_->Lit.Select(2, 1);
  DialogUser user([&](DialogUser& u) {
    HWND dialog = WaitForWindow("#32770", "Properties");
    if (!u.Check(dialog != nullptr, "no Properties dialog")) return;
    HWND list = GetDlgItem(dialog, IDC_PROPS_LIST);
    RECT r{};
    Send(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    u.Check(PumpUntil([&] { return Send(list, LB_GETCURSEL) == 2; }, 5000, false), "third item selected");
    u.Click(dialog, "OK");
  });
  form_->cmPropertiesClick();
  user.Finish();
  EXPECT_EQ(t.IconIndex, 3);
  EXPECT_TRUE(t.Icon);
}

TEST_F(TileWin32Test, DriveDialogWithDChosenMakesADriveTile) {
  form_->Lit.Select(1, 1);
  DialogUser user([&](DialogUser& u) {
    HWND dialog = WaitForWindow("#32770", "New Drive");
    if (!u.Check(dialog != nullptr, "no New Drive dialog")) return;
    HWND drives = GetDlgItem(dialog, IDC_PROPS_DRIVE);
    u.Check(IsWindowVisible(drives) && !IsWindowVisible(GetDlgItem(dialog, IDC_PROPS_EDIT1)) &&
                !IsWindowVisible(GetDlgItem(dialog, IDC_PROPS_EDIT2)),
            "the drive list instead of the name and description boxes");
    u.Check(Send(drives, CB_GETCOUNT) == 26 && Send(drives, CB_GETCURSEL) == CB_ERR, "26 drives, none chosen");
    u.Check(GetWindow(drives, GW_HWNDPREV) == GetDlgItem(dialog, IDC_PROPS_LABEL1), "the drive list after its label");
    u.Check(Send(GetDlgItem(dialog, IDC_PROPS_LIST), LB_GETCOUNT) == 20, "the library's icons");
    Send(drives, CB_SETCURSEL, static_cast<WPARAM>(Send(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                         reinterpret_cast<LPARAM>("D:"))));
    Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROPS_DRIVE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
    u.Click(dialog, "OK");
  });
  form_->cmDriveClick();
  user.Finish();
  const TTileRecord& t = form_->Tile(1, 1);
  EXPECT_EQ(t.Filename, "EXPLORER.EXE D:\\");
  EXPECT_EQ(t.Description, "Drive D:");
  EXPECT_EQ(t.Drive, 4);
  EXPECT_TRUE(SameFile(t.IconFile, alTools::ProgramFolder() + "TESSARA.DLL")) << t.IconFile;
}

}  // namespace
}  // namespace tessara
