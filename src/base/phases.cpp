#include "base/phases.h"

#include <array>
#include <atomic>
#include <chrono>

namespace tessara {

namespace {

std::atomic<bool> g_on{false};
std::array<std::atomic<long long>, static_cast<int>(Phase::Count)> g_nanoseconds{};

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void StartPhaseClock() { g_on = true; }
bool PhaseClockOn() { return g_on; }

const char* PhaseName(Phase phase) {
  static constexpr const char* kNames[] = {
      "loading windows",  "reading layer caches", "composing",     "captures",      "repaint waits",
      "reading pictures", "extracting icons",     "drawing icons", "pixel passes",
      "showing windows"};
  static_assert(std::size(kNames) == static_cast<std::size_t>(Phase::Count));
  return kNames[static_cast<int>(phase)];
}

double PhaseMilliseconds(Phase phase) { return g_nanoseconds[static_cast<int>(phase)] / 1e6; }

PhaseTimer::PhaseTimer(Phase phase) : phase_(phase) {
  if (g_on) start_ = Now();
}

PhaseTimer::~PhaseTimer() {
  if (start_ >= 0) g_nanoseconds[static_cast<int>(phase_)] += Now() - start_;
}

}  // namespace tessara
