// TfrmTessara: the display scale of the window and positions from unaware builds.
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::UseDpi(int dpi) {
  Dpi = SaneDpi(dpi);
  view_->SetDpi(Dpi);
}

void TfrmTessara::FormDpiChanged(int dpi, int left, int top) {
  if (SaneDpi(dpi) == Dpi) return;
  // A window dragged onto the other monitor keeps the pointer at the same place of its image.
  pointer_.ScaleHold(Dpi, SaneDpi(dpi));
  // The system moves a window shown at its own place with the scale; a rescued window keeps
  // the place it belongs to.
  const bool atOwnPlace = view_->Left() == Left && view_->Top() == Top;
  UseDpi(dpi);
  // The system's rectangle scales the whole window at once; the window's own size rounds
  // each length, so only its place is taken and the size follows the grid.
  view_->SetBounds(left, top, CalcWidth(), CalcHeight());
  if (atOwnPlace) {
    Left = left;
    Top = top;
  }
  // Icons come again from their files in the size of the new scale.
  icons_.Forget();
  ComposeLayers();
}

void TfrmTessara::ConvertUnawarePosition() {
  if (ini.BooleanValue(kDpiAwareKey)) return;
  const int systemDpi = view_->SystemDpi();
  Left = PositionFromUnaware(Left, systemDpi);
  Top = PositionFromUnaware(Top, systemDpi);
}

}  // namespace tessara
