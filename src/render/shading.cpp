#include "render/shading.h"

#include <algorithm>

namespace tessara {
namespace {

// Runs are cut into fixed blocks so the compiler vectorises them even at -O2, where it
// will not version a loop of unknown length.
constexpr std::size_t kBlock = 32;

inline std::uint8_t Brighten(unsigned c) {
  const unsigned t = 3 * c;  // 2 x (c x 1.5)
  const unsigned q = t >> 1;
  const unsigned v = q + (t & q & 1u);  // a half goes up only to an even result
  return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

inline std::uint8_t Darken(unsigned c) {
  const unsigned t = 3 * c;  // 4 x (c x 0.75)
  const unsigned q = t >> 2;
  const unsigned r = t & 3u;
  return static_cast<std::uint8_t>(q + ((r + (q & 1u)) > 2u));
}

}  // namespace

std::uint8_t BrightenChannel(std::uint8_t c) { return Brighten(c); }
std::uint8_t DarkenChannel(std::uint8_t c) { return Darken(c); }

void BrightenBytes(std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  for (; i + kBlock <= count; i += kBlock) {
    for (std::size_t k = 0; k < kBlock; ++k) {
      const std::uint16_t t = static_cast<std::uint16_t>(3 * bytes[i + k]);
      const std::uint16_t q = static_cast<std::uint16_t>(t >> 1);
      const std::uint16_t v = static_cast<std::uint16_t>(q + (t & q & 1u));
      bytes[i + k] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
  }
  for (; i < count; ++i) bytes[i] = Brighten(bytes[i]);
}

void DarkenBytes(std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  for (; i + kBlock <= count; i += kBlock) {
    for (std::size_t k = 0; k < kBlock; ++k) {
      const std::uint16_t t = static_cast<std::uint16_t>(3 * bytes[i + k]);
      const std::uint16_t q = static_cast<std::uint16_t>(t >> 2);
      const std::uint16_t r = static_cast<std::uint16_t>(t & 3u);
      bytes[i + k] = static_cast<std::uint8_t>(q + ((r + (q & 1u)) > 2u));
    }
  }
  for (; i < count; ++i) bytes[i] = Darken(bytes[i]);
}

void ShadeCell(Bitmap24& image, int left, int top, int width, int height, CellShade mode, int line) {
  const int imageW = image.Width();
  const int imageH = image.Height();
  if (width <= 0 || height <= 0 || image.Empty()) return;
  line = std::max(line, 1);
  const bool raised = mode == CellShade::Raised;
  void (*const leadRun)(std::uint8_t*, std::size_t) = raised ? BrightenBytes : DarkenBytes;
  void (*const trailRun)(std::uint8_t*, std::size_t) = raised ? DarkenBytes : BrightenBytes;

  // Horizontal extent of the cell clipped to the image; the edge tests below still use
  // the cell's own columns.
  const int right = left + width - 1;
  const int x0 = std::max(left, 0);
  const int x1 = std::min(right, imageW - 1);
  if (x0 > x1) return;
  const int y0 = std::max(top, 0);
  const int y1 = std::min(top + height - 1, imageH - 1);
  // The left band and, left of nothing it covers, the right band, both clipped to the image.
  const int leadFrom = x0, leadTo = std::min(left + line - 1, x1);
  const int trailFrom = std::max({right - line + 1, left + line, x0}), trailTo = x1;
  auto run = [&](void (*pass)(std::uint8_t*, std::size_t), std::uint8_t* row, int from, int to) {
    if (from <= to) pass(row + 3 * from, 3 * static_cast<std::size_t>(to - from + 1));
  };

  for (int y = y0; y <= y1; ++y) {
    std::uint8_t* row = image.Row(y);
    const int v = y - top;
    if (v < line) {
      run(leadRun, row, x0, x1);
      continue;
    }
    run(leadRun, row, leadFrom, leadTo);
    if (v >= height - line) {
      run(trailRun, row, std::max(left + line, x0), x1);
    } else {
      run(trailRun, row, trailFrom, trailTo);
    }
  }
}

void ShadeCells(Bitmap24& image, CellShade mode, const CellGrid& grid) {
  if (grid.Cols <= 0 || grid.Rows <= 0) return;
  const int pitchX = grid.TileWidth + grid.CellSpacing;
  const int pitchY = grid.TileHeight + grid.CellSpacing;
  if (grid.CellSpacing >= 0) {
    // Cells are disjoint, so any order gives the same pixels: a band of cells at a time
    // keeps the rows being touched in cache.
    for (int r = 0; r < grid.Rows; ++r)
      for (int c = 0; c < grid.Cols; ++c)
        ShadeCell(image, pitchX * c + grid.Border, pitchY * r + grid.Border, grid.TileWidth,
                  grid.TileHeight, mode, grid.Line);
    return;
  }
  // Overlapping cells: a pixel may be shaded twice, so keep the window's order (columns
  // outer, rows inner).
  for (int c = 0; c < grid.Cols; ++c)
    for (int r = 0; r < grid.Rows; ++r)
      ShadeCell(image, pitchX * c + grid.Border, pitchY * r + grid.Border, grid.TileWidth,
                grid.TileHeight, mode, grid.Line);
}

}  // namespace tessara
