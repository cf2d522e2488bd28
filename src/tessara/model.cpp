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

int TessaraModel::OutlineWidth() const {
  const int lines = Scaled(BorderWidth[static_cast<std::size_t>(BorderType & 3)]);
  return (BorderType & 2) ? lines - EdgeWidth() : lines;
}

int TessaraModel::DeviceBorder() const {
  return Scaled(BorderWidth[static_cast<std::size_t>(BorderType & 3)]) + Scaled(BorderSpacing);
}

int TessaraModel::CalcWidth() {
  UpdateBorder();
  return 2 * DeviceBorder() + Cols * Scaled(TileWidth) + (Cols - 1) * Scaled(CellSpacing);
}

int TessaraModel::CalcHeight() {
  UpdateBorder();
  return 2 * DeviceBorder() + Rows * Scaled(TileHeight) + (Rows - 1) * Scaled(CellSpacing);
}

CellRect TessaraModel::CellRectOf(int col, int row) const {
  const int border = DeviceBorder(), width = Scaled(TileWidth), height = Scaled(TileHeight);
  const int spacing = Scaled(CellSpacing);
  return {border + (col - 1) * (width + spacing), border + (row - 1) * (height + spacing), width, height};
}

Cell TessaraModel::CellAt(int x, int y) const {
  Cell cell;
  const int border = DeviceBorder(), width = Scaled(TileWidth), height = Scaled(TileHeight);
  const int spacing = Scaled(CellSpacing);
  if (x < border || y < border) return cell;
  const int p = width + spacing;
  if ((x - border) % p < width) cell.Col = (x - border) / p + 1;
  const int q = height + spacing;
  if ((y - border) % q < height) cell.Row = (y - border) / q + 1;
  if (cell.Col > Cols) cell.Col = 0;
  if (cell.Row > Rows) cell.Row = 0;
  return cell;
}

void TessaraModel::IconPosition(int col, int row, int& x, int& y) const {
  const CellRect cell = CellRectOf(col, row);
  x = cell.Left + (cell.Width - IconSize()) / 2;
  y = cell.Top + (cell.Height - IconSize()) / 2;
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
