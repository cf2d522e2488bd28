#include "render/shading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "render/bitmap24.h"

namespace {

using tessara::Bitmap24;
using tessara::CellGrid;
using tessara::CellShade;

int RoundHalfEven(int num, int den) {
  int q = num / den;
  const int twiceRest = 2 * (num - q * den);
  if (twiceRest > den || (twiceRest == den && q % 2 == 1)) ++q;
  return q;
}

int PlainBrighten(int c) { return std::min(RoundHalfEven(3 * c, 2), 255); }
int PlainDarken(int c) { return RoundHalfEven(3 * c, 4); }

// The rule pixel by pixel: columns outer, rows inner, factor by the cell's own edges.
void PlainShadeCells(Bitmap24& bmp, CellShade mode, const CellGrid& g) {
  const bool raised = mode == CellShade::Raised;
  for (int c = 0; c < g.Cols; ++c)
    for (int r = 0; r < g.Rows; ++r) {
      const int left = (g.TileWidth + g.CellSpacing) * c + g.Border;
      const int top = (g.TileHeight + g.CellSpacing) * r + g.Border;
      for (int u = 0; u < g.TileWidth; ++u)
        for (int v = 0; v < g.TileHeight; ++v) {
          const int x = left + u, y = top + v;
          if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) continue;
          bool lighten;
          if (u == 0 || v == 0)
            lighten = raised;
          else if (u == g.TileWidth - 1 || v == g.TileHeight - 1)
            lighten = !raised;
          else
            continue;
          std::uint8_t* p = bmp.Pixel(x, y);
          for (int ch = 0; ch < 3; ++ch)
            p[ch] = static_cast<std::uint8_t>(lighten ? PlainBrighten(p[ch]) : PlainDarken(p[ch]));
        }
    }
}

TEST(ShadeChannel, RoundsHalvesToEvenAndCaps) {
  struct Case {
    int in, brightened, darkened;
  } cases[] = {
      {200, 255, 150}, {171, 255, 128},  // 256.5 -> 256 -> 255; 128.25
      {2, 3, 2},                          // 0.75 x 2 = 1.5 -> 2
      {6, 9, 4},                          // 4.5 -> 4
      {10, 15, 8},                        // 7.5 -> 8
      {1, 2, 1},                          // 1.5 -> 2; 0.75 -> 1
      {3, 4, 2},                          // 4.5 -> 4; 2.25 -> 2
      {0, 0, 0},      {255, 255, 191},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tessara::BrightenChannel(static_cast<std::uint8_t>(c.in)), c.brightened) << c.in;
    EXPECT_EQ(tessara::DarkenChannel(static_cast<std::uint8_t>(c.in)), c.darkened) << c.in;
  }
  // Runs of every length up to a few blocks agree with the single channel form.
  std::vector<std::uint8_t> all(256 * 3 + 5);
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i * 7);
  for (std::size_t n : {std::size_t{1}, std::size_t{31}, std::size_t{32}, std::size_t{33}, all.size()}) {
    std::vector<std::uint8_t> up(all.begin(), all.begin() + n), down = up;
    tessara::BrightenBytes(up.data(), n);
    tessara::DarkenBytes(down.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(up[i], PlainBrighten(all[i])) << i;
      ASSERT_EQ(down[i], PlainDarken(all[i])) << i;
    }
  }
}

TEST(ShadeCell, RaisedCellOf32Counts63Lit61DarkenedAnd900Kept) {
  for (CellShade mode : {CellShade::Raised, CellShade::Sunken}) {
    Bitmap24 bmp(40, 40);
    std::memset(bmp.Bits(), 100, bmp.ByteSize());
    tessara::ShadeCell(bmp, 4, 3, 32, 32, mode);
    int lit = 0, dark = 0, kept = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const std::uint8_t* p = bmp.Pixel(x, y);
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
        const bool inCell = x >= 4 && x < 36 && y >= 3 && y < 35;
        if (!inCell) {
          outside += p[0] != 100;
          continue;
        }
        const bool leading = x == 4 || y == 3;
        const bool trailing = !leading && (x == 35 || y == 34);
        const int want = leading ? (mode == CellShade::Raised ? 150 : 75)
                         : trailing ? (mode == CellShade::Raised ? 75 : 150)
                                    : 100;
        ASSERT_EQ(p[0], want) << x << "," << y;
        lit += p[0] == 150;
        dark += p[0] == 75;
        kept += p[0] == 100;
      }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(kept, 900);
    EXPECT_EQ(mode == CellShade::Raised ? lit : dark, 63);
    EXPECT_EQ(mode == CellShade::Raised ? dark : lit, 61);
  }
}

TEST(ShadeCells, MatchesThePlainRuleOverGrids) {
  const CellGrid grids[] = {
      {3, 2, 32, 32, 4, 6},   // the usual window
      {5, 4, 7, 5, 0, 1},     // touching cells
      {4, 3, 10, 9, -3, 2},   // overlapping cells shade in the window's order
      {2, 2, 1, 1, 1, 0},     // one-pixel cells
      {3, 3, 1, 6, 2, 1},     // one column wide
      {3, 3, 6, 1, 2, 1},     // one row high
      {4, 4, 20, 20, 2, -5},  // cells hanging over the image's edges
  };
  std::mt19937 gen(5);
  for (const CellGrid& g : grids)
    for (CellShade mode : {CellShade::Raised, CellShade::Sunken}) {
      Bitmap24 fast(53, 41);
      for (std::size_t i = 0; i < fast.ByteSize(); ++i) fast.Bits()[i] = static_cast<std::uint8_t>(gen());
      Bitmap24 plain(53, 41);
      std::memcpy(plain.Bits(), fast.Bits(), fast.ByteSize());
      tessara::ShadeCells(fast, mode, g);
      PlainShadeCells(plain, mode, g);
      ASSERT_EQ(0, std::memcmp(fast.Bits(), plain.Bits(), fast.ByteSize()))
          << g.Cols << "x" << g.Rows << " tile " << g.TileWidth << "x" << g.TileHeight << " spacing "
          << g.CellSpacing << " border " << g.Border;
    }
}

}  // namespace
