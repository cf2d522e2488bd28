#include <windows.h>

#include "render/bitmap24.h"

namespace tessara {
namespace {
// A bottom-up 24-bit DIB section: GDI and the pixel passes share its bytes.
class DibStorage final : public Bitmap24Storage {
 public:
  DibStorage(HBITMAP bitmap, std::uint8_t* bits) : bitmap_(bitmap), bits_(bits) {}
  ~DibStorage() override { DeleteObject(bitmap_); }
  std::uint8_t* Bits() override { return bits_; }
  void* Handle() override { return bitmap_; }

 private:
  HBITMAP bitmap_;
  std::uint8_t* bits_;
};
}  // namespace

std::unique_ptr<Bitmap24Storage> AllocateBitmap24Storage(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  return std::make_unique<DibStorage>(bitmap, static_cast<std::uint8_t*>(bits));
}

}  // namespace tessara
