// A dialog of a tessara's command holds the whole program, tried under Wine with real input:
// a tile dragged onto the command's cell and a right press for the delete reach no window,
// the tray brings nothing back, and the command fills the cell it started on.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>

#include "app/UMain_win32.h"
#include "msgbox_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"
#include "ui_win32.h"

namespace tessara {
namespace {

// Real pointer input from the thread that plays the user: a move to p, then the buttons.
void PointerAt(POINT p, std::initializer_list<DWORD> buttons = {}) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((p.x * 65536LL + w - 1) / w);
  in.mi.dy = static_cast<LONG>((p.y * 65536LL + h - 1) / h);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
  testing::PumpUntil([&] { POINT at{}; return GetCursorPos(&at) && at.x == p.x && at.y == p.y; }, 2000, false);
  for (DWORD button : buttons) {
    in.mi.dwFlags = button;
    SendInput(1, &in, sizeof in);
  }
}

using ModalWin32Test = testing::Win32Test;

TEST_F(ModalWin32Test, DialogsHoldEveryWindowAndTheirCommandsKeepToTheirCell) {
  const std::string chosen = Folder() + "chosen.txt", kept = "C:\\b.exe", edited = "C:\\a.exe";
  testing::WriteText(chosen, "x");
  const struct {
    const char* what;
    MenuId command;
    const char* caption;  // of the dialog
    bool drag;            // the tile of cell 2 is dragged onto cell 1; else cell 2 is right-clicked
    int button;           // that closes the dialog
    std::string cell1;    // what cell 1 holds at the end
  } cases[] = {
      {"(a) a tile dragged onto the edited one", MenuId::cmProperties, "Properties", true, IDOK, edited},
      {"(b) a tile dragged onto the cell of the open dialog", MenuId::cmShortcut, "Import Text File", true, IDOK,
       chosen},
      {"(c) the delete tried on the window of the open tile dialog", MenuId::cmProperties, "Properties", false,
       IDCANCEL, edited},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // A program folder of its own: nothing of the case before is restored.
    const std::string folder = Folder() + std::to_string(&c - cases) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    MainWindow window(GetModuleHandleA(nullptr), folder);
    window.Create();
    window.ShowFirst();
    TfrmMain& main = window.Form();
    main.btnNewClick();
    main.btnHideClick();
    TfrmTessara& form = *main.Tessara(1);
    form.Tile(1, 1).Filename = c.command == MenuId::cmProperties ? edited : "";
    form.Tile(2, 1).Filename = kept;
    form.View().SetBounds(800, 600, form.View().Width(), form.View().Height());
    form.ComposeLayers();
    const auto cell = [&](int col, int dx = 0) {
      const CellRect r = form.CellRectOf(col, 1);
      return POINT{form.View().Left() + r.Left + r.Width / 2 + dx, form.View().Top() + r.Top + r.Height / 2};
    };
    testing::DialogUser user([&](testing::DialogUser& u) {
      HWND dialog = testing::WaitForWindow("#32770", c.caption);
      if (!u.Check(dialog != nullptr, "no dialog")) return;
      SetDlgItemTextA(dialog, 0x47C, chosen.c_str());  // the open dialog's file name box
      PointerAt(cell(2, -3));
      if (c.drag) {
        PointerAt(cell(2), {MOUSEEVENTF_LEFTDOWN});
        PointerAt(cell(1, 5));
        PointerAt(cell(1), {MOUSEEVENTF_LEFTUP});
      } else {
        PointerAt(cell(2), {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
      }
      // A double click on the tray icon would bring the control panel back.
      PostMessageA(window.Handle(), WM_APP_TRAY, 1, WM_LBUTTONDBLCLK);
      // Nor may a close from outside save and quit under the waiting command.
      PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
      RECT b{};
      GetWindowRect(GetDlgItem(dialog, c.button), &b);
      PointerAt({(b.left + b.right) / 2, (b.top + b.bottom) / 2}, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
      // Until the click has closed it, nothing else may answer the dialog.
      u.Check(testing::PumpUntil([&] { return !IsWindow(dialog); }, 5000, false), "the dialog stayed open");
    });
    form.Lit.Select(1, 1);  // as the right press that opened the menu
    form.RunCommand(c.command);
    user.Finish();
    EXPECT_EQ(main.TessaraCount, 1);
    EXPECT_EQ(form.Lit.SelCol(), 1) << "a press reached the window";
    EXPECT_EQ(form.Tile(1, 1).Filename, c.cell1);
    EXPECT_EQ(form.Tile(2, 1).Filename, kept);
    EXPECT_GE(window.Left(), 4000) << "the tray brought the control panel back";
    EXPECT_FALSE(main.Saved) << "a close ran under the dialog";
    EXPECT_TRUE(IsWindowEnabled(static_cast<TessaraWindow&>(form.View()).Handle()));
  }
}

// With another program's window behind, a dialog leaves the window it served active as it goes.
TEST_F(ModalWin32Test, AClosedDialogLeavesTheWindowItServedActive) {
  ASSERT_TRUE(WinExec("notepad.exe", SW_SHOWNORMAL) > 31 && testing::PumpUntil([] { return FindWindowA("Notepad", nullptr); }));
  MainWindow window(GetModuleHandleA(nullptr), Folder());
  window.Create();
  window.Form().btnNewClick();
  TfrmTessara& form = *window.Form().Tessara(1);
  form.Lit.Select(1, 1);
  HWND served = static_cast<TessaraWindow&>(form.View()).Handle();
  for (MenuId command : {MenuId::cmDelete, MenuId::cmSelectTintColor, MenuId::cmProperties, MenuId::cmShortcut}) {
    SCOPED_TRACE(static_cast<int>(command));
    SetForegroundWindow(served);
    testing::DialogUser user([&](testing::DialogUser& u) {  // which then cancels the dialog
      u.Check(testing::PumpUntil([&] { return GetForegroundWindow() != served; }, 5000, false), "no dialog");
    });
    SendMessageA(served, WM_COMMAND, TessaraWindow::kCommandBase + static_cast<UINT>(command), 0);
    user.Finish();
    EXPECT_TRUE(testing::PumpUntil([&] { return GetForegroundWindow() == served; }, 1000));
  }
  InstallMessageBoxes();
  testing::MessageBoxWatcher boxes;  // a command's message while another program is active
  form.Tile(1, 1).Filename = "C:\\a.exe";  // the import's cell is taken
  SetForegroundWindow(FindWindowA("Notepad", nullptr));
  SendMessageA(served, WM_COMMAND, TessaraWindow::kCommandBase + static_cast<UINT>(MenuId::cmShortcut), 0);
  EXPECT_EQ(boxes.OwnersAndTopmost(), (std::vector<std::pair<HWND, bool>>{{served, true}}));
  PostMessageA(FindWindowA("Notepad", nullptr), WM_CLOSE, 0, 0);
}

TEST_F(ModalWin32Test, AnErrorAtStartBeforeAnyWindowIsInSightStaysAboveEveryWindow) {
  InstallMessageBoxes();
  testing::WriteText(Folder() + "tessara.ini", "[Integers]\r\ntsCount=1\r\n");  // and a picture that is none:
  testing::WriteText(Folder() + "tswin.ini", "[1\\Integers]\r\nBackType=1\r\n[1\\Strings]\r\nBMPFilename=" + Folder() + "tessara.ini\r\n");
  testing::MessageBoxWatcher boxes;
  MainWindow(GetModuleHandleA(nullptr), Folder()).Create();
  EXPECT_EQ(boxes.OwnersAndTopmost(), (std::vector<std::pair<HWND, bool>>{{nullptr, true}}));
}

}  // namespace
}  // namespace tessara
