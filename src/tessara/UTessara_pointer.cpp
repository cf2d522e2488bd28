// TfrmTessara: the pointer. Dragging the window (with snapping), the hover and pressed looks
// of tiles, starting a tile with a click, and moving tiles by dragging them.
#include <utility>

#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/launch.h"

namespace tessara {

void TfrmTessara::FormMouseDown(MouseButton button, unsigned shift, int x, int y) {
  // Another button while the left one holds a tile or moves the window changes nothing.
  if (Holding()) return;
  const Cell cell = CellAt(x, y);
  if (button == mbLeft && (!cell.Valid() || std::as_const(*this).Tile(cell.Col, cell.Row).Empty() || (shift & ssCtrl))) {
    DownX = x;
    DownY = y;
    Moving = true;
    move_from_left_ = view_->Left();
    move_from_top_ = view_->Top();
    return;
  }
  // A press outside every cell keeps the last selection for the context menu.
  if (!cell.Valid()) return;
  // A cell the keyboard lit goes flat first: the pressed one takes over the record.
  if (Lit.OtherLit(cell.Col, cell.Row)) DrawCell(NormalLayer, Lit.HoverCol(), Lit.HoverRow());
  Lit.Select(cell.Col, cell.Row);
  DrawCell(PressedLayer, Lit.SelCol(), Lit.SelRow());
  if (button == mbLeft) {
    Pressing = true;
    view_->SetDragCursor(true);
  }
}

void TfrmTessara::MoveWindowTo(int x, int y) {
  const int left = view_->Left();
  const int top = view_->Top();
  const int width = view_->Width();
  const int height = view_->Height();
  const int freeLeft = left + (x - DownX);
  const int freeTop = top + (y - DownY);
  int newLeft = freeLeft;
  int newTop = freeTop;
  // The monitor under the pointer, at every step: on one monitor this is the desktop's work
  // area, and with several a window can be dragged onto the next one.
  const WorkRect area = view_->WorkAreaAt(left + x, top + y);
  // Each test reads the settings afresh and looks at the unsnapped place, so a later test
  // overrides an earlier one: right beats left, bottom beats top.
  auto snapping = [&] { return host_ && host_->SnapToEdges(); };
  auto distance = [&] { return host_ ? Scaled(host_->SnapDistance()) : 0; };
  if (snapping() && freeLeft - area.Left < distance()) newLeft = area.Left;
  if (snapping() && freeTop - area.Top < distance()) newTop = area.Top;
  if (snapping() && area.Right - (freeLeft + width) < distance()) newLeft = area.Right - width;
  if (snapping() && area.Bottom - (freeTop + height) < distance()) newTop = area.Bottom - height;
  // Nothing is recomposed on the way: a transparent window carries its old background.
  view_->MoveTo(newLeft, newTop);
}

void TfrmTessara::FormMouseMove(unsigned, int x, int y) {
  if (Moving) {
    MoveWindowTo(x, y);
    return;
  }
  const Cell cell = CellAt(x, y);
  if (Lit.Any()) DrawCell(NormalLayer, Lit.HoverCol(), Lit.HoverRow());
  // Empty cells and the spacing never light up; a read only, so hovering makes no record.
  if (cell.Valid() && !std::as_const(*this).Tile(cell.Col, cell.Row).Empty()) DrawCell(HoverLayer, cell.Col, cell.Row);
}

void TfrmTessara::FormMouseLeave() {
  if (Lit.Any()) DrawCell(NormalLayer, Lit.HoverCol(), Lit.HoverRow());
  Lit.Unlight();
}

void TfrmTessara::ShowSelectedFlat() {
  if (!HasSelectedCell()) return;
  // The pointer may rest on another cell, still raised: it stays the hovered one, or the
  // next move would leave it raised for good.
  const int hoverCol = Lit.HoverCol(), hoverRow = Lit.HoverRow();
  DrawCell(NormalLayer, Lit.SelCol(), Lit.SelRow());
  if (hoverCol != -1 && (hoverCol != Lit.SelCol() || hoverRow != Lit.SelRow())) {
    Lit.Painted(hoverCol, hoverRow, true);
  }
}

void TfrmTessara::FormMouseUp(MouseButton button, unsigned, int x, int y) {
  if (Holding() && button != mbLeft) return;
  if (Moving) {
    Moving = false;
    // The background behind a transparent window is captured at its new place.
    if (BackType == 2) ComposeLayers();
    // Written once, when the move ends; a press that moved nothing writes nothing and leaves
    // a rescued window's own place as it was.
    if (view_->Left() != move_from_left_ || view_->Top() != move_from_top_) {
      Left = view_->Left();
      Top = view_->Top();
      SaveChange();
    }
    return;
  }
  const Cell cell = CellAt(x, y);
  ShowSelectedFlat();
  view_->SetDragCursor(false);
  if (!cell.Valid()) {
    Pressing = false;
    return;
  }
  if (!Pressing) return;
  Pressing = false;
  if (cell.Col == Lit.SelCol() && cell.Row == Lit.SelRow()) {
    RunTile(Lit.SelCol(), Lit.SelRow());
    return;
  }
  // An empty target receives the tile; an occupied one swaps places with it, icons included.
  std::swap(Tile(Lit.SelCol(), Lit.SelRow()), Tile(cell.Col, cell.Row));
  ComposeLayers();
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::FormCaptureLost() {
  if (Moving) {
    FormMouseUp(mbLeft, ssNone, DownX, DownY);
    return;
  }
  if (!Pressing) return;
  Pressing = false;
  ShowSelectedFlat();
  view_->SetDragCursor(false);
}

void TfrmTessara::RunTile(int col, int row) const { StartTile(Tile(col, row), ""); }

void TfrmTessara::StartTile(const TTileRecord& tile, const std::string& dropped) const {
  // The shell finds a document's program itself, Store apps and elevation included.
  const LaunchRequest request = TileLaunch(tile.Filename, tile.StartIn, dropped, FileOrFolderExists);
  if (request.File.empty()) return;
  std::string reason;
  if (!view_->StartShell(request, reason) && !reason.empty()) ShowError("Cannot start " + tile.Filename + "\n" + reason);
}

}  // namespace tessara
