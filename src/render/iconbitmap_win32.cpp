#include "render/iconbitmap_win32.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "render/drawbmps.h"
#include "shell/handles_win32.h"

namespace tessara {
namespace {

// An icon is blended by its alpha when its colour image has 32 bits and any alpha at all;
// otherwise, and for monochrome icons, it is drawn through its mask.
IconBitmap::Kind KindOf(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return IconBitmap::Kind::Mask;
  UniqueBitmap color(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP bm{};
  if (!color || !GetObjectA(color.Get(), sizeof bm, &bm) || bm.bmBitsPixel != 32 || bm.bmWidth <= 0 ||
      bm.bmHeight <= 0)
    return IconBitmap::Kind::Mask;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
  UniqueDC dc(CreateCompatibleDC(nullptr));
  if (!dc || GetDIBits(dc.Get(), color.Get(), 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &bi,
                       DIB_RGB_COLORS) != bm.bmHeight)
    return IconBitmap::Kind::Mask;
  for (std::uint32_t p : pixels)
    if (p >> 24) return IconBitmap::Kind::Alpha;
  return IconBitmap::Kind::Mask;
}

bool DrawOver(HDC dc, HICON icon, int size, Bitmap24& canvas) {
  ScopedSelect select(dc, static_cast<HBITMAP>(canvas.Handle()));
  return select.Ok() && DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace

IconBitmap IconBitmapFromIcon(HICON icon, int size) { return IconImager().Make(icon, size); }

IconBitmap IconImager::Make(HICON icon, int size) {
  if (!icon || size < 1 || size > 256) return {};
  if (!dc_) dc_.Reset(CreateCompatibleDC(nullptr));
  if (black_.Width() != size || black_.Height() != size) {
    black_.Resize(size, size);
    white_.Resize(size, size);
  }
  if (!dc_ || !black_.Handle() || !white_.Handle()) return {};
  // Drawn once over black and once over white, by the system itself, so the image holds its
  // stretching and its colour conversions as they are, whatever the icon's format.
  FillBitmap(black_, Rgb{0, 0, 0});
  FillBitmap(white_, Rgb{255, 255, 255});
  const bool drawn = DrawOver(dc_.Get(), icon, size, black_) && DrawOver(dc_.Get(), icon, size, white_);
  GdiFlush();
  if (!drawn) return {};
  // The pictures mostly tell the kind themselves; the icon's bits are read only when not.
  const std::optional<IconBitmap::Kind> shown = IconBitmap::KindShownBy(black_, white_);
  return IconBitmap::FromDrawnOver(black_, white_, shown ? *shown : KindOf(icon));
}

}  // namespace tessara
