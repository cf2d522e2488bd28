#include "render/drawbmps.h"

#include <algorithm>
#include <cstring>

namespace tessara {

void DrawBitmapRect(Bitmap24& canvas, int x, int y, int width, int height, int srcX, int srcY,
                    const Bitmap24& source) {
  // Clip against the source, then against the canvas, moving both corners together.
  if (srcX < 0) { x -= srcX; width += srcX; srcX = 0; }
  if (srcY < 0) { y -= srcY; height += srcY; srcY = 0; }
  if (x < 0) { srcX -= x; width += x; x = 0; }
  if (y < 0) { srcY -= y; height += y; y = 0; }
  width = std::min({width, source.Width() - srcX, canvas.Width() - x});
  height = std::min({height, source.Height() - srcY, canvas.Height() - y});
  if (width <= 0 || height <= 0) return;
  for (int row = 0; row < height; ++row) {
    std::memcpy(canvas.Pixel(x, y + row), source.Pixel(srcX, srcY + row),
                static_cast<std::size_t>(width) * 3);
  }
}

void DrawBitmap(Bitmap24& canvas, int x, int y, const Bitmap24& picture) {
  DrawBitmapRect(canvas, x, y, picture.Width(), picture.Height(), 0, 0, picture);
}

void TileBitmap(Bitmap24& canvas, const Bitmap24& picture) {
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0 || canvas.Empty()) return;
  for (int i = 0; i <= (canvas.Width() - 1) / w; ++i)
    for (int j = 0; j <= (canvas.Height() - 1) / h; ++j) DrawBitmap(canvas, i * w, j * h, picture);
}

void FillBitmap(Bitmap24& canvas, Rgb color) {
  if (canvas.Empty()) return;
  std::uint8_t* first = canvas.Bits();
  for (int x = 0; x < canvas.Width(); ++x) {
    first[3 * x] = color.b;
    first[3 * x + 1] = color.g;
    first[3 * x + 2] = color.r;
  }
  for (int row = 1; row < canvas.Height(); ++row)
    std::memcpy(first + static_cast<std::size_t>(row) * canvas.Stride(), first,
                static_cast<std::size_t>(canvas.Width()) * 3);
}

void DrawOutline(Bitmap24& canvas, Rgb color, int width) {
  const int w = canvas.Width(), h = canvas.Height();
  auto put = [&](int x, int y) {
    std::uint8_t* p = canvas.Pixel(x, y);
    p[0] = color.b;
    p[1] = color.g;
    p[2] = color.r;
  };
  for (int ring = 0; ring < width && 2 * ring < w && 2 * ring < h; ++ring) {
    for (int x = ring; x < w - ring; ++x) {
      put(x, ring);
      put(x, h - 1 - ring);
    }
    for (int y = ring; y < h - ring; ++y) {
      put(ring, y);
      put(w - 1 - ring, y);
    }
  }
}

void CopyPixels(Bitmap24& target, const Bitmap24& source) {
  target.Resize(source.Width(), source.Height());
  if (!source.Empty()) std::memcpy(target.Bits(), source.Bits(), source.ByteSize());
}

}  // namespace tessara
