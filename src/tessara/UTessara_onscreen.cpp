// TfrmTessara: a window is never left where no monitor shows it.
#include "tessara/UTessara.h"
#include "tessara/onscreen.h"

namespace tessara {

bool TfrmTessara::KeepOnScreen() {
  // A window being dragged goes where the pointer takes it.
  if (pointer_.Moving()) return false;
  // Always from the window's own place, never from where a rescue put it: the window goes
  // back there once its monitor returns, and is rescued afresh from there while it is away.
  const WindowRect own{Left, Top, view_->Width(), view_->Height()};
  const WindowRect there = BringOnScreen(own, view_->WorkAreas(), Scaled(kReachableSide));
  if (there.Left == view_->Left() && there.Top == view_->Top()) return false;
  view_->MoveTo(there.Left, there.Top);
  // A scale change on the way is the system's answer to our move, not a move by the user.
  Left = own.Left;
  Top = own.Top;
  // A transparent window already shown takes its background from the new place.
  if (LayersReady() && BackType == 2) ComposeLayers();
  return true;
}

}  // namespace tessara
