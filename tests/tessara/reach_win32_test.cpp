// Reachability under Wine: a window placed off Wine's single screen comes back at show and
// after a display change; real key presses walk the focus cell and open the menu of the cell.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/globals.h"
#include "shell/alTools.h"
#include "tessara/UTessara_win32.h"
#include "tessara/clipboard.h"
#include "ui_win32.h"

namespace tessara {
namespace {

using testing::Pump;
using testing::PumpUntil;

// Presses a key (with Shift) as the user would; `pump` lets this thread handle it.
void Key(WORD key, bool shift = false, bool pump = true) {
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
  if (pump) Pump(60);
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
    form_->Files().MarkFresh();
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
  Show(3000, 3000);
  EXPECT_EQ(std::make_pair(Rect().right, Rect().bottom), std::make_pair(1280L, 1024L));

  // Pushed off the left edge, as if its monitor had gone; the notice brings it back.
  SetWindowPos(Handle(), nullptr, -2000, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  Pump(300);
  SendMessageA(Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_FALSE(PumpUntil([&] { return Rect().left != -2000; }, 300)) << "not while the notices go on";
  EXPECT_TRUE(PumpUntil([&] { return Rect().right == 1280 && Rect().bottom == 1024; })) << "from its own place";
}

TEST_F(ReachWin32Test, DisplayChangeSentDuringACaptureActsOnlyOnceTheCompositionHasEnded) {
  TfrmTessara& form = Show(100, 100);
  const HWND hwnd = Handle();
  // Off the screen, as when its monitor has gone, and transparent, so composing captures.
  SetWindowPos(hwnd, nullptr, 3000, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  form.BackType = 2;
  std::atomic<bool> sent{false};
  std::thread other([&] {
    // Another thread's notice, sent while the window is away for the capture.
    const DWORD start = GetTickCount();
    RECT r{};
    while (GetTickCount() - start < 5000 && !(GetWindowRect(hwnd, &r) && r.left >= 10000)) Sleep(0);
    if (r.left < 10000) return;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(hwnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024), SMTO_NORMAL, 5000, &ignored);
    sent = true;
  });
  form.ComposeLayers();
  // Handled during the capture it would have taken the place of the window away for the
  // new one, and the capture would then have put the window back where it was.
  const bool settled = PumpUntil([&] { return sent && Rect().left == 100 && Rect().top == 100; });
  other.join();
  ASSERT_TRUE(sent);
  EXPECT_TRUE(settled) << "the window at " << Rect().left << ", " << Rect().top;
  EXPECT_EQ(std::make_pair(form.Left, form.Top), std::make_pair(int(Rect().left), int(Rect().top)));
}

TEST_F(ReachWin32Test, RealKeysWalkTheFocusCellAndTheMenuKeysOpenTheMenuOfTheCell) {
  TfrmTessara& form = Show(200, 200);
  form.Tile(2, 2).Filename = "C:\\windows\\notepad.exe";
  form.Tile(2, 2).LibIcon = 1;
  form.ComposeLayers();
  TileClipboard.Clear();
  SetForegroundWindow(Handle());
  SetFocus(Handle());
  ASSERT_TRUE(PumpUntil([&] { return form.Focus().Focused(); }));
  EXPECT_EQ(form.Lit.HoverCol(), -1) << "no focus cell until the keyboard is used";
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(std::make_pair(form.Focus().Col(), form.Focus().Row()), std::make_pair(3, 2));
  Key(VK_LEFT);

  // Each menu key opens the menu of (2,2); its mnemonic "o" copies that tile.
  for (bool shiftF10 : {false, true}) {
    SCOPED_TRACE(shiftF10 ? "Shift+F10" : "menu key");
    TileClipboard.Clear();
    form.Lit.Select(-1, -1);
    bool opened = false;
    testing::DialogUser user([&](testing::DialogUser&) {
      opened = PumpUntil([] { HWND m = FindWindowA("#32768", nullptr); return m && IsWindowVisible(m); }, 5000, false);
      Sleep(50);
      if (opened) Key('O', false, false);
    });
    Key(shiftF10 ? VK_F10 : VK_APPS, shiftF10);
    PumpUntil([&] { return !TileClipboard.Filename.empty(); }, 3000);
    user.Finish();
    Pump(200);
    // One key, one menu: a second one (from the key passed on) would still be open now.
    HWND menu = FindWindowA("#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
    if (menu && IsWindowVisible(menu)) {
      PostMessageA(Handle(), WM_CANCELMODE, 0, 0);
      Pump(100);
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(std::make_pair(form.Lit.SelCol(), form.Lit.SelRow()), std::make_pair(2, 2));
    EXPECT_EQ(TileClipboard.Filename, "C:\\windows\\notepad.exe");
  }
  Key(VK_DELETE);
  EXPECT_TRUE(form.Tile(2, 2).Empty()) << "Delete cuts the tile";
}

}  // namespace
}  // namespace tessara
