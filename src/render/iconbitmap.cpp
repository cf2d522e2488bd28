#include "render/iconbitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "render/effects_avx2.h"

// The row loops are written once as inline bodies over fixed blocks of bytes, so they
// vectorise at -O2; on x86 with GCC or Clang they are compiled a second time for AVX2 and
// chosen at run time, as the image effects are.

namespace tessara {
namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;

constexpr std::size_t kBlock = 32;

// dst * keep / 255 rounded to nearest, in 16 bits: t / 255 is (t + 1 + t / 256) / 256 for
// every t up to 255 * 255 + 127.
TESSARA_FX_INLINE u8 OverAlpha(u8 dst, u8 paint, u8 keep) {
  const u16 t = static_cast<u16>(dst * keep + 127);
  return static_cast<u8>(paint + ((t + 1 + (t >> 8)) >> 8));
}

TESSARA_FX_INLINE u8 OverMask(u8 dst, u8 paint, u8 keep) { return static_cast<u8>((dst & keep) ^ paint); }

template <bool Alpha>
TESSARA_FX_INLINE void BlendRow(u8* dst, const u8* paint, const u8* keep, std::size_t n) {
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    u8 block[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k)
      block[k] = Alpha ? OverAlpha(dst[i + k], paint[i + k], keep[i + k]) : OverMask(dst[i + k], paint[i + k], keep[i + k]);
    std::memcpy(dst + i, block, kBlock);
  }
  for (; i < n; ++i) dst[i] = Alpha ? OverAlpha(dst[i], paint[i], keep[i]) : OverMask(dst[i], paint[i], keep[i]);
}

// The clipped part of an icon on a layer.
struct Span {
  int x0, x1, y0, y1;  // icon columns [x0, x1) and rows [y0, y1)
};

template <bool Alpha>
TESSARA_FX_INLINE void BlendBody(Bitmap24& layer, int x, int y, const IconBitmap& icon, Span s) {
  const std::size_t n = 3 * static_cast<std::size_t>(s.x1 - s.x0);
  const std::size_t from = 3 * static_cast<std::size_t>(s.x0);
  for (int r = s.y0; r < s.y1; ++r)
    BlendRow<Alpha>(layer.Row(y + r) + 3 * static_cast<std::size_t>(x + s.x0), icon.PaintRow(r) + from,
                    icon.KeepRow(r) + from, n);
}

template <bool Alpha>
void BlendBaseline(Bitmap24& layer, int x, int y, const IconBitmap& icon, Span s) {
  BlendBody<Alpha>(layer, x, y, icon, s);
}

#if TESSARA_FX_HAVE_AVX2
template <bool Alpha>
TESSARA_FX_AVX2 void BlendAvx2(Bitmap24& layer, int x, int y, const IconBitmap& icon, Span s) {
  BlendBody<Alpha>(layer, x, y, icon, s);
}
#endif

template <bool Alpha>
void Blend(Bitmap24& layer, int x, int y, const IconBitmap& icon, Span s) {
#if TESSARA_FX_HAVE_AVX2
  if (effects_internal::Avx2Chosen()) return BlendAvx2<Alpha>(layer, x, y, icon, s);
#endif
  BlendBaseline<Alpha>(layer, x, y, icon, s);
}

}  // namespace

IconBitmap IconBitmap::FromDrawnOver(const Bitmap24& overBlack, const Bitmap24& overWhite, Kind kind) {
  IconBitmap icon;
  const int w = overBlack.Width();
  const int h = overBlack.Height();
  if (overBlack.Empty() || overWhite.Width() != w || overWhite.Height() != h) return icon;
  icon.width_ = w;
  icon.height_ = h;
  icon.kind_ = kind;
  const std::size_t n = 3 * static_cast<std::size_t>(w);
  icon.paint_.resize(n * static_cast<std::size_t>(h));
  icon.keep_.resize(n * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    const u8* black = overBlack.Row(y);
    const u8* white = overWhite.Row(y);
    u8* paint = icon.paint_.data() + icon.RowOffset(y);
    u8* keep = icon.keep_.data() + icon.RowOffset(y);
    for (std::size_t i = 0; i < n; ++i) {
      paint[i] = black[i];
      // Over white, (255 & keep) ^ paint, or paint + keep: either way keep follows.
      keep[i] = kind == Kind::Mask ? static_cast<u8>(white[i] ^ black[i])
                                   : static_cast<u8>(white[i] >= black[i] ? white[i] - black[i] : 0);
    }
  }
  return icon;
}

std::optional<IconBitmap::Kind> IconBitmap::KindShownBy(const Bitmap24& overBlack, const Bitmap24& overWhite) {
  if (overBlack.Width() != overWhite.Width() || overBlack.Height() != overWhite.Height()) return std::nullopt;
  bool alphaAlone = false, formatTells = false;
  const std::size_t n = 3 * static_cast<std::size_t>(overBlack.Width());
  for (int y = 0; y < overBlack.Height(); ++y) {
    const u8* black = overBlack.Row(y);
    const u8* white = overWhite.Row(y);
    for (std::size_t i = 0; i < n; ++i) {
      const u8 b = black[i], w = white[i];
      if (w < b) return Kind::Mask;
      // Kept whole or painted over: both forms give the same byte.
      if (w == b || (b == 0 && w == 255)) continue;
      if (w == static_cast<u8>(~b))
        formatTells = true;
      else
        alphaAlone = true;
    }
  }
  if (alphaAlone) return Kind::Alpha;
  if (formatTells) return std::nullopt;
  return Kind::Mask;
}

void DrawIconBitmap(Bitmap24& layer, int x, int y, const IconBitmap& icon) {
  if (icon.Empty() || layer.Empty()) return;
  // In 64 bits: a far position must not wrap into the layer.
  const long long lx = x, ly = y;
  const Span s{static_cast<int>(std::clamp(-lx, 0LL, static_cast<long long>(icon.Width()))),
               static_cast<int>(std::clamp(layer.Width() - lx, 0LL, static_cast<long long>(icon.Width()))),
               static_cast<int>(std::clamp(-ly, 0LL, static_cast<long long>(icon.Height()))),
               static_cast<int>(std::clamp(layer.Height() - ly, 0LL, static_cast<long long>(icon.Height())))};
  if (s.x0 >= s.x1 || s.y0 >= s.y1) return;
  if (icon.GetKind() == IconBitmap::Kind::Alpha)
    Blend<true>(layer, x, y, icon, s);
  else
    Blend<false>(layer, x, y, icon, s);
}

}  // namespace tessara
