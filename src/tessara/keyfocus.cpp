#include "tessara/keyfocus.h"

#include <algorithm>

namespace tessara {

Cell KeyFocus::KeyCell() const {
  Cell cell{col_, row_};
  if (lit_.Any()) cell = {lit_.HoverCol(), lit_.HoverRow()};
  cell.Col = std::clamp(cell.Col, 1, std::max(model_.Cols, 1));
  cell.Row = std::clamp(cell.Row, 1, std::max(model_.Rows, 1));
  return cell;
}

void KeyFocus::Activate() {
  focused_ = true;
  const Cell cell = KeyCell();
  Place(cell.Col, cell.Row);
  // A cell the pointer lit already is the focus cell.
  if (cues_ && !lit_.Any()) paint_(CellLook::Raised, col_, row_);
}

void KeyFocus::Deactivate() {
  focused_ = false;
  if (cues_ && lit_.IsLit(col_, row_)) paint_(CellLook::Flat, col_, row_);
}

void KeyFocus::ShowCues(bool shown) {
  if (cues_ == shown) return;
  cues_ = shown;
  if (!focused_) return;
  if (shown && !lit_.Any()) paint_(CellLook::Raised, col_, row_);
  if (!shown && lit_.IsLit(col_, row_)) paint_(CellLook::Flat, col_, row_);
}

KeyAction KeyFocus::KeyDown(int key, unsigned shift, bool repeat) {
  const bool menuKey = (key == kKeyApps && shift == ssNone) || (key == kKeyF10 && shift == ssShift);
  if (shift != ssNone && !menuKey) return {};
  const bool arrow = key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown;
  const bool tileKey = arrow || menuKey || key == kKeyReturn || key == kKeyDelete;
  // A held tile or a window move owns the cells until the release; only the arrows repeat.
  if (tileKey && (pointer_.Holding() || (repeat && !arrow))) return {KeyAction::Done, {}};
  const Cell cell = KeyCell();
  Place(cell.Col, cell.Row);
  switch (key) {
    case kKeyLeft:
    case kKeyRight:
    case kKeyUp:
    case kKeyDown: {
      const int col = std::clamp(cell.Col + (key == kKeyRight) - (key == kKeyLeft), 1, std::max(model_.Cols, 1));
      const int row = std::clamp(cell.Row + (key == kKeyDown) - (key == kKeyUp), 1, std::max(model_.Rows, 1));
      if (lit_.OtherLit(col, row)) paint_(CellLook::Flat, lit_.HoverCol(), lit_.HoverRow());
      paint_(CellLook::Raised, col, row);
      Place(col, row);
      return {KeyAction::Done, {}};
    }
    case kKeyReturn:
      return {KeyAction::Run, cell};
    case kKeyDelete:
      // "Icon &Cut (Delete)" on the focus cell, which becomes the selected one.
      lit_.Select(cell.Col, cell.Row);
      return {KeyAction::Cut, cell};
    case kKeyApps:
    case kKeyF10: {
      if (!menuKey) return {};
      lit_.Select(cell.Col, cell.Row);
      const CellRect r = model_.CellRectOf(cell.Col, cell.Row);
      return {KeyAction::Menu, cell, r.Left + r.Width / 2, r.Top + r.Height / 2};
    }
    default:
      return {};
  }
}

void KeyFocus::Relight(Cell cell) {
  if (focused_) paint_(CellLook::Raised, cell.Col, cell.Row);
}

}  // namespace tessara
