// Reachability under Wine: a window placed off Wine's single screen comes back at show and
// after a display change; real key presses walk the focus cell and open the menu of the cell.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "base/globals.h"
#include "shell/alTools.h"
#include "tessara/UTessara_win32.h"
#include "tessara/clipboard.h"

namespace tessara {
namespace {

void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

template <class F>
bool PumpUntil(F done, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump(20);
  }
  return true;
}

void Key(WORD key, bool shift = false) {
  INPUT in[4] = {};
  int n = 0;
  auto add = [&](WORD k, DWORD flags) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = k;
    in[n].ki.dwFlags = flags;
    ++n;
  };
  if (shift) add(VK_SHIFT, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
  Pump(60);
}

class ReachWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { Starting = true; }
  // A 3 x 2 window of 40-pixel tiles at (left, top), shown through the form.
  TfrmTessara& Show(int left, int top) {
    form_ = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), ::alTools::ProgramFolder());
    form_->FormCreate();
    form_->Cols = 3;
    form_->Rows = 2;
    form_->TileWidth = form_->TileHeight = 40;
    form_->BackType = 0;
    form_->Fresh = true;
    form_->View().SetBounds(left, top, form_->CalcWidth(), form_->CalcHeight());
    form_->FormShow();
    Pump(50);
    return *form_;
  }
  HWND Handle() const { return static_cast<TessaraWindow&>(form_->View()).Handle(); }
  RECT Rect() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r;
  }
  std::unique_ptr<TfrmTessara> form_;
};

TEST_F(ReachWin32Test, WindowOffTheScreenComesBackAtShowAndAfterADisplayChange) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  TfrmTessara& form = Show(3000, 3000);
  RECT r = Rect();
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 1024);
  EXPECT_TRUE(IsWindowVisible(Handle()));

  // Pushed off the left edge, as if its monitor had gone; the notice brings it back.
  SetWindowPos(Handle(), nullptr, -2000, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  r = Rect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 300);
  SetWindowPos(Handle(), nullptr, 500, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_EQ(Rect().left, 500);
  EXPECT_EQ(Rect().bottom, 1024);
  EXPECT_EQ(form.View().Left(), 500);
}

TEST_F(ReachWin32Test, RealKeysWalkTheFocusCellAndTheMenuKeysOpenTheMenuOfTheCell) {
  TfrmTessara& form = Show(200, 200);
  form.Tile(2, 2).Filename = "C:\\windows\\notepad.exe";
  form.Tile(2, 2).LibIcon = 1;
  form.ComposeLayers();
  TileClipboard.Clear();
  SetForegroundWindow(Handle());
  SetFocus(Handle());
  ASSERT_TRUE(PumpUntil([&] { return form.Focused; }));
  EXPECT_EQ(form.HoverCol, 1) << "the focus cell is lit";
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(form.FocusCol, 3);
  EXPECT_EQ(form.FocusRow, 2);
  Key(VK_LEFT);

  // Each menu key opens the menu of (2,2); its mnemonic "o" copies that tile.
  for (bool shiftF10 : {false, true}) {
    SCOPED_TRACE(shiftF10 ? "Shift+F10" : "menu key");
    TileClipboard.Clear();
    form.SelCol = form.SelRow = -1;
    std::atomic<bool> opened{false}, done{false};
    std::thread user([&] {
      for (int i = 0; i < 250 && !done; ++i) {
        Sleep(20);
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) continue;
        opened = true;
        Sleep(50);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = 'O';
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        break;
      }
    });
    if (shiftF10)
      Key(VK_F10, true);
    else
      Key(VK_APPS);
    PumpUntil([&] { return !TileClipboard.Filename.empty(); }, 3000);
    done = true;
    user.join();
    Pump(200);
    // One key, one menu: a second one (from the key passed on) would still be open now.
    HWND menu = FindWindowA("#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
    if (menu && IsWindowVisible(menu)) {
      PostMessageA(Handle(), WM_CANCELMODE, 0, 0);
      Pump(100);
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(form.SelCol, 2);
    EXPECT_EQ(form.SelRow, 2);
    EXPECT_EQ(TileClipboard.Filename, "C:\\windows\\notepad.exe");
  }
  Key(VK_DELETE);
  EXPECT_TRUE(form.Tile(2, 2).Empty()) << "Delete cuts the tile";
}

}  // namespace
}  // namespace tessara
