#pragma once
// When a replace the system refused is tried again. A virus scanner, an indexer or a sync
// client holds a file for a moment and Windows refuses the replace meanwhile; a refusal that
// waiting cannot change fails at once, so an exit with a read-only file does not freeze.
#include <cstdint>

namespace tessara {

enum class ReplaceRefusal { SharingViolation, LockViolation, AccessDenied, Other };

// Milliseconds of a clock that only goes forward; tests pass one of their own.
using MillisecondClock = std::uint64_t (*)();
std::uint64_t SteadyMilliseconds();

inline constexpr std::uint64_t kReplaceRetryMs = 2000;  // for one file at most
inline constexpr unsigned kReplaceRetryStepMs = 50;

// The retries of one file's replace, from its first try on.
class ReplaceRetry {
 public:
  explicit ReplaceRetry(MillisecondClock clock = SteadyMilliseconds);
  // The milliseconds to wait before the next try, or 0 to give up. "Access denied" is also
  // what a file being deleted or scanned gives, so it waits too, unless the target is
  // read-only (or anything else no wait can change, such as a folder in its place).
  unsigned NextWait(ReplaceRefusal why, bool targetReadOnly) const;

 private:
  MillisecondClock clock_;
  std::uint64_t until_;
};

// While one lives, the retries of every replace together end at its deadline: an exit that
// saves many files refused alike waits a few seconds in all, not a few per file, and once
// the budget is spent a refused replace fails at once. Nested, the earlier deadline holds.
class ReplaceRetryBudget {
 public:
  explicit ReplaceRetryBudget(std::uint64_t ms, MillisecondClock clock = SteadyMilliseconds);
  ~ReplaceRetryBudget();
  ReplaceRetryBudget(const ReplaceRetryBudget&) = delete;
  ReplaceRetryBudget& operator=(const ReplaceRetryBudget&) = delete;

 private:
  std::uint64_t previous_;
};

}  // namespace tessara
