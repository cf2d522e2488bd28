// Hand-written AVX2 versions of the vectorisable passes of effects.cpp, which picks them at
// run time when the processor has AVX2. A block is 32 pixels (96 bytes) held as two 16-pixel
// groups, one per 128-bit lane, because byte shuffles do not cross lanes: the low lane works
// on bytes 0-47 and the high lane on bytes 48-95 with the same shuffle masks.
#include "render/effects_avx2.h"

#if TESSARA_FX_HAVE_AVX2
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace tessara::effects_internal {
namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

namespace {

// 16 bytes as 16-bit lanes.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Widen16(const u8* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i Load16(const u16* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Bytes of a row taken at a time: the column sums of a stretch stay in the first-level cache.
constexpr std::size_t kBlurStretch = 1024;

// A byte's ten-fold weighted sum is side[j - 3] + middle[j] + side[j + 3], where a column's
// side = 10 c + 7 (u + d) and middle = 10 (c + u + d). Each column is summed once instead of
// three times.
struct BlurColumns {
  alignas(32) u16 side[kBlurStretch + 32];
  alignas(32) u16 middle[kBlurStretch + 32];
  std::uint32_t ties[kBlurStretch / 32];
  std::uint16_t tieAt[kBlurStretch + 2];  // byte offsets from the stretch's start
};

// Column sums for bytes [from, to) of the row, to - from >= 16, into cols from index 0.
// Never reads a byte at or past `to`.
TESSARA_FX_AVX2 TESSARA_FX_INLINE void BlurColumnSums(const BlurRows& rows, std::size_t from, std::size_t to,
                                                      BlurColumns& cols) {
  const __m256i ten = _mm256_set1_epi16(10);
  const __m256i seven = _mm256_set1_epi16(7);
  for (std::size_t j = from;; j += 16) {
    if (j + 16 > to) j = to - 16;  // the last chunk ends at `to`, overlapping the one before
    const __m256i c = Widen16(rows.cur + j);
    const __m256i ud = _mm256_add_epi16(Widen16(rows.up + j), Widen16(rows.down + j));
    const __m256i side = _mm256_add_epi16(_mm256_mullo_epi16(c, ten), _mm256_mullo_epi16(ud, seven));
    const __m256i middle = _mm256_mullo_epi16(_mm256_add_epi16(c, ud), ten);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cols.side + (j - from)), side);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cols.middle + (j - from)), middle);
    if (j + 16 >= to) break;
  }
}

// Bytes [3, n - 3) of an inner row, n - 6 >= 32.
template <bool Tint>
TESSARA_FX_AVX2 TESSARA_FX_INLINE void BlurInnerRowAvx2(const BlurRows& rows, u8* out, std::size_t n,
                                                        const Periodic& t, const u8* ahead) {
  const Periodic* tp = Tint ? &t : nullptr;
  const std::size_t end = n - 3;
  const __m256i half = _mm256_set1_epi16(39);
  const __m256i whole = _mm256_set1_epi16(78);
  // The high half of a * 53774, shifted right by 6, is a / 78 for a < 61680.
  const __m256i inverse = _mm256_set1_epi16(static_cast<short>(53774));
  BlurColumns cols;
  for (std::size_t i = 3; i < end;) {
    // A whole number of blocks; the last stretch of a row ends at the row's end and may
    // overlap the one before, whose bytes it writes again the same.
    const std::size_t length =
        std::min({kBlurStretch, (end - i + 31) & ~std::size_t{31}, (end - 3) & ~std::size_t{31}});
    const std::size_t from = std::min(i, end - length);
    BlurColumnSums(rows, from - 3, from + length + 3, cols);
    // The row after `down` is fetched while this one is worked on: the rows lie in memory
    // in the opposite order, which the hardware prefetcher does not follow across pages.
    if (ahead != nullptr)
      for (std::size_t j = from; j < from + length; j += 64)
        _mm_prefetch(reinterpret_cast<const char*>(ahead + j), _MM_HINT_T0);
    const std::size_t blocks = length / 32;
    for (std::size_t b = 0; b < blocks; ++b) {
      __m256i q[2], tie[2];
      for (int hpart = 0; hpart < 2; ++hpart) {
        const std::size_t k = 32 * b + 16 * static_cast<std::size_t>(hpart);  // column index of byte from + k - 3
        const __m256i num = _mm256_add_epi16(_mm256_add_epi16(Load16(cols.side + k), Load16(cols.side + k + 6)),
                                             Load16(cols.middle + k + 3));
        // Rounding half up; where the rest is exactly a half the double form decides below.
        const __m256i a = _mm256_add_epi16(num, half);
        q[hpart] = _mm256_srli_epi16(_mm256_mulhi_epu16(a, inverse), 6);
        tie[hpart] = _mm256_cmpeq_epi16(_mm256_mullo_epi16(q[hpart], whole), a);
      }
      __m256i v = _mm256_permute4x64_epi64(_mm256_packus_epi16(q[0], q[1]), 0xD8);
      const std::size_t j = from + 32 * b;
      if (Tint) v = HalfSum(v, Load32(t.v + j % 3));
      Store32(out + j, v);
      cols.ties[b] = static_cast<std::uint32_t>(
          _mm256_movemask_epi8(_mm256_permute4x64_epi64(_mm256_packs_epi16(tie[0], tie[1]), 0xD8)));
    }
    // Exact halves, about one byte in 78 of a noisy picture, are settled by the double form.
    // Their places are listed first without a branch per block (which would be mispredicted
    // about once in three blocks): the first two of a block are written whether there or
    // not and the count grows by the true number. The top bit set keeps countr_zero from
    // testing for zero.
    constexpr std::uint32_t kTop = 0x80000000u;
    std::size_t count = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
      const std::uint32_t bits = cols.ties[b];
      const auto at = static_cast<std::uint16_t>(32 * b);
      const int found = std::popcount(bits);
      cols.tieAt[count] = static_cast<std::uint16_t>(at + std::countr_zero(bits | kTop));
      cols.tieAt[count + 1] = static_cast<std::uint16_t>(at + std::countr_zero((bits & (bits - 1)) | kTop));
      if (found > 2) {
        std::size_t k = count;
        for (std::uint32_t rest = bits; rest != 0; rest &= rest - 1)
          cols.tieAt[k++] = static_cast<std::uint16_t>(at + std::countr_zero(rest));
      }
      count += static_cast<std::size_t>(found);
    }
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t j = from + cols.tieAt[k];
      out[j] = BlurTinted(BlurExactInner(rows, j), tp, j);
    }
    i = from + length;
  }
}

}  // namespace

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
    if (rows.up != nullptr && rows.down != nullptr && n >= 38) {
      BlurInnerRowAvx2<Tint>(rows, row, n, t, y + 2 < h ? layer.Row(y + 2) : nullptr);
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

// ---- displace ----

namespace {

// The draw of tessara::Random(5) from each lane's stepped seed: the high half of seed * 5.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i DrawOfFive(__m256i seed) {
  const __m256i five = _mm256_set1_epi32(5);
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(seed, five), 32);
  const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(seed, 32), five);
  return _mm256_blend_epi32(even, odd, 0xAA);
}

// The seed after `first` + 2 k draws in lane k.
TESSARA_FX_AVX2 TESSARA_FX_INLINE __m256i LaneSeeds(std::uint32_t seed, unsigned first) {
  alignas(32) std::uint32_t lanes[8];
  for (unsigned k = 0; k < 8; ++k) {
    const SeedJump j = JumpOf(first + 2 * k);
    lanes[k] = j.mul * seed + j.add;
  }
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}

}  // namespace

TESSARA_FX_AVX2 std::size_t DisplaceSpanAvx2(u8* row, std::size_t x, std::size_t count, const u8* ring,
                                             const std::uint32_t offset[5], std::uint32_t& seed,
                                             const Periodic* tint) {
  // Pixel k of a group draws its column with the seed after 2 k + 1 draws and its row with
  // the one after 2 k + 2; a group takes 16 draws. Two groups at a time keep two
  // independent chains of seed multiplications going.
  constexpr SeedJump kPair = JumpOf(32);
  const __m256i pairMul = _mm256_set1_epi32(static_cast<int>(kPair.mul));
  const __m256i pairAdd = _mm256_set1_epi32(static_cast<int>(kPair.add));
  __m256i sx[2] = {LaneSeeds(seed, 1), LaneSeeds(seed, 17)};
  __m256i sy[2] = {LaneSeeds(seed, 2), LaneSeeds(seed, 18)};
  const __m256i rows = _mm256_setr_epi32(static_cast<int>(offset[0]), static_cast<int>(offset[1]),
                                         static_cast<int>(offset[2]), static_cast<int>(offset[3]),
                                         static_cast<int>(offset[4]), 0, 0, 0);
  // Byte offset of the pixel two to the left of each lane's pixel: a column draw of 0.
  __m256i column = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(3 * x) - 6),
                                    _mm256_setr_epi32(0, 3, 6, 9, 12, 15, 18, 21));
  const __m256i step = _mm256_set1_epi32(24);
  const __m256i tintBytes =
      tint ? _mm256_set1_epi32(static_cast<int>(tint->v[0] | tint->v[1] << 8 | tint->v[2] << 16))
           : _mm256_setzero_si256();
  // Three bytes of each pixel's dword, packed to the low 12 bytes of each lane, then to the low 24.
  const __m256i packLane = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5,
                                            6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i packRow = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  const std::size_t groups = count / 8;
  __m256i lastSeeds = _mm256_set1_epi32(static_cast<int>(seed));
  std::size_t g = 0;
  for (; g < groups; ++g) {
    const int half = static_cast<int>(g & 1);
    lastSeeds = sy[half];
    const __m256i dx = DrawOfFive(sx[half]);
    const __m256i dy = DrawOfFive(sy[half]);
    const __m256i at = _mm256_add_epi32(_mm256_add_epi32(_mm256_permutevar8x32_epi32(rows, dy), column),
                                        _mm256_add_epi32(dx, _mm256_add_epi32(dx, dx)));
    __m256i px = _mm256_i32gather_epi32(reinterpret_cast<const int*>(ring), at, 1);
    if (tint) px = HalfSum(px, tintBytes);
    px = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(px, packLane), packRow);
    Store32(row + 3 * (x + 8 * g), px);
    column = _mm256_add_epi32(column, step);
    sx[half] = _mm256_add_epi32(_mm256_mullo_epi32(sx[half], pairMul), pairAdd);
    sy[half] = _mm256_add_epi32(_mm256_mullo_epi32(sy[half], pairMul), pairAdd);
  }
  // The last pixel's row draw was the last draw.
  seed = static_cast<std::uint32_t>(_mm256_extract_epi32(lastSeeds, 7));
  _mm256_zeroupper();
  return 8 * g;
}

// The versions effects.cpp calls.
template void MonoAvx2<false>(Bitmap24&, const Periodic&, u8*);
template void MonoAvx2<true>(Bitmap24&, const Periodic&, u8*);
template void EmbossAvx2<false>(Bitmap24&, const Periodic&, u8*, u8*, u8*, u8*);
template void EmbossAvx2<true>(Bitmap24&, const Periodic&, u8*, u8*, u8*, u8*);
template void BlurAvx2<false>(Bitmap24&, const Periodic&, u8*, u8*);
template void BlurAvx2<true>(Bitmap24&, const Periodic&, u8*, u8*);

}  // namespace tessara::effects_internal
#endif
