#pragma once
// Blits and fills between 24-bit images: plain copies of the source pixels, clipped to the
// target, no transparency.
#include "render/bitmap24.h"

namespace tessara {

// Copies the whole picture to (x, y) of the canvas; what falls outside is cut off.
void DrawBitmap(Bitmap24& canvas, int x, int y, const Bitmap24& picture);
// Copies the width x height rectangle at (srcX, srcY) of the source to (x, y) of the canvas.
void DrawBitmapRect(Bitmap24& canvas, int x, int y, int width, int height, int srcX, int srcY,
                    const Bitmap24& source);
// Tiles the picture from the top-left corner over the whole canvas.
void TileBitmap(Bitmap24& canvas, const Bitmap24& picture);
void FillBitmap(Bitmap24& canvas, Rgb color);
// An outline on the outermost `width` rings.
void DrawOutline(Bitmap24& canvas, Rgb color, int width = 1);
// Copies all pixels of a same-sized image.
void CopyPixels(Bitmap24& target, const Bitmap24& source);

}  // namespace tessara
