// The tessara's window: the monitors' work areas, the context menu opened from the keyboard,
// the focus and the notices of changed monitors.
#include <windows.h>

#include "shell/composing_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

namespace {

// Docking, a monitor waking or a remote session sends a burst of display and work-area
// changes, each with the monitors half arranged: the window acts once, when none has come
// for this long.
constexpr UINT_PTR kDisplaysSettleTimer = 1;
constexpr UINT kDisplaysSettleMs = 500;

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<WorkRect>*>(data)->push_back({r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

}  // namespace

bool KeyRepeats(LPARAM lp) { return (lp & (LPARAM{1} << 30)) != 0; }

std::vector<WorkRect> MonitorWorkAreas() {
  std::vector<WorkRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) {
    RECT r{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) areas.push_back({r.left, r.top, r.right, r.bottom});
  }
  return areas;
}

std::vector<WorkRect> TessaraWindow::WorkAreas() const { return MonitorWorkAreas(); }

void TessaraWindow::ShowContextMenuAt(int x, int y) {
  POINT pt{x, y};
  ClientToScreen(hwnd_, &pt);
  HintPress();
  TrackPopupMenu(Menu(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
  MenuClosed();
}

bool TessaraWindow::HandleReachMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
    HintPress();
    // The keyboard is in use: its cues show from now on, in the system's own way.
    if (form_ && !form_->Focus().Cues()) SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  }
  // The key state is asked only for F10: every other message of the window passes here too,
  // and under Wine each question is a trip to the server.
  const auto shiftF10 = [wp] {
    return wp == VK_F10 && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
  };
  switch (msg) {
    case WM_SETFOCUS:
      if (form_) form_->FormActivate();
      return true;
    case WM_KILLFOCUS:
      if (form_) form_->FormDeactivate();
      return true;
    case WM_ACTIVATE:
      // Activated by the keyboard (not by a click): the cues show, as the last input says.
      if (LOWORD(wp) == WA_ACTIVE && form_ && !form_->Focus().Cues())
        SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS), 0);
      result = DefWindowProcA(hwnd_, msg, wp, lp);
      return true;
    case WM_UPDATEUISTATE:
      result = DefWindowProcA(hwnd_, msg, wp, lp);
      if (form_) form_->ShowFocusCues((SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0);
      return true;
    case WM_SHOWWINDOW:
      // A hidden window leaves no hint behind.
      if (!wp) HintPress();
      return false;
    case WM_SYSKEYDOWN:
      // Shift+F10 comes as a system key. It is ours alone: passed on, it would also come
      // back as a context menu notice and open the menu twice.
      if (!shiftF10()) return false;
      if (form_) form_->FormKeyDown(kKeyF10, ssShift, KeyRepeats(lp));
      return true;
    case WM_SYSKEYUP:
      return shiftF10();
    case WM_KEYUP:
      // The menu key opened the menu when it went down.
      return wp == VK_APPS;
    case WM_CONTEXTMENU:
      // From the keyboard (the position is -1, -1): the menu of the focus cell. A right click
      // opens its menu itself and never gets here.
      if (lp != -1) return false;
      if (form_) form_->FormKeyDown(kKeyApps, ssNone);
      return true;
    case WM_DISPLAYCHANGE:
      SetTimer(hwnd_, kDisplaysSettleTimer, kDisplaysSettleMs, nullptr);
      return true;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETWORKAREA) SetTimer(hwnd_, kDisplaysSettleTimer, kDisplaysSettleMs, nullptr);
      result = DefWindowProcA(hwnd_, msg, wp, lp);
      return true;
    case WM_TIMER:
      if (wp != kDisplaysSettleTimer) return false;
      if (DeferWhileComposing(hwnd_, msg, wp, 0)) return true;
      KillTimer(hwnd_, kDisplaysSettleTimer);
      if (form_) form_->KeepOnScreen();
      return true;
    default:
      return false;
  }
}

}  // namespace tessara
