// TfrmTessara: a window is never left where no monitor shows it.
#include "tessara/UTessara.h"
#include "tessara/onscreen.h"

namespace tessara {

bool TfrmTessara::KeepOnScreen() {
  // A window being dragged goes where the pointer takes it.
  if (Moving) return false;
  const WindowRect now{view_->Left(), view_->Top(), view_->Width(), view_->Height()};
  const WindowRect there = BringOnScreen(now, view_->WorkAreas(), Scaled(kReachableSide));
  if (there.Left == now.Left && there.Top == now.Top) return false;
  view_->MoveTo(there.Left, there.Top);
  Left = there.Left;
  Top = there.Top;
  // A transparent window already shown takes its background from the new place.
  if (LayersReady && BackType == 2) ComposeLayers();
  return true;
}

}  // namespace tessara
