#include "tessara/model.h"

#include <algorithm>

namespace tessara {
namespace {
// Far enough to stay off every screen, near enough that a position plus any width or offset
// the windows add to it stays well inside an int (and inside the 16 bits some messages use).
constexpr int kPositionLimit = 32000;
}  // namespace

int TessaraModel::UpdateBorder() {
  Border = BorderWidth[static_cast<std::size_t>(BorderType & 3)] + BorderSpacing;
  return Border;
}

int TessaraModel::CalcWidth() {
  UpdateBorder();
  return 2 * Border + Cols * TileWidth + (Cols - 1) * CellSpacing;
}

int TessaraModel::CalcHeight() {
  UpdateBorder();
  return 2 * Border + Rows * TileHeight + (Rows - 1) * CellSpacing;
}

CellRect TessaraModel::CellRectOf(int col, int row) const {
  return {Border + (col - 1) * (TileWidth + CellSpacing), Border + (row - 1) * (TileHeight + CellSpacing),
          TileWidth, TileHeight};
}

Cell TessaraModel::CellAt(int x, int y) const {
  Cell cell;
  if (x < Border || y < Border) return cell;
  const int p = TileWidth + CellSpacing;
  if ((x - Border) % p < TileWidth) cell.Col = (x - Border) / p + 1;
  const int q = TileHeight + CellSpacing;
  if ((y - Border) % q < TileHeight) cell.Row = (y - Border) / q + 1;
  if (cell.Col > Cols) cell.Col = 0;
  if (cell.Row > Rows) cell.Row = 0;
  return cell;
}

void TessaraModel::IconPosition(int col, int row, int& x, int& y) const {
  x = (col - 1) * (TileWidth + CellSpacing) + Border + (TileWidth - 32) / 2;
  y = (row - 1) * (TileHeight + CellSpacing) + Border + (TileHeight - 32) / 2;
}

void TessaraModel::ClampToModel() {
  Left = std::clamp(Left, -kPositionLimit, kPositionLimit);
  Top = std::clamp(Top, -kPositionLimit, kPositionLimit);
  Cols = std::clamp(Cols, 1, kGridMax);
  Rows = std::clamp(Rows, 1, kGridMax);
  TileWidth = std::clamp(TileWidth, kTileMin, kTileMax);
  TileHeight = std::clamp(TileHeight, kTileMin, kTileMax);
  CellSpacing = std::clamp(CellSpacing, 0, kSpacingMax);
  BorderSpacing = std::clamp(BorderSpacing, 0, kSpacingMax);
  BorderType = std::clamp(BorderType, 0, 3);
  Color &= 0xFFFFFF;
  UpdateBorder();
}

}  // namespace tessara
