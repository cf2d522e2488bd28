#include "settings/replaceretry.h"

#include <gtest/gtest.h>

namespace tessara {
namespace {

std::uint64_t g_now = 0;
std::uint64_t FakeNow() { return g_now; }

// A refusal waiting can end is tried again, within its file's limit and the exit's budget.
TEST(ReplaceRetry, WaitsOnlyForRefusalsThatCanEndAndWithinBothLimits) {
  using R = ReplaceRefusal;
  constexpr std::uint64_t kLong = 1'000'000;  // a budget beyond the file's own limit
  struct Case { R why; bool readOnly; std::uint64_t at, budget; unsigned wait; } const cases[] = {
      {R::SharingViolation, false, 0, kLong, 50}, {R::LockViolation, false, 0, kLong, 50},
      {R::AccessDenied, false, 0, kLong, 50},     {R::AccessDenied, true, 0, kLong, 0},
      {R::Other, false, 0, kLong, 0},             {R::SharingViolation, true, 1999, kLong, 1},
      {R::LockViolation, false, 2000, kLong, 0},  {R::SharingViolation, false, 99, 100, 1},
      {R::AccessDenied, false, 100, 100, 0}};
  for (const Case& c : cases) {
    g_now = 1000;
    const ReplaceRetryBudget budget(c.budget, FakeNow);
    const ReplaceRetry retry(FakeNow);
    g_now += c.at;
    EXPECT_EQ(retry.NextWait(c.why, c.readOnly), c.wait) << static_cast<int>(c.why) << " at " << c.at;
  }
}

}  // namespace
}  // namespace tessara
