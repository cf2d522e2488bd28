#include "tessara/model.h"

#include <gtest/gtest.h>

#include <climits>

namespace tessara {
namespace {

TEST(TessaraModelTest, SizeFollowsGridAndBorders) {
  struct Case {
    int cols, rows, tw, th, spacing, borderType, borderSpacing, width, height;
  };
  const Case cases[] = {
      {2, 3, 36, 36, 0, 3, 0, 76, 112},             // a brand-new window
      {64, 64, 48, 48, 8, 3, 8, 3596, 3596},        // the largest
      {1, 1, 32, 32, 0, 0, 0, 32, 32},              // no border at all
      {3, 2, 40, 33, 4, 1, 2, 2 * 3 + 120 + 8, 2 * 3 + 66 + 4},
  };
  for (const auto& c : cases) {
    TessaraModel m;
    m.Cols = c.cols;
    m.Rows = c.rows;
    m.TileWidth = c.tw;
    m.TileHeight = c.th;
    m.CellSpacing = c.spacing;
    m.BorderType = c.borderType;
    m.BorderSpacing = c.borderSpacing;
    m.Border = 99;  // a stored value is never trusted
    EXPECT_EQ(m.CalcWidth(), c.width);
    EXPECT_EQ(m.CalcHeight(), c.height);
    EXPECT_EQ(m.Border, BorderWidth[c.borderType] + c.borderSpacing);
  }
}

TEST(TessaraModelTest, BlackLineToggleGrowsTheWindowByTwo) {
  TessaraModel m;
  m.BorderType = 2;
  m.BorderSpacing = 3;
  const int w = m.CalcWidth(), h = m.CalcHeight();
  EXPECT_EQ(m.Border, 4);
  m.BorderType ^= 1;
  EXPECT_EQ(m.CalcWidth(), w + 2);
  EXPECT_EQ(m.CalcHeight(), h + 2);
  EXPECT_EQ(m.Border, 5);
}

TEST(TessaraModelTest, HitTestFindsCellsAndRejectsGapsAndBorders) {
  TessaraModel m;
  m.Cols = 3;
  m.Rows = 2;
  m.TileWidth = 36;
  m.TileHeight = 40;
  m.BorderType = 3;
  m.BorderSpacing = 1;
  m.CellSpacing = 0;
  m.UpdateBorder();  // 3
  const int b = m.Border;
  struct Case {
    int x, y, col, row;
  };
  const Case flat[] = {
      {b, b, 1, 1},           {b - 1, b, 0, 0},        {b, b - 1, 0, 0},
      {b + 36, b, 2, 1},      {b + 35, b + 39, 1, 1},  {b + 3 * 36, b, 0, 1},
      {b, b + 2 * 40, 1, 0},  {-5, -5, 0, 0},          {b + 2 * 36 + 1, b + 41, 3, 2},
  };
  for (const auto& c : flat) {
    const Cell cell = m.CellAt(c.x, c.y);
    EXPECT_EQ(cell.Col, c.col) << c.x << "," << c.y;
    EXPECT_EQ(cell.Row, c.row) << c.x << "," << c.y;
  }
  m.CellSpacing = 4;
  for (int x = b + 36; x <= b + 39; ++x) EXPECT_EQ(m.CellAt(x, b).Col, 0) << x;
  EXPECT_EQ(m.CellAt(b + 40, b).Col, 2);
  const Cell gap = m.CellAt(b + 1, b + 41);  // between two rows, inside a column
  EXPECT_EQ(gap.Col, 1);
  EXPECT_EQ(gap.Row, 0);
  EXPECT_FALSE(gap.Valid());
}

TEST(TessaraModelTest, TilesOutsideTheGridSurviveShrinking) {
  TessaraModel m;
  m.Cols = 5;
  m.Tile(4, 2).Filename = "C:\\x.exe";
  m.Cols = 2;
  EXPECT_EQ(m.CellAt(m.CellRectOf(4, 2).Left, m.CellRectOf(4, 2).Top).Col, 0);
  m.Cols = 5;
  EXPECT_EQ(m.Tile(4, 2).Filename, "C:\\x.exe");
  // Column outer: the record after (c, 64) is (c + 1, 1).
  EXPECT_EQ(TessaraModel::TileIndex(1, 64) + 1, TessaraModel::TileIndex(2, 1));
  EXPECT_EQ(TessaraModel::TileIndex(3, 5), 2u * 64 + 4);
  TTileRecord leftover;
  leftover.Description = "still here";
  EXPECT_TRUE(leftover.Empty()) << "only the file name decides";
}

TEST(TessaraModelTest, IconIsCentredWithTheSparePixelRightAndDown) {
  TessaraModel m;
  m.BorderType = 0;
  m.UpdateBorder();
  for (auto [tw, inset] : {std::pair{33, 0}, {36, 2}, {48, 8}}) {
    m.TileWidth = tw;
    m.TileHeight = tw;
    int x = 0, y = 0;
    m.IconPosition(2, 1, x, y);
    EXPECT_EQ(x, tw + inset) << tw;
    EXPECT_EQ(y, inset) << tw;
  }
}

TEST(TessaraModelTest, ClampingBringsHandEditedValuesIntoRange) {
  TessaraModel m;
  m.Cols = 0;
  m.Rows = 100;
  m.TileWidth = 10;
  m.TileHeight = 99;
  m.CellSpacing = -3;
  m.BorderSpacing = 20;
  m.BorderType = 7;
  m.Left = INT_MIN;
  m.Top = INT_MAX;
  m.ClampToModel();
  EXPECT_EQ(m.Left, -32000) << "still off the screen";
  EXPECT_EQ(m.Top, 32000);
  EXPECT_EQ(m.Cols, 1);
  EXPECT_EQ(m.Rows, 64);
  EXPECT_EQ(m.TileWidth, 32);
  EXPECT_EQ(m.TileHeight, 48);
  EXPECT_EQ(m.CellSpacing, 0);
  EXPECT_EQ(m.BorderSpacing, 8);
  EXPECT_EQ(m.BorderType, 3);
  EXPECT_EQ(m.Border, 10);
}

}  // namespace
}  // namespace tessara
