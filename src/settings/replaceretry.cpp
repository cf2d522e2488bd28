#include "settings/replaceretry.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>

namespace tessara {
namespace {

constexpr std::uint64_t kNoDeadline = std::numeric_limits<std::uint64_t>::max();
std::atomic<std::uint64_t> g_deadline{kNoDeadline};

}  // namespace

std::uint64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

ReplaceRetry::ReplaceRetry(MillisecondClock clock) : clock_(clock), until_(clock() + kReplaceRetryMs) {}

unsigned ReplaceRetry::NextWait(ReplaceRefusal why, bool targetReadOnly) const {
  const bool held = why == ReplaceRefusal::SharingViolation || why == ReplaceRefusal::LockViolation ||
                    (why == ReplaceRefusal::AccessDenied && !targetReadOnly);
  if (!held) return 0;
  const std::uint64_t until = std::min(until_, g_deadline.load());
  const std::uint64_t now = clock_();
  if (now >= until) return 0;
  return static_cast<unsigned>(std::min<std::uint64_t>(kReplaceRetryStepMs, until - now));
}

ReplaceRetryBudget::ReplaceRetryBudget(std::uint64_t ms, MillisecondClock clock) : previous_(g_deadline.load()) {
  g_deadline = std::min(previous_, clock() + ms);
}

ReplaceRetryBudget::~ReplaceRetryBudget() { g_deadline = previous_; }

}  // namespace tessara
