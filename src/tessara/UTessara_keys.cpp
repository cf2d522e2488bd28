// TfrmTessara: tiles by keyboard. A window with the focus lights one cell, its focus cell, in
// the hover look; the arrows move it over every cell of the grid in use, empty ones included,
// and stop at the edges. The light is shared with the pointer's hover: whichever moved last
// owns it, and the keys go on from the cell that is lit.
#include <algorithm>

#include "tessara/UTessara.h"

namespace tessara {

namespace {

// The cell the keys act on: the lit one, else the focus cell, kept inside the grid in use
// (it may have shrunk since).
Cell KeyCell(const TfrmTessara& form) {
  Cell cell{form.FocusCol, form.FocusRow};
  if (form.Lit.Any()) cell = {form.Lit.HoverCol(), form.Lit.HoverRow()};
  cell.Col = std::clamp(cell.Col, 1, std::max(form.Cols, 1));
  cell.Row = std::clamp(cell.Row, 1, std::max(form.Rows, 1));
  return cell;
}

}  // namespace

void TfrmTessara::FormActivate() {
  Focused = true;
  const Cell cell = KeyCell(*this);
  FocusCol = cell.Col;
  FocusRow = cell.Row;
  view_->FocusCellMoved();
  // A cell the pointer lit already is the focus cell.
  if (LayersReady() && FocusCues && !Lit.Any()) DrawCell(HoverLayer, FocusCol, FocusRow);
}

void TfrmTessara::FormDeactivate() {
  Focused = false;
  if (LayersReady() && FocusCues && Lit.IsLit(FocusCol, FocusRow))
    DrawCell(NormalLayer, FocusCol, FocusRow);
}

void TfrmTessara::ShowFocusCues(bool shown) {
  if (FocusCues == shown) return;
  FocusCues = shown;
  if (!Focused || !LayersReady()) return;
  if (shown && !Lit.Any()) DrawCell(HoverLayer, FocusCol, FocusRow);
  if (!shown && Lit.IsLit(FocusCol, FocusRow)) DrawCell(NormalLayer, FocusCol, FocusRow);
}

bool TfrmTessara::TileKeyDown(int key, unsigned shift, bool repeat) {
  const bool menuKey = (key == kKeyApps && shift == ssNone) || (key == kKeyF10 && shift == ssShift);
  if (shift != ssNone && !menuKey) return false;
  const bool arrow = key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown;
  const bool tileKey = arrow || menuKey || key == kKeyReturn || key == kKeyDelete;
  // A held tile or a window move owns the cells until the release; only the arrows repeat.
  if (tileKey && (Holding() || (repeat && !arrow))) return true;
  const Cell cell = KeyCell(*this);
  FocusCol = cell.Col;
  FocusRow = cell.Row;
  switch (key) {
    case kKeyLeft:
    case kKeyRight:
    case kKeyUp:
    case kKeyDown: {
      const int col = std::clamp(cell.Col + (key == kKeyRight) - (key == kKeyLeft), 1, std::max(Cols, 1));
      const int row = std::clamp(cell.Row + (key == kKeyDown) - (key == kKeyUp), 1, std::max(Rows, 1));
      if (LayersReady()) {
        if (Lit.OtherLit(col, row)) DrawCell(NormalLayer, Lit.HoverCol(), Lit.HoverRow());
        DrawCell(HoverLayer, col, row);
      }
      FocusCol = col;
      FocusRow = row;
      if (col != cell.Col || row != cell.Row) view_->FocusCellMoved();
      return true;
    }
    case kKeyReturn:
      RunTile(cell.Col, cell.Row);
      return true;
    case kKeyDelete:
      // "Icon &Cut (Delete)" on the focus cell, which becomes the selected one.
      Lit.Select(cell.Col, cell.Row);
      cmCutClick();
      if (LayersReady() && Focused) DrawCell(HoverLayer, cell.Col, cell.Row);
      return true;
    case kKeyApps:
    case kKeyF10: {
      if (!menuKey) return false;
      Lit.Select(cell.Col, cell.Row);
      const CellRect r = CellRectOf(cell.Col, cell.Row);
      // A command chosen from the menu may delete this window: nothing is touched after it.
      view_->ShowContextMenuAt(r.Left + r.Width / 2, r.Top + r.Height / 2);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tessara
