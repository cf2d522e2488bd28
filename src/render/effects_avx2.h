#pragma once
// What the scalar rules of the image effects (effects.cpp) and their hand-written AVX2
// versions (effects_avx2.cpp) share: the per-channel tint pattern, the small scalar rules
// both paths run on the odd bytes, and the AVX2 entry points. Internal to those two files.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/rng.h"
#include "render/bitmap24.h"

// On x86 with GCC or Clang the AVX2 versions are compiled beside the baseline ones through
// function attributes, not per-file flags, and chosen at run time. So the plain helpers
// below stay baseline code wherever an out-of-line copy of them is emitted, and the
// program still runs on a processor without AVX2.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TESSARA_FX_HAVE_AVX2 1
#define TESSARA_FX_INLINE inline __attribute__((always_inline))
#define TESSARA_FX_AVX2 __attribute__((target("avx2")))
#else
#define TESSARA_FX_HAVE_AVX2 0
#define TESSARA_FX_INLINE inline
#endif

namespace tessara::effects_internal {

using u8 = std::uint8_t;
using u16 = std::uint16_t;

// In-place byte passes write straight back and can take wider blocks.
constexpr std::size_t kWideBlock = 64;

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

// s / 10 rounded to nearest with halves to even, for s up to 2550.
TESSARA_FX_INLINE unsigned RoundTenth(unsigned s) {
  const unsigned q = s / 10;
  const unsigned r = s - 10 * q;
  return q + ((r + (q & 1u)) > 5u);
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

// The rule as written, in double precision (effects.cpp).
u8 BlurExact(const BlurRows& rows, int x, int channel);

// The products of the rule, looked up rather than converted and multiplied: the table
// holds the same doubles the multiplication gives.
struct BlurTerms {
  double plain[256];     // 1.0 * v
  double diagonal[256];  // 0.7 * v
};
constexpr BlurTerms MakeBlurTerms() {
  BlurTerms t{};
  for (int v = 0; v < 256; ++v) {
    t.plain[v] = 1.0 * v;
    t.diagonal[v] = 0.7 * v;
  }
  return t;
}
inline constexpr BlurTerms kBlurTerms = MakeBlurTerms();

// The rule for a byte whose eight neighbours all exist, without the loops: the same
// products added in the same order, over the weights added in the same order.
TESSARA_FX_INLINE u8 BlurExactInner(const BlurRows& rows, std::size_t j) {
  constexpr double kWeight = 0.0 + 0.7 + 1.0 + 0.7 + 1.0 + 1.0 + 1.0 + 0.7 + 1.0 + 0.7;
  const double* one = kBlurTerms.plain;
  const double* diag = kBlurTerms.diagonal;
  const u8* u = rows.up;
  const u8* c = rows.cur;
  const u8* d = rows.down;
  double sum = 0.0;
  sum += diag[u[j - 3]];
  sum += one[c[j - 3]];
  sum += diag[d[j - 3]];
  sum += one[u[j]];
  sum += one[c[j]];
  sum += one[d[j]];
  sum += diag[u[j + 3]];
  sum += one[c[j + 3]];
  sum += diag[d[j + 3]];
  return static_cast<u8>(std::nearbyint(sum / kWeight));
}

TESSARA_FX_INLINE u8 BlurTinted(unsigned v, const Periodic* t, std::size_t j) {
  return static_cast<u8>(t ? (v + t->v[j % 3]) >> 1 : v);
}

// An inner byte by the same rule, in integers (effects.cpp).
u8 BlurInner(const BlurRows& rows, std::size_t j);

// ---- displace ----

// The seed after `steps` draws of tessara::Random is mul * seed + add.
struct SeedJump {
  std::uint32_t mul = 1;
  std::uint32_t add = 0;
};
constexpr SeedJump JumpOf(unsigned steps) {
  SeedJump j;
  for (unsigned k = 0; k < steps; ++k) j = {j.mul * kRandMul, j.add * kRandMul + kRandAdd};
  return j;
}

// Whether the AVX2 versions run: the processor has AVX2 and no test forced the baseline.
bool Avx2Chosen();

#if TESSARA_FX_HAVE_AVX2
// The AVX2 passes; each writes the same bytes as its baseline body in effects.cpp.
TESSARA_FX_AVX2 void TintAvx2(Bitmap24& layer, const Periodic& t);
template <bool Tint>
TESSARA_FX_AVX2 void MonoAvx2(Bitmap24& layer, const Periodic& t, u8* s);
template <bool Tint>
TESSARA_FX_AVX2 void EmbossAvx2(Bitmap24& layer, const Periodic& t, u8* s, u8* g, u8* giUp, u8* giCur);
template <bool Tint>
TESSARA_FX_AVX2 void BlurAvx2(Bitmap24& layer, const Periodic& t, u8* prev, u8* cur);
// Displaces pixels [x, x + count) of a row, 8 at a time, and returns how many it did (a
// multiple of 8). Every draw of those pixels must land inside the picture, so none is
// drawn again; `seed` is the generator's seed before them and after them. Row sy lies at
// ring + offset[sy - y + 2]. The 8 bytes after the last pixel may be overwritten and must
// lie within the row.
TESSARA_FX_AVX2 std::size_t DisplaceSpanAvx2(u8* row, std::size_t x, std::size_t count, const u8* ring,
                                             const std::uint32_t offset[5], std::uint32_t& seed,
                                             const Periodic* tint);
#endif

}  // namespace tessara::effects_internal
