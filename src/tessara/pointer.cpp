#include "tessara/pointer.h"

namespace tessara {

void Pointer::Down(MouseButton button, unsigned shift, int x, int y) {
  // Another button while the left one holds a tile or moves the window changes nothing.
  if (Holding()) return;
  const Cell cell = model_.CellAt(x, y);
  if (button == mbLeft && (!cell.Valid() || model_.Tile(cell.Col, cell.Row).Empty() || (shift & ssCtrl))) {
    down_x_ = x;
    down_y_ = y;
    moving_ = true;
    from_left_ = frame_.Left();
    from_top_ = frame_.Top();
    return;
  }
  // A press outside every cell keeps the last selection for the context menu.
  if (!cell.Valid()) return;
  // A cell the keyboard lit goes flat first: the pressed one takes over the record.
  if (lit_.OtherLit(cell.Col, cell.Row)) paint_(CellLook::Flat, lit_.HoverCol(), lit_.HoverRow());
  lit_.Select(cell.Col, cell.Row);
  paint_(CellLook::Pressed, lit_.SelCol(), lit_.SelRow());
  if (button == mbLeft) {
    pressing_ = true;
    launcher_.SetDragCursor(true);
  }
}

void Pointer::MoveWindowTo(int x, int y) {
  const int left = frame_.Left();
  const int top = frame_.Top();
  const int width = frame_.Width();
  const int height = frame_.Height();
  const int freeLeft = left + (x - down_x_);
  const int freeTop = top + (y - down_y_);
  int newLeft = freeLeft;
  int newTop = freeTop;
  // The monitor under the pointer, at every step: on one monitor this is the desktop's work
  // area, and with several a window can be dragged onto the next one.
  const WorkRect area = monitors_.WorkAreaAt(left + x, top + y);
  // Each test reads the settings afresh and looks at the unsnapped place, so a later test
  // overrides an earlier one: right beats left, bottom beats top.
  auto snapping = [&] { return snap_.Enabled(); };
  auto distance = [&] { return model_.Scaled(snap_.Distance()); };
  if (snapping() && freeLeft - area.Left < distance()) newLeft = area.Left;
  if (snapping() && freeTop - area.Top < distance()) newTop = area.Top;
  if (snapping() && area.Right - (freeLeft + width) < distance()) newLeft = area.Right - width;
  if (snapping() && area.Bottom - (freeTop + height) < distance()) newTop = area.Bottom - height;
  // Nothing is recomposed on the way: a transparent window carries its old background.
  frame_.MoveTo(newLeft, newTop);
}

void Pointer::Move(int x, int y) {
  if (moving_) {
    MoveWindowTo(x, y);
    return;
  }
  const Cell cell = model_.CellAt(x, y);
  if (lit_.Any()) paint_(CellLook::Flat, lit_.HoverCol(), lit_.HoverRow());
  // Empty cells and the spacing never light up.
  if (cell.Valid() && !model_.Tile(cell.Col, cell.Row).Empty()) paint_(CellLook::Raised, cell.Col, cell.Row);
}

void Pointer::Leave() {
  if (lit_.Any()) paint_(CellLook::Flat, lit_.HoverCol(), lit_.HoverRow());
  lit_.Unlight();
}

void Pointer::ShowSelectedFlat() {
  if (!lit_.AnySelected()) return;
  // The pointer may rest on another cell, still raised: it stays the hovered one, or the
  // next move would leave it raised for good.
  const int hoverCol = lit_.HoverCol(), hoverRow = lit_.HoverRow();
  paint_(CellLook::Flat, lit_.SelCol(), lit_.SelRow());
  if (hoverCol != -1 && (hoverCol != lit_.SelCol() || hoverRow != lit_.SelRow())) {
    lit_.Painted(hoverCol, hoverRow, true);
  }
}

PointerResult Pointer::Up(MouseButton button, int x, int y) {
  if (Holding() && button != mbLeft) return {};
  if (moving_) {
    moving_ = false;
    return {PointerResult::MoveEnded, {}, {}};
  }
  const Cell cell = model_.CellAt(x, y);
  ShowSelectedFlat();
  launcher_.SetDragCursor(false);
  if (!cell.Valid()) {
    pressing_ = false;
    return {};
  }
  if (!pressing_) return {};
  pressing_ = false;
  const Cell held{lit_.SelCol(), lit_.SelRow()};
  if (cell.Col == held.Col && cell.Row == held.Row) return {PointerResult::Click, held, {}};
  return {PointerResult::TileMoved, held, cell};
}

PointerResult Pointer::CaptureLost() {
  if (moving_) return Up(mbLeft, down_x_, down_y_);
  if (pressing_) {
    pressing_ = false;
    ShowSelectedFlat();
    launcher_.SetDragCursor(false);
  }
  return {};
}

void Pointer::ScaleHold(int fromDpi, int toDpi) {
  if (!moving_) return;
  down_x_ = down_x_ * toDpi / fromDpi;
  down_y_ = down_y_ * toDpi / fromDpi;
}

}  // namespace tessara
