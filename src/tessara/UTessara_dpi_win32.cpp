// The tessara's window at the scale of its monitor: the DPI, icons in its size and the
// move to a monitor of another scale.
#include <windows.h>

#include "shell/composing_win32.h"
#include "shell/dpi_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

namespace {

// Sent to a window once a composition has ended: the scale of its monitor, if it changed.
constexpr UINT kTakeMonitorDpi = WM_APP + 1;

}  // namespace

int TessaraWindow::DpiOf(const WorkRect& rect) const {
  return DpiOfRect(RECT{rect.Left, rect.Top, rect.Right, rect.Bottom});
}

int TessaraWindow::SystemDpi() const { return tessara::SystemDpi(); }

void TessaraWindow::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  font_.Reset();  // the drive letters' font is made again in the new size
  HideHint();
}

bool TessaraWindow::HandleDpiMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != kWmDpiChanged && msg != kTakeMonitorDpi) return false;
  result = 0;
  if (!form_) return true;
  if (msg == kTakeMonitorDpi) {
    const RECT r = Bounds();
    form_->FormDpiChanged(DpiOfWindow(hwnd_), r.left, r.top);
    return true;
  }
  // A capture's move off the monitor and back announces scales the window never stays at,
  // and resizing or composing inside the capture would undo its work. Once it has ended the
  // window takes the scale of the monitor it is on, which holds a real change made meanwhile.
  if (DeferWhileComposing(hwnd_, kTakeMonitorDpi, 0, 0)) return true;
  const RECT* suggested = reinterpret_cast<const RECT*>(lp);
  if (suggested) form_->FormDpiChanged(HIWORD(wp), suggested->left, suggested->top);
  return true;
}

}  // namespace tessara
