#include "render/effects.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "base/rng.h"
#include "render/shading.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

// The vectorisable passes are written once as inline bodies and compiled twice: for the
// baseline instruction set and, on x86 with GCC or Clang, for AVX2, chosen at run time.
// Rows are cut into fixed blocks of bytes so the loops vectorise even at -O2.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TESSARA_FX_HAVE_AVX2 1
#define TESSARA_FX_INLINE inline __attribute__((always_inline))
#define TESSARA_FX_AVX2 __attribute__((target("avx2")))
#else
#define TESSARA_FX_HAVE_AVX2 0
#define TESSARA_FX_INLINE inline
#endif

namespace tessara {
namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;

constexpr std::size_t kBlock = 32;
// In-place byte passes write straight back and can take wider blocks.
constexpr std::size_t kWideBlock = 64;
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

// A per-channel value repeated along a row: v[m] belongs to channel m % 3 (0 blue,
// 1 green, 2 red), so a block starting at byte i reads from v + i % 3.
struct Periodic {
  u8 v[kWideBlock + 4];
};

constexpr Periodic MakePeriodic(u8 blue, u8 green, u8 red) {
  Periodic p{};
  for (std::size_t m = 0; m < sizeof p.v; ++m) p.v[m] = m % 3 == 0 ? blue : m % 3 == 1 ? green : red;
  return p;
}

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

// s / 10 rounded to nearest with halves to even, for s up to 2550.
TESSARA_FX_INLINE unsigned RoundTenth(unsigned s) {
  const unsigned q = s / 10;
  const unsigned r = s - 10 * q;
  return q + ((r + (q & 1u)) > 5u);
}

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

// Three original rows around the one being written; up or down is null at the image's
// top or bottom edge.
struct BlurRows {
  const u8* up;
  const u8* cur;
  const u8* down;
  int width;
};

// The rule as written, in double precision: columns -1, 0, +1 outer, rows inner.
u8 BlurExact(const BlurRows& rows, int x, int channel) {
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

// The same for a byte whose eight neighbours all exist, without the loops: the same
// products added in the same order, over the weights added in the same order.
TESSARA_FX_INLINE u8 BlurExactInner(const BlurRows& rows, std::size_t j) {
  constexpr double kWeight = 0.0 + 0.7 + 1.0 + 0.7 + 1.0 + 1.0 + 1.0 + 0.7 + 1.0 + 0.7;
  const u8* u = rows.up;
  const u8* c = rows.cur;
  const u8* d = rows.down;
  double sum = 0.0;
  sum += 0.7 * u[j - 3];
  sum += 1.0 * c[j - 3];
  sum += 0.7 * d[j - 3];
  sum += 1.0 * u[j];
  sum += 1.0 * c[j];
  sum += 1.0 * d[j];
  sum += 0.7 * u[j + 3];
  sum += 1.0 * c[j + 3];
  sum += 0.7 * d[j + 3];
  return static_cast<u8>(std::nearbyint(sum / kWeight));
}

TESSARA_FX_INLINE u8 BlurTinted(unsigned v, const Periodic* t, std::size_t j) {
  return static_cast<u8>(t ? (v + t->v[j % 3]) >> 1 : v);
}

// An inner byte in integers: ten times the weighted sum over ten times the weights (78).
// Only an exact half is left to the double form, whose rounding of it may go either way.
u8 BlurInner(const BlurRows& rows, std::size_t j) {
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

// ---- the two compiled versions ----

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
// Hand-written AVX2 versions. A block is 32 pixels (96 bytes) held as two 16-pixel groups,
// one per 128-bit lane, because byte shuffles do not cross lanes: the low lane works on
// bytes 0-47 and the high lane on bytes 48-95 with the same shuffle masks.

constexpr std::size_t kPx = 32;  // pixels per block

// Byte masks, the same in both lanes.
struct ShuffleMasks {
  alignas(32) u8 window[4][32];  // four pixels of a window as B, G, R, 0 per dword
  alignas(32) u8 spread[3][32];  // bytes 16k..16k+15 of a group from its 16 per-pixel values
  alignas(32) u8 plane[3][3][32];  // [chunk][channel]: that channel's bytes of the chunk, else zero
  alignas(32) u8 grayWeights[32];  // 4, 3, 3, 0: blue, green, red, none
};

// Window w of a group starts at byte kWindowLoad[w]; its first pixel lies kWindowSkip[w]
// bytes in, so no window reads past its group.
constexpr int kWindowLoad[4] = {0, 12, 24, 32};
constexpr int kWindowSkip[4] = {0, 0, 0, 4};

constexpr ShuffleMasks MakeMasks() {
  ShuffleMasks m{};
  for (int lane = 0; lane < 2; ++lane)
    for (int b = 0; b < 16; ++b) {
      const int at = 16 * lane + b;
      for (int w = 0; w < 4; ++w)
        m.window[w][at] = static_cast<u8>(b % 4 == 3 ? 0x80 : kWindowSkip[w] + 3 * (b / 4) + b % 4);
      for (int k = 0; k < 3; ++k) {
        const int byte = 16 * k + b;
        m.spread[k][at] = static_cast<u8>(byte / 3);
        for (int ch = 0; ch < 3; ++ch) m.plane[k][ch][at] = static_cast<u8>(byte % 3 == ch ? byte / 3 : 0x80);
      }
      m.grayWeights[at] = static_cast<u8>(b % 4 == 0 ? 4 : b % 4 == 3 ? 0 : 3);
    }
  return m;
}

constexpr ShuffleMasks kMasks = MakeMasks();

TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Load32(const u8* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
TESSARA_FX_AVX2 TESSARA_FX_INLINE void Store32(u8* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
// Bytes p[0..15] in the low lane, p[48..63] in the high lane.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i LoadGroups(const u8* p) {
  const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// (a + b) div 2 per byte: the rounding-up average less the bit it added.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i HalfSum(__m256i a, __m256i b) {
  return _mm256_sub_epi8(_mm256_avg_epu8(a, b),
                         _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

// 3R + 3G + 4B of the 32 pixels at p, in 16-bit lanes: `first` holds pixels 0-7 of each
// group, `second` pixels 8-15.
struct GraySums {
  __m256i first, second;
};

TESSARA_FX_AVX2 TESSARA_FX_INLINE GraySums BlockGraySums(const u8* p) {
  const __m256i weights = _mm256_load_si256(reinterpret_cast<const __m256i*>(kMasks.grayWeights));
  __m256i pairs[4];
  for (int w = 0; w < 4; ++w) {
    const __m256i bgr0 = _mm256_shuffle_epi8(
        LoadGroups(p + kWindowLoad[w]), _mm256_load_si256(reinterpret_cast<const __m256i*>(kMasks.window[w])));
    pairs[w] = _mm256_maddubs_epi16(bgr0, weights);  // 4B + 3G and 3R per pixel
  }
  return {_mm256_hadd_epi16(pairs[0], pairs[1]), _mm256_hadd_epi16(pairs[2], pairs[3])};
}

// RoundTenth on 16-bit lanes. The high half of s * 6554 is s / 10 exactly for s < 16384.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i RoundTenth16(__m256i s) {
  const __m256i q = _mm256_mulhi_epu16(s, _mm256_set1_epi16(6554));
  const __m256i r = _mm256_sub_epi16(s, _mm256_mullo_epi16(q, _mm256_set1_epi16(10)));
  const __m256i up = _mm256_add_epi16(r, _mm256_and_si256(q, _mm256_set1_epi16(1)));
  return _mm256_sub_epi16(q, _mm256_cmpgt_epi16(up, _mm256_set1_epi16(5)));
}

// Writes three vectors of two 16-byte chunks each, chunk k of a lane being bytes 16k..16k+15
// of its group, back as the block's 96 bytes in order.
TESSARA_FX_AVX2 TESSARA_FX_INLINE void StoreGroups(u8* p, __m256i c0, __m256i c1, __m256i c2) {
  Store32(p, _mm256_permute2x128_si256(c0, c1, 0x20));
  Store32(p + 32, _mm256_permute2x128_si256(c2, c0, 0x30));
  Store32(p + 64, _mm256_permute2x128_si256(c1, c2, 0x31));
}

// Each pixel's value (bytes in pixel order per lane) on its three bytes.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Spread(__m256i v, int k) {
  return _mm256_shuffle_epi8(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(kMasks.spread[k])));
}

// Chunk k of a block from three per-pixel planes: blue, green, red.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Interleave(const __m256i planes[3], int k) {
  __m256i out = _mm256_setzero_si256();
  for (int ch = 0; ch < 3; ++ch)
    out = _mm256_or_si256(out, _mm256_shuffle_epi8(planes[ch], _mm256_load_si256(reinterpret_cast<const __m256i*>(
                                                                   kMasks.plane[k][ch]))));
  return out;
}

// The tint pattern for the three 32-byte stores of a block that starts on a pixel.
struct TintVectors {
  __m256i v[3];
};
TESSARA_FX_AVX2 TESSARA_FX_INLINE TintVectors LoadTint(const Periodic& t) {
  return {{Load32(t.v), Load32(t.v + 2), Load32(t.v + 1)}};  // bytes 0, 32, 64 of the block
}
// The same for the per-lane chunks of StoreGroups: chunk k starts at byte 16k of a group.
TESSARA_FX_AVX2 TESSARA_FX_INLINE TintVectors LoadChunkTint(const Periodic& t) {
  TintVectors out;
  for (int k = 0; k < 3; ++k)
    out.v[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t.v + 16 * k % 3)));
  return out;
}

// ---- tint ----

TESSARA_FX_AVX2 void TintAvx2(Bitmap24& layer, const Periodic& t) {
  const std::size_t n = 3 * static_cast<std::size_t>(layer.Width());
  const TintVectors tv = LoadTint(t);
  // Bottom row first: the rows lie in memory in that order.
  for (int y = layer.Height() - 1; y >= 0; --y) {
    u8* row = layer.Row(y);
    std::size_t i = 0;
    for (; i + 3 * kPx <= n; i += 3 * kPx)
      for (int k = 0; k < 3; ++k) Store32(row + i + 32 * k, HalfSum(Load32(row + i + 32 * k), tv.v[k]));
    for (; i < n; ++i) row[i] = static_cast<u8>((row[i] + t.v[i % 3]) >> 1);
  }
  _mm256_zeroupper();
}

// ---- monochrome ----

template <bool Tint>
TESSARA_FX_AVX2 void MonoAvx2(Bitmap24& layer, const Periodic& t, u8*) {
  const std::size_t w = static_cast<std::size_t>(layer.Width());
  const TintVectors tv = LoadChunkTint(t);
  for (int y = layer.Height() - 1; y >= 0; --y) {
    u8* row = layer.Row(y);
    std::size_t x = 0;
    for (; x + kPx <= w; x += kPx) {
      u8* p = row + 3 * x;
      const GraySums s = BlockGraySums(p);
      const __m256i g = _mm256_packus_epi16(RoundTenth16(s.first), RoundTenth16(s.second));
      __m256i c[3];
      for (int k = 0; k < 3; ++k) {
        c[k] = Spread(g, k);
        if (Tint) c[k] = HalfSum(c[k], tv.v[k]);
      }
      StoreGroups(p, c[0], c[1], c[2]);
    }
    for (; x < w; ++x) {
      u8* p = row + 3 * x;
      const unsigned g = RoundTenth(3u * p[2] + 3u * p[1] + 4u * p[0]);
      for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<u8>(Tint ? (g + t.v[ch]) >> 1 : g);
    }
  }
  _mm256_zeroupper();
}

// ---- emboss ----

// One pixel the plain way: its inverted gray kept for the row below, and unless it is the
// first pixel of the row, its new colour.
template <bool Tint>
TESSARA_FX_INLINE void EmbossPixel(u8* row, std::size_t x, const u8* giUp, u8* giCur, const Periodic& t,
                                   bool write) {
  u8* p = row + 3 * x;
  const unsigned sum = 3u * p[2] + 3u * p[1] + 4u * p[0];
  giCur[x] = static_cast<u8>(RoundTenth(2550 - sum));
  if (!write) return;
  const unsigned both = RoundTenth(sum) + giUp[x - 1];
  for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<u8>(Tint ? (both + t.v[ch]) / 3 : both >> 1);
}

// giUp and giCur: one inverted gray per pixel, with a readable byte before the first.
template <bool Tint>
TESSARA_FX_AVX2 void EmbossAvx2(Bitmap24& layer, const Periodic& t, u8*, u8*, u8* giUp, u8* giCur) {
  const int w = layer.Width();
  const int h = layer.Height();
  const std::size_t wz = static_cast<std::size_t>(w);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i third = _mm256_set1_epi16(21846);  // high half of x * 21846 is x / 3 for x < 32768
  const __m256i tint16[3] = {_mm256_set1_epi16(t.v[0]), _mm256_set1_epi16(t.v[1]), _mm256_set1_epi16(t.v[2])};
  const __m256i full = _mm256_set1_epi16(2550);  // 3 * 255 + 3 * 255 + 4 * 255
  giUp[-1] = giCur[-1] = 0;
  // Top to bottom: each row's inverted grays are taken before the row is overwritten.
  for (std::size_t x = 0; x < wz; ++x) EmbossPixel<Tint>(layer.Row(0), x, giUp, giUp, t, false);
  for (int y = 1; y < h; ++y) {
    u8* row = layer.Row(y);
    EmbossPixel<Tint>(row, 0, giUp, giCur, t, false);
    std::size_t x = 1;
    for (; x + kPx <= wz; x += kPx) {
      u8* p = row + 3 * x;
      const GraySums s = BlockGraySums(p);
      const __m256i g1 = RoundTenth16(s.first);
      const __m256i g2 = RoundTenth16(s.second);
      const __m256i inv = _mm256_packus_epi16(RoundTenth16(_mm256_sub_epi16(full, s.first)),
                                              RoundTenth16(_mm256_sub_epi16(full, s.second)));
      Store32(giCur + x, inv);
      const __m256i up = Load32(giUp + x - 1);  // pixel order per lane, as g1 and g2 pack to
      __m256i c[3];
      if (Tint) {
        const __m256i both1 = _mm256_add_epi16(g1, _mm256_unpacklo_epi8(up, zero));
        const __m256i both2 = _mm256_add_epi16(g2, _mm256_unpackhi_epi8(up, zero));
        __m256i planes[3];
        for (int ch = 0; ch < 3; ++ch)
          planes[ch] = _mm256_packus_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(both1, tint16[ch]), third),
                                           _mm256_mulhi_epu16(_mm256_add_epi16(both2, tint16[ch]), third));
        for (int k = 0; k < 3; ++k) c[k] = Interleave(planes, k);
      } else {
        const __m256i v = HalfSum(_mm256_packus_epi16(g1, g2), up);
        for (int k = 0; k < 3; ++k) c[k] = Spread(v, k);
      }
      StoreGroups(p, c[0], c[1], c[2]);
    }
    for (; x < wz; ++x) EmbossPixel<Tint>(row, x, giUp, giCur, t, true);
    std::swap(giUp, giCur);
  }
  // The left column repeats the right one, then the top row the bottom one; the top-right
  // pixel keeps its colour.
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    std::memcpy(row, row + 3 * (w - 1), 3);
  }
  if (h > 1) std::memcpy(layer.Row(0), layer.Row(h - 1), 3 * static_cast<std::size_t>(w - 1));
  _mm256_zeroupper();
}

// ---- blur ----

// 16 bytes as 16-bit lanes.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Widen16(const u8* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// Bytes [3, n - 3) of an inner row.
template <bool Tint>
TESSARA_FX_AVX2 TESSARA_FX_INLINE void BlurInnerRowAvx2(const BlurRows& rows, u8* out, std::size_t n,
                                                        const Periodic& t) {
  const u8* u = rows.up;
  const u8* c = rows.cur;
  const u8* d = rows.down;
  const Periodic* tp = Tint ? &t : nullptr;
  const std::size_t end = n - 3;
  const __m256i ten = _mm256_set1_epi16(10);
  const __m256i seven = _mm256_set1_epi16(7);
  const __m256i half = _mm256_set1_epi16(39);
  const __m256i whole = _mm256_set1_epi16(78);
  // The high half of a * 53774, shifted right by 6, is a / 78 for a < 61680.
  const __m256i inverse = _mm256_set1_epi16(static_cast<short>(53774));
  // Exact halves (about one byte in 78 of a noisy picture) are marked per block and settled
  // after a stretch of blocks: away from the vector loop their unpredictable branches cost
  // less, and the double sums of different bytes overlap.
  constexpr std::size_t kStretch = 64;  // blocks
  std::uint32_t tieBits[kStretch];
  std::uint16_t tieAt[kStretch * 32];
  std::size_t i = 3;
  while (i + 32 <= end) {
    const std::size_t first = i;
    std::size_t blocks = 0;
    for (; blocks < kStretch && i + 32 <= end; ++blocks, i += 32) {
      __m256i q[2], tie[2];
      for (int hpart = 0; hpart < 2; ++hpart) {
        const std::size_t j = i + 16 * hpart;
        const __m256i direct =
            _mm256_add_epi16(_mm256_add_epi16(_mm256_add_epi16(Widen16(c + j - 3), Widen16(c + j)),
                                              _mm256_add_epi16(Widen16(c + j + 3), Widen16(u + j))),
                             Widen16(d + j));
        const __m256i diagonal = _mm256_add_epi16(_mm256_add_epi16(Widen16(u + j - 3), Widen16(u + j + 3)),
                                                  _mm256_add_epi16(Widen16(d + j - 3), Widen16(d + j + 3)));
        const __m256i num =
            _mm256_add_epi16(_mm256_mullo_epi16(direct, ten), _mm256_mullo_epi16(diagonal, seven));
        // Rounding half up; where the rest is exactly a half the double form decides below.
        const __m256i a = _mm256_add_epi16(num, half);
        q[hpart] = _mm256_srli_epi16(_mm256_mulhi_epu16(a, inverse), 6);
        tie[hpart] = _mm256_cmpeq_epi16(_mm256_sub_epi16(a, _mm256_mullo_epi16(q[hpart], whole)),
                                        _mm256_setzero_si256());
      }
      __m256i v = _mm256_permute4x64_epi64(_mm256_packus_epi16(q[0], q[1]), 0xD8);
      if (Tint) v = HalfSum(v, Load32(t.v + i % 3));
      Store32(out + i, v);
      tieBits[blocks] = static_cast<std::uint32_t>(
          _mm256_movemask_epi8(_mm256_permute4x64_epi64(_mm256_packs_epi16(tie[0], tie[1]), 0xD8)));
    }
    std::size_t count = 0;
    for (std::size_t b = 0; b < blocks; ++b)
      for (std::uint32_t bits = tieBits[b]; bits != 0; bits &= bits - 1)
        tieAt[count++] = static_cast<std::uint16_t>(32 * b + static_cast<std::size_t>(std::countr_zero(bits)));
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t j = first + tieAt[k];
      out[j] = BlurTinted(BlurExactInner(rows, j), tp, j);
    }
  }
  for (; i < end; ++i) out[i] = BlurTinted(BlurInner(rows, i), tp, i);
}

template <bool Tint>
TESSARA_FX_AVX2 void BlurAvx2(Bitmap24& layer, const Periodic& t, u8* prev, u8* cur) {
  const int w = layer.Width();
  const int h = layer.Height();
  const std::size_t n = 3 * static_cast<std::size_t>(w);
  const Periodic* tp = Tint ? &t : nullptr;
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    std::memcpy(cur, row, n);
    const BlurRows rows{y > 0 ? prev : nullptr, cur, y + 1 < h ? layer.Row(y + 1) : nullptr, w};
    if (rows.up != nullptr && rows.down != nullptr && w >= 3) {
      BlurInnerRowAvx2<Tint>(rows, row, n, t);
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
  _mm256_zeroupper();
}
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
  u8* ring = scratch.Take(3 * room);
  const Rgb c = tint.value_or(Rgb{});
  // Bottom row first, as the draws are ordered. Sources lie at most two rows away: the
  // originals of this row and the two below are kept in a ring, rows above are untouched.
  for (int y = h - 1; y >= 0; --y) {
    u8* row = layer.Row(y);
    std::memcpy(ring + static_cast<std::size_t>(y % 3) * room, row, n);
    const u8* source[5];
    for (int dy = -2; dy <= 2; ++dy) {
      const int sy = y + dy;
      source[dy + 2] = sy < 0 || sy >= h ? nullptr
                       : sy >= y         ? ring + static_cast<std::size_t>(sy % 3) * room
                                         : layer.Row(sy);
    }
    for (int x = 0; x < w; ++x) {
      int sx;
      do sx = x + Random(5) - 2;
      while (sx < 0 || sx > w - 1);
      int sy;
      do sy = y + Random(5) - 2;
      while (sy < 0 || sy > h - 1);
      const u8* p = source[sy - y + 2] + 3 * sx;
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
  }
}

void RaiseWindowEdge(Bitmap24& layer, int inset) {
  const int w = layer.Width();
  const int h = layer.Height();
  const int k = inset;
  const int right = w - 1 - k;
  const int bottom = h - 1 - k;
  const bool leftInside = k >= 0 && k < w;
  const bool rightInside = right >= 0 && right < w && right != k;
  // Row and column k are lightened, and win over row and column bottom/right where they cross.
  for (int y = 0; y < h; ++y) {
    u8* row = layer.Row(y);
    if (y == k) {
      BrightenBytes(row, 3 * static_cast<std::size_t>(w));
    } else if (y == bottom) {
      if (leftInside) {
        DarkenBytes(row, 3 * static_cast<std::size_t>(k));
        BrightenBytes(row + 3 * k, 3);
        DarkenBytes(row + 3 * (k + 1), 3 * static_cast<std::size_t>(w - k - 1));
      } else {
        DarkenBytes(row, 3 * static_cast<std::size_t>(w));
      }
    } else {
      if (leftInside) BrightenBytes(row + 3 * k, 3);
      if (rightInside) DarkenBytes(row + 3 * right, 3);
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
  if (p.BorderType & 2) RaiseWindowEdge(layer, (p.BorderType & 1) ? 1 : 0);
}

}  // namespace tessara
