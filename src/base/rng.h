#pragma once
// The program's one random generator: seeded once from the clock at start, drawn by the
// placement of new windows and by the displace effect. A plain 32-bit linear congruential
// generator: cheap enough for a per-pixel draw and reproducible from a seed in tests.
#include <cstdint>

namespace tessara {

void RandSeed(std::uint32_t seed);
std::uint32_t CurrentSeed();
// Seeds from the clock.
void Randomize();
// A uniform integer in [0, range); 0 when range <= 0.
int Random(int range);

}  // namespace tessara
