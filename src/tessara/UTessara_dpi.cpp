// TfrmTessara: the window's place and scale, where they meet the pointer and the layers.
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::ApplySize() { Place().ApplySize(); }

void TfrmTessara::UseDpi(int dpi) { Place().UseDpi(dpi); }

void TfrmTessara::FormDpiChanged(int dpi, int left, int top) {
  if (SaneDpi(dpi) == Dpi) return;
  // A window dragged onto the other monitor keeps the pointer at the same place of its image.
  pointer_.ScaleHold(Dpi, SaneDpi(dpi));
  Place().TakeDpi(dpi, left, top);
  // Icons come again from their files in the size of the new scale.
  icons_.Forget();
  ComposeLayers();
}

bool TfrmTessara::KeepOnScreen() {
  // A window being dragged goes where the pointer takes it.
  if (pointer_.Moving()) return false;
  if (!Place().KeepOnScreen()) return false;
  // A transparent window already shown takes its background from the new place.
  if (LayersReady() && BackType == 2) ComposeLayers();
  return true;
}

}  // namespace tessara
