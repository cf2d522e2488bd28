#include "render/effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "base/rng.h"
#include "render/effects_avx2.h"
#include "render/shading.h"

// The vectorisable passes are written here once as inline bodies for the baseline
// instruction set; on x86 with GCC or Clang, effects_avx2.cpp holds hand-written AVX2
// versions, chosen at run time. Rows are cut into fixed blocks of bytes so the loops
// vectorise even at -O2.

namespace tessara {
namespace {

using namespace effects_internal;

constexpr std::size_t kBlock = 32;
// Room kept before a copied row so that the gray stencil may read two bytes before it.
constexpr std::size_t kLead = 32;

PixelPath g_path = PixelPath::Auto;

bool CpuHasAvx2() {
#if TESSARA_FX_HAVE_AVX2
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

bool UseAvx2() { return g_path != PixelPath::Baseline && CpuHasAvx2(); }

Periodic TintPattern(Rgb c) { return MakePeriodic(c.b, c.g, c.r); }

// Gray as a five-tap stencil over the row's bytes, so every byte of a pixel gets its
// pixel's 3R + 3G + 4B without separating the channels: tap d reads byte j + d - 2.
constexpr Periodic kGrayTap[5] = {
    MakePeriodic(0, 0, 4),  // two bytes back: blue seen from red
    MakePeriodic(0, 4, 3),  // one back
    MakePeriodic(4, 3, 3),  // the byte itself
    MakePeriodic(3, 3, 0),  // one ahead
    MakePeriodic(3, 0, 0),  // two ahead: red seen from blue
};

TESSARA_FX_INLINE unsigned GraySum(const u8* s, std::size_t j, std::size_t phase) {
  return kGrayTap[0].v[phase] * s[j - 2] + kGrayTap[1].v[phase] * s[j - 1] +
         kGrayTap[2].v[phase] * s[j] + kGrayTap[3].v[phase] * s[j + 1] +
         kGrayTap[4].v[phase] * s[j + 2];
}

// Stores a block as 16-byte halves: GCC moves a 16-byte copy in one instruction but routes
// larger ones through general registers.
TESSARA_FX_INLINE void StoreBlock(u8* to, const u8* block) {
  static_assert(kBlock % 16 == 0);
  for (std::size_t h = 0; h < kBlock; h += 16) std::memcpy(to + h, block + h, 16);
}

// ---- tint ----

TESSARA_FX_INLINE void TintRow(u8* row, std::size_t n, const Periodic& pattern) {
  // A local copy cannot alias the row, so the loop needs no overlap check.
  const Periodic t = pattern;
  std::size_t i = 0;
  for (; i + kWideBlock <= n; i += kWideBlock) {
    const u8* tv = t.v + i % 3;
    // (a + b) div 2 without leaving bytes.
    for (std::size_t k = 0; k < kWideBlock; ++k)
      row[i + k] = static_cast<u8>((row[i + k] & tv[k]) + ((row[i + k] ^ tv[k]) >> 1));
  }
  for (; i < n; ++i) row[i] = static_cast<u8>((row[i] + t.v[i % 3]) >> 1);
}

TESSARA_FX_INLINE void TintBody(Bitmap24& layer, const Periodic& t) {
  const std::size_t n = 3 * static_cast<std::size_t>(layer.Width());
  for (int y = 0; y < layer.Height(); ++y) TintRow(layer.Row(y), n, t);
}

// ---- monochrome ----

// s: a copy of the row with two readable bytes on each side.
template <bool Tint>
TESSARA_FX_INLINE void MonoRow(const u8* s, u8* out, std::size_t n, const Periodic& t) {
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    const std::size_t ph = i % 3;
    u8 block[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k) {
      const u16 sum = static_cast<u16>(GraySum(s, i + k, ph + k));
      const u16 q = static_cast<u16>(sum / 10);
      const u16 r = static_cast<u16>(sum - 10 * q);
      const u16 up = static_cast<u16>(r + (q & 1));
      const u16 g = static_cast<u16>(q + (up > 5));
      block[k] = static_cast<u8>(Tint ? (g + t.v[ph + k]) >> 1 : g);
    }
    StoreBlock(out + i, block);
  }
  for (; i < n; ++i) {
    const unsigned g = RoundTenth(GraySum(s, i, i % 3));
    out[i] = static_cast<u8>(Tint ? (g + t.v[i % 3]) >> 1 : g);
  }
}

template <bool Tint>
TESSARA_FX_INLINE void MonoBody(Bitmap24& layer, const Periodic& t, u8* s) {
  const std::size_t n = 3 * static_cast<std::size_t>(layer.Width());
  for (int y = 0; y < layer.Height(); ++y) {
    u8* row = layer.Row(y);
    std::memcpy(s, row, n);
    MonoRow<Tint>(s, row, n, t);
  }
}

// ---- emboss ----

// Gray of every pixel and gray of its inverted colour, repeated on its three bytes.
TESSARA_FX_INLINE void EmbossGrayRow(const u8* s, u8* g, u8* gi, std::size_t n) {
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    const std::size_t ph = i % 3;
    u8 gb[kBlock], ib[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k) {
      const u16 sum = static_cast<u16>(GraySum(s, i + k, ph + k));
      const u16 q = static_cast<u16>(sum / 10);
      const u16 r = static_cast<u16>(sum - 10 * q);
      const u16 up = static_cast<u16>(r + (q & 1));
      gb[k] = static_cast<u8>(q + (up > 5));
      const u16 isum = static_cast<u16>(2550 - sum);  // 3(255-R) + 3(255-G) + 4(255-B)
      const u16 iq = static_cast<u16>(isum / 10);
      const u16 ir = static_cast<u16>(isum - 10 * iq);
      const u16 iup = static_cast<u16>(ir + (iq & 1));
      ib[k] = static_cast<u8>(iq + (iup > 5));
    }
    StoreBlock(g + i, gb);
    StoreBlock(gi + i, ib);
  }
  for (; i < n; ++i) {
    const unsigned sum = GraySum(s, i, i % 3);
    g[i] = static_cast<u8>(RoundTenth(sum));
    gi[i] = static_cast<u8>(RoundTenth(2550 - sum));
  }
}

// Bytes from 3 (the second pixel) on: this pixel's gray with the inverted gray of the
// pixel one up and one to the left.
template <bool Tint>
TESSARA_FX_INLINE void EmbossCombineRow(u8* out, const u8* g, const u8* giUp, std::size_t n,
                                        const Periodic& t) {
  std::size_t i = 3;
  for (; i + kBlock <= n; i += kBlock) {
    const std::size_t ph = i % 3;
    u8 block[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k) {
      const u16 sum = static_cast<u16>(g[i + k] + giUp[i + k - 3]);
      block[k] = static_cast<u8>(Tint ? (sum + t.v[ph + k]) / 3 : sum >> 1);
    }
    StoreBlock(out + i, block);
  }
  for (; i < n; ++i) {
    const unsigned sum = g[i] + giUp[i - 3];
    out[i] = static_cast<u8>(Tint ? (sum + t.v[i % 3]) / 3 : sum >> 1);
  }
}

template <bool Tint>
TESSARA_FX_INLINE void EmbossBody(Bitmap24& layer, const Periodic& t, u8* s, u8* g, u8* giUp,
                                  u8* giCur) {
  const int w = layer.Width();
  const int h = layer.Height();
  const std::size_t n = 3 * static_cast<std::size_t>(w);
  // Top row to bottom row; each row's grays are taken before the row is overwritten, and
  // the row above is kept as its inverted grays only.
  std::memcpy(s, layer.Row(0), n);
  EmbossGrayRow(s, g, giUp, n);
  for (int y = 1; y < h; ++y) {
    u8* row = layer.Row(y);
    std::memcpy(s, row, n);
    EmbossGrayRow(s, g, giCur, n);
    EmbossCombineRow<Tint>(row, g, giUp, n, t);
    std::swap(giUp, giCur);
  }
  // The left column repeats the right one, then the top row the bottom one; the top-right
  // pixel keeps its colour.
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    std::memcpy(row, row + 3 * (w - 1), 3);
  }
  if (h > 1) std::memcpy(layer.Row(0), layer.Row(h - 1), 3 * static_cast<std::size_t>(w - 1));
}

// ---- blur ----

}  // namespace

// Declared in effects_avx2.h: the AVX2 pass runs them too, on the bytes it leaves over.

// The rule as written, in double precision: columns -1, 0, +1 outer, rows inner.
u8 effects_internal::BlurExact(const BlurRows& rows, int x, int channel) {
  const u8* const around[3] = {rows.up, rows.cur, rows.down};
  double sum = 0.0;
  double weight = 0.0;
  for (int dx = -1; dx <= 1; ++dx) {
    const int nx = x + dx;
    if (nx < 0 || nx >= rows.width) continue;
    for (int dy = -1; dy <= 1; ++dy) {
      const u8* row = around[dy + 1];
      if (row == nullptr) continue;
      const double w = (dx == 0 || dy == 0) ? 1.0 : 0.7;
      sum += w * row[3 * nx + channel];
      weight += w;
    }
  }
  return static_cast<u8>(std::nearbyint(sum / weight));
}

// An inner byte in integers: ten times the weighted sum over ten times the weights (78).
// Only an exact half is left to the double form, whose rounding of it may go either way.
u8 effects_internal::BlurInner(const BlurRows& rows, std::size_t j) {
  const u8* u = rows.up;
  const u8* c = rows.cur;
  const u8* d = rows.down;
  const unsigned num = 10u * (c[j] + c[j - 3] + c[j + 3] + u[j] + d[j]) +
                       7u * (u[j - 3] + u[j + 3] + d[j - 3] + d[j + 3]);
  const unsigned q = num / 78;
  const unsigned r = num - 78 * q;
  if (r == 39) return BlurExactInner(rows, j);
  return static_cast<u8>(q + (r > 39));
}

namespace {

// Bytes [3, n - 3) of an inner row, all of whose neighbours exist.
template <bool Tint>
TESSARA_FX_INLINE void BlurInnerRow(const BlurRows& rows, u8* out, std::size_t n,
                                    const Periodic& t) {
  const u8* u = rows.up;
  const u8* c = rows.cur;
  const u8* d = rows.down;
  const Periodic* tp = Tint ? &t : nullptr;
  const std::size_t end = n - 3;
  std::size_t i = 3;
  for (; i + kBlock <= end; i += kBlock) {
    const std::size_t ph = i % 3;
    u8 block[kBlock];
    u8 tie[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k) {
      const std::size_t j = i + k;
      const u16 direct = static_cast<u16>(c[j] + c[j - 3] + c[j + 3] + u[j] + d[j]);
      const u16 diagonal = static_cast<u16>(u[j - 3] + u[j + 3] + d[j - 3] + d[j + 3]);
      const u16 num = static_cast<u16>(10 * direct + 7 * diagonal);
      const u16 q = static_cast<u16>(num / 78);
      const u16 r = static_cast<u16>(num - 78 * q);
      const u16 v = static_cast<u16>(q + (r > 39));
      tie[k] = static_cast<u8>(r == 39);
      block[k] = static_cast<u8>(Tint ? (v + t.v[ph + k]) >> 1 : v);
    }
    u8 anyTie = 0;
    for (std::size_t k = 0; k < kBlock; ++k) anyTie |= tie[k];
    if (anyTie) {
      for (std::size_t k = 0; k < kBlock; ++k)
        if (tie[k])
          block[k] = BlurTinted(BlurExactInner(rows, i + k), tp, i + k);
    }
    StoreBlock(out + i, block);
  }
  for (; i < end; ++i) out[i] = BlurTinted(BlurInner(rows, i), tp, i);
}

template <bool Tint>
TESSARA_FX_INLINE void BlurBody(Bitmap24& layer, const Periodic& t, u8* prev, u8* cur) {
  const int w = layer.Width();
  const int h = layer.Height();
  const std::size_t n = 3 * static_cast<std::size_t>(w);
  const Periodic* tp = Tint ? &t : nullptr;
  // Top to bottom, writing in place: the original of the row above and of this row are
  // kept aside, the row below is still untouched.
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    std::memcpy(cur, row, n);
    const BlurRows rows{y > 0 ? prev : nullptr, cur, y + 1 < h ? layer.Row(y + 1) : nullptr, w};
    if (rows.up != nullptr && rows.down != nullptr && w >= 3) {
      BlurInnerRow<Tint>(rows, row, n, t);
      for (int ch = 0; ch < 3; ++ch) {
        row[ch] = BlurTinted(BlurExact(rows, 0, ch), tp, ch);
        row[n - 3 + ch] = BlurTinted(BlurExact(rows, w - 1, ch), tp, ch);
      }
    } else {
      for (std::size_t j = 0; j < n; ++j)
        row[j] = BlurTinted(BlurExact(rows, static_cast<int>(j / 3), static_cast<int>(j % 3)), tp, j);
    }
    std::swap(prev, cur);
  }
}

// ---- the baseline versions; the AVX2 ones are in effects_avx2.cpp ----

void TintBaseline(Bitmap24& layer, const Periodic& t) { TintBody(layer, t); }
template <bool Tint>
void MonoBaseline(Bitmap24& layer, const Periodic& t, u8* s) { MonoBody<Tint>(layer, t, s); }
template <bool Tint>
void EmbossBaseline(Bitmap24& layer, const Periodic& t, u8* s, u8* g, u8* a, u8* b) {
  EmbossBody<Tint>(layer, t, s, g, a, b);
}
template <bool Tint>
void BlurBaseline(Bitmap24& layer, const Periodic& t, u8* prev, u8* cur) {
  BlurBody<Tint>(layer, t, prev, cur);
}

#if TESSARA_FX_HAVE_AVX2
#define TESSARA_FX_PICK(name, targs, args) (UseAvx2() ? name##Avx2 targs args : name##Baseline targs args)
#else
#define TESSARA_FX_PICK(name, targs, args) (name##Baseline targs args)
#endif

// Row bytes rounded up so the working rows carved from one buffer stay apart.
std::size_t RowRoom(const Bitmap24& layer) {
  return ((3 * static_cast<std::size_t>(layer.Width()) + 2 * kLead) + 63) & ~std::size_t{63};
}

}  // namespace

std::uint8_t* EffectScratch::Take(std::size_t bytes) {
  if (buffer_.size() < bytes) buffer_.resize(bytes);
  return buffer_.data();
}

bool effects_internal::Avx2Chosen() { return UseAvx2(); }

void ForcePixelPath(PixelPath path) { g_path = path; }
bool Avx2PathAvailable() { return CpuHasAvx2(); }

std::uint8_t GrayOf(int r, int g, int b) {
  return static_cast<std::uint8_t>(RoundTenth(static_cast<unsigned>(3 * r + 3 * g + 4 * b)));
}

void TintPass(Bitmap24& layer, Rgb tint) {
  if (layer.Empty()) return;
  const Periodic t = TintPattern(tint);
  TESSARA_FX_PICK(Tint, , (layer, t));
}

void MonochromePass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch) {
  if (layer.Empty()) return;
  const Periodic t = TintPattern(tint.value_or(Rgb{}));
  const std::size_t room = RowRoom(layer);
  u8* s = scratch.Take(room) + kLead;
  const std::size_t n = 3 * static_cast<std::size_t>(layer.Width());
  // The stencil's taps outside the row have weight 0 but must still read defined bytes.
  s[-2] = s[-1] = s[n] = s[n + 1] = 0;
  if (tint)
    TESSARA_FX_PICK(Mono, <true>, (layer, t, s));
  else
    TESSARA_FX_PICK(Mono, <false>, (layer, t, s));
}

void EmbossPass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch) {
  if (layer.Empty()) return;
  const Periodic t = TintPattern(tint.value_or(Rgb{}));
  const std::size_t room = RowRoom(layer);
  u8* base = scratch.Take(4 * room);
  u8* s = base + kLead;
  u8* g = base + room;
  u8* giUp = base + 2 * room;
  u8* giCur = base + 3 * room;
  const std::size_t n = 3 * static_cast<std::size_t>(layer.Width());
  s[-2] = s[-1] = s[n] = s[n + 1] = 0;
  if (tint)
    TESSARA_FX_PICK(Emboss, <true>, (layer, t, s, g, giUp, giCur));
  else
    TESSARA_FX_PICK(Emboss, <false>, (layer, t, s, g, giUp, giCur));
}

void BlurPass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch) {
  if (layer.Empty()) return;
  const Periodic t = TintPattern(tint.value_or(Rgb{}));
  const std::size_t room = RowRoom(layer);
  u8* base = scratch.Take(2 * room);
  if (tint)
    TESSARA_FX_PICK(Blur, <true>, (layer, t, base, base + room));
  else
    TESSARA_FX_PICK(Blur, <false>, (layer, t, base, base + room));
}

void DisplacePass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch) {
  if (layer.Empty()) return;
  const int w = layer.Width();
  const int h = layer.Height();
  const std::size_t n = 3 * static_cast<std::size_t>(w);
  const std::size_t room = RowRoom(layer);
  u8* ring = scratch.Take(5 * room);
  const Rgb c = tint.value_or(Rgb{});
  const Periodic t = TintPattern(c);
  const auto slot = [room](int sy) { return static_cast<std::uint32_t>(static_cast<std::size_t>(sy % 5) * room); };
  // Bottom row first, as the draws are ordered. Sources lie at most two rows away: the
  // originals of rows y - 2 .. y + 2 are kept in a ring of five, each row copied in just
  // before the row two below it is written.
  for (int sy = h - 1; sy >= std::max(h - 2, 0); --sy) std::memcpy(ring + slot(sy), layer.Row(sy), n);
  for (int y = h - 1; y >= 0; --y) {
    if (y >= 2) std::memcpy(ring + slot(y - 2), layer.Row(y - 2), n);
    u8* row = layer.Row(y);
    std::uint32_t offset[5];
    for (int dy = -2; dy <= 2; ++dy) offset[dy + 2] = y + dy < 0 || y + dy >= h ? 0 : slot(y + dy);
    int x = 0;
    const auto drawTo = [&](int end) {
      for (; x < end; ++x) {
        int sx;
        do sx = x + Random(5) - 2;
        while (sx < 0 || sx > w - 1);
        int sy;
        do sy = y + Random(5) - 2;
        while (sy < 0 || sy > h - 1);
        const u8* p = ring + offset[sy - y + 2] + 3 * sx;
        u8* o = row + 3 * x;
        if (tint) {
          o[0] = static_cast<u8>((p[0] + c.b) >> 1);
          o[1] = static_cast<u8>((p[1] + c.g) >> 1);
          o[2] = static_cast<u8>((p[2] + c.r) >> 1);
        } else {
          o[0] = p[0];
          o[1] = p[1];
          o[2] = p[2];
        }
      }
    };
#if TESSARA_FX_HAVE_AVX2
    // Two pixels in from every edge no draw is refused, so the draws can be made ahead.
    if (y >= 2 && y + 2 < h && w >= 13 && UseAvx2()) {
      drawTo(2);
      std::uint32_t seed = CurrentSeed();
      x += static_cast<int>(DisplaceSpanAvx2(row, 2, static_cast<std::size_t>(w - 5), ring, offset, seed,
                                             tint ? &t : nullptr));
      RandSeed(seed);
    }
#endif
    drawTo(w);
  }
}

void RaiseWindowEdge(Bitmap24& layer, int inset, int line) {
  const int w = layer.Width();
  const int h = layer.Height();
  const int k = inset;
  line = std::max(line, 1);
  const int right = w - 1 - k;
  const int bottom = h - 1 - k;
  // The left band, clipped to the image.
  const int lead0 = std::clamp(k, 0, w), lead1 = std::clamp(k + line, 0, w);
  auto run = [](void (*pass)(u8*, std::size_t), u8* row, int from, int to) {
    if (from < to) pass(row + 3 * from, 3 * static_cast<std::size_t>(to - from));
  };
  // The top and left bands are lightened, and win over the bottom and right bands where they cross.
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    if (y >= k && y < k + line) {
      BrightenBytes(row, 3 * static_cast<std::size_t>(w));
    } else if (y > bottom - line && y <= bottom) {
      run(DarkenBytes, row, 0, lead0);
      run(BrightenBytes, row, lead0, lead1);
      run(DarkenBytes, row, lead1, w);
    } else {
      run(BrightenBytes, row, lead0, lead1);
      for (int c = std::max(right - line + 1, 0); c <= std::min(right, w - 1); ++c)
        if (c < k || c >= k + line) DarkenBytes(row + 3 * c, 3);
    }
  }
}

void ApplyEffect(Bitmap24& layer, const EffectParams& p, EffectScratch& scratch) {
  if (layer.Empty()) return;
  const std::optional<Rgb> tint = p.Tint ? std::optional<Rgb>(Rgb::FromColor(p.Color)) : std::nullopt;
  switch (p.Effect) {
    case kEffectTintOnly:
      if (tint) TintPass(layer, *tint);
      break;
    case kEffectMonochrome:
      MonochromePass(layer, tint, scratch);
      break;
    case kEffectEmboss:
      EmbossPass(layer, tint, scratch);
      break;
    case kEffectBlur:
      BlurPass(layer, tint, scratch);
      break;
    case kEffectDisplace:
      DisplacePass(layer, tint, scratch);
      break;
    default:
      break;
  }
  if (p.BorderType & 2) RaiseWindowEdge(layer, (p.BorderType & 1) ? p.OutlineWidth : 0, p.EdgeWidth);
}

}  // namespace tessara
