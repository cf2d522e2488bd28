#include "settings/replaceretry.h"

#include <gtest/gtest.h>

#include <optional>

namespace tessara {
namespace {

std::uint64_t g_now = 0;
std::uint64_t FakeNow() { return g_now; }

// A refusal waiting can end is tried again within its file's limit and the exit's budget.
TEST(ReplaceRetry, WaitsOnlyForRefusalsThatCanEndAndWithinBothLimits) {
  using R = ReplaceRefusal;
  struct Case { R why; bool readOnly; std::uint64_t at; std::optional<std::uint64_t> budget; unsigned wait; } const cases[] = {
      {R::SharingViolation, false, 0, {}, 50}, {R::LockViolation, false, 0, {}, 50},
      {R::AccessDenied, false, 0, {}, 50},     {R::AccessDenied, true, 0, {}, 0},
      {R::Other, false, 0, {}, 0},             {R::SharingViolation, true, 1999, {}, 1},
      {R::LockViolation, false, 2000, {}, 0},  {R::SharingViolation, false, 99, 100, 1},
      {R::SharingViolation, false, 100, 100, 0}, {R::AccessDenied, false, 2000, 5000, 0}};
  for (const Case& c : cases) {
    g_now = 1000;
    std::optional<ReplaceRetryBudget> budget;
    if (c.budget) budget.emplace(*c.budget, FakeNow);
    const ReplaceRetry retry(FakeNow);
    g_now += c.at;
    EXPECT_EQ(retry.NextWait(c.why, c.readOnly), c.wait) << static_cast<int>(c.why) << " at " << c.at;
    budget.reset();
    if (c.budget && c.at < 2000) EXPECT_GT(retry.NextWait(c.why, c.readOnly), 0u) << "the budget ended with its scope";
  }
}

}  // namespace
}  // namespace tessara
