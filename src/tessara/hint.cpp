#include "tessara/hint.h"

namespace tessara {

void FloatingHint::Over(int col, int row, int screenX, int screenY, int windowLeft, int windowTop) {
  const bool inside = col >= 1 && col <= model_.Cols && row >= 1 && row <= model_.Rows;
  if (!model_.FloatHint || !inside || !model_.Occupied(col, row) || model_.Tile(col, row).Description.empty()) {
    Hide();
    return;
  }
  if (cell_.Col == col && cell_.Row == row) return;
  CellRect cell = model_.CellRectOf(col, row);
  cell.Left += windowLeft;
  cell.Top += windowTop;
  box_.ShowHint(model_.Tile(col, row).Description, model_.HintColor, model_.HintTextColor, screenX, screenY, cell);
  cell_ = {col, row};
}

void FloatingHint::Hide() {
  if (!cell_.Valid()) return;
  cell_ = {};
  box_.HideHint();
}

}  // namespace tessara
