#include "base/rng.h"

#include <chrono>

namespace tessara {
namespace {
std::uint32_t g_seed = 0;
}

void RandSeed(std::uint32_t seed) { g_seed = seed; }
std::uint32_t CurrentSeed() { return g_seed; }

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  g_seed = static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

int Random(int range) {
  g_seed = g_seed * kRandMul + kRandAdd;
  if (range <= 0) return 0;
  // The high bits of an LCG are the good ones: scale by multiplication, not modulo.
  return static_cast<int>((static_cast<std::uint64_t>(g_seed) * static_cast<std::uint32_t>(range)) >> 32);
}

}  // namespace tessara
