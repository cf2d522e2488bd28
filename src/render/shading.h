#pragma once
// Raised and sunken cells: the edge pixels of a cell are brightened by 1.5 or darkened by
// 0.75 so that a hovered cell stands out and a pressed one sinks in. The same channel
// arithmetic gives the window its raised edge (render/effects.h).
#include <cstddef>
#include <cstdint>

#include "render/bitmap24.h"

namespace tessara {

enum class CellShade {
  Raised,  // left column and top row x1.5, right column and bottom row x0.75
  Sunken,  // the factors swapped
};

// c x 1.5 rounded to nearest, halves to even, capped at 255.
std::uint8_t BrightenChannel(std::uint8_t c);
// c x 0.75 rounded to nearest, halves to even.
std::uint8_t DarkenChannel(std::uint8_t c);
// The same over a run of channel bytes.
void BrightenBytes(std::uint8_t* bytes, std::size_t count);
void DarkenBytes(std::uint8_t* bytes, std::size_t count);

// Shades one cell whose top-left corner is (left, top) in screen terms (y from the top).
// The left column and top row win at the corners: only the bottom-right corner pixel goes
// with the right column and bottom row. Pixels outside the image are skipped. On a scaled
// screen each edge is `line` pixels thick, the leading bands winning where they meet.
void ShadeCell(Bitmap24& image, int left, int top, int width, int height, CellShade mode, int line = 1);
inline void ShadeCellRaised(Bitmap24& image, int left, int top, int width, int height) {
  ShadeCell(image, left, top, width, height, CellShade::Raised);
}
inline void ShadeCellSunken(Bitmap24& image, int left, int top, int width, int height) {
  ShadeCell(image, left, top, width, height, CellShade::Sunken);
}

// The grid of a window: cell (c, r), both 0-based, starts at
// x = (TileWidth + CellSpacing) * c + Border, y likewise with TileHeight.
struct CellGrid {
  int Cols = 0;
  int Rows = 0;
  int TileWidth = 0;
  int TileHeight = 0;
  int CellSpacing = 0;
  int Border = 0;
  int Line = 1;  // thickness of a cell edge
};

// Shades every cell of the grid; the spacing between cells and the border stay as they are.
void ShadeCells(Bitmap24& image, CellShade mode, const CellGrid& grid);

}  // namespace tessara
