// TfrmTessara: the keys' handlers run what a key hands back (a start, a cut, the menu), and
// the window's own keys.
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::FormActivate() {
  keys_.Activate();
  view_->FocusCellMoved();
}

void TfrmTessara::FormDeactivate() { keys_.Deactivate(); }

void TfrmTessara::ShowFocusCues(bool shown) { keys_.ShowCues(shown); }

bool TfrmTessara::TileKeyDown(int key, unsigned shift, bool repeat) {
  const Cell focus{keys_.Col(), keys_.Row()};
  const KeyAction action = keys_.KeyDown(key, shift, repeat);
  switch (action.What) {
    case KeyAction::NotMine:
      return false;
    case KeyAction::Done:
      if (keys_.Col() != focus.Col || keys_.Row() != focus.Row) view_->FocusCellMoved();
      break;
    case KeyAction::Run:
      RunTile(action.At.Col, action.At.Row);
      break;
    case KeyAction::Cut:
      cmCutClick();
      keys_.Relight(action.At);
      break;
    case KeyAction::Menu:
      // A command chosen from the menu may delete this window: nothing is touched after it.
      view_->ShowContextMenuAt(action.X, action.Y);
      break;
  }
  return true;
}

void TfrmTessara::FormKeyDown(int key, unsigned shift, bool repeat) {
  HintHide();
  ShowFocusCues(true);
  if (TileKeyDown(key, shift, repeat)) return;
  // One window made or deleted per press.
  if (key != kKeyF4 || repeat) return;
  if (shift & ssCtrl) {
    cmDeleteClick();
  } else if (shift == ssNone) {
    cmNewTessaraClick();
  }
}

}  // namespace tessara
