// The tessara's window at the scale of its monitor: the DPI, icons in its size and the
// move to a monitor of another scale.
#include <windows.h>

#include "shell/dpi_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

int TessaraWindow::DpiAt(int screenX, int screenY) const { return DpiOfPoint(screenX, screenY); }

int TessaraWindow::SystemDpi() const { return tessara::SystemDpi(); }

void TessaraWindow::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  font_.Reset();  // the drive letters' font is made again in the new size
  HideHint();
}

bool TessaraWindow::HandleDpiMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != kWmDpiChanged) return false;
  const RECT* suggested = reinterpret_cast<const RECT*>(lp);
  if (form_ && suggested) form_->FormDpiChanged(HIWORD(wp), suggested->left, suggested->top);
  result = 0;
  return true;
}

}  // namespace tessara
