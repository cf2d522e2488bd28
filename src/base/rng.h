#pragma once
// The program's one random generator: seeded once from the clock at start, drawn by the
// placement of new windows and by the displace effect. A plain 32-bit linear congruential
// generator: cheap enough for a per-pixel draw and reproducible from a seed in tests.
#include <cstdint>

namespace tessara {

// One draw steps the seed to kRandMul * seed + kRandAdd (modulo 2^32), then scales it to the
// range. Code that needs many draws at once may jump ahead by composing steps.
inline constexpr std::uint32_t kRandMul = 134775813u;
inline constexpr std::uint32_t kRandAdd = 1u;

void RandSeed(std::uint32_t seed);
std::uint32_t CurrentSeed();
// Seeds from the clock.
void Randomize();
// A uniform integer in [0, range); 0 when range <= 0.
int Random(int range);

}  // namespace tessara
