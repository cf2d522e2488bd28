// What a capture of the screen behind a transparent window does on each system, and what its
// walk asks of each window below.
#include <gtest/gtest.h>

#include "tessara/capture.h"

namespace tessara {
namespace {

TEST(CaptureTest, PlanFollowsWhatTheSystemOffers) {
  struct Row {
    const char* name;
    CaptureSystem system;
    Aside aside;
    bool walk;
    unsigned fadeWaitMs;
    bool flush;
  };
  const Row rows[] = {
      {"no compositor", {false, 22000, true, true, true, 0, 0}, Aside::MoveAway, true, 0, false},
      {"compositor", {true, kExclusionBuild, true, true, false, 0, ~0u}, Aside::ExcludeFromCapture, false, 0, true},
      {"build before exclusion", {true, kExclusionBuild - 1, true, true, false, 0, ~0u}, Aside::Cloak, false, 0, true},
      {"exclusion refused", {true, 22000, false, true, false, ~0u, ~0u}, Aside::Cloak, false, 0, true},
      {"nor cloaking", {true, 7601, false, false, false, ~0u, ~0u}, Aside::MoveAway, false, 0, true},
      {"menu just closed", {true, 22000, true, true, true, 0, ~0u}, Aside::ExcludeFromCapture, false, kFadeOutMs, true},
      {"fade nearly over", {true, 22000, true, true, true, kFadeOutMs - 1, ~0u}, Aside::ExcludeFromCapture, false, 1,
       true},
      {"fade over", {true, 22000, true, true, true, kFadeOutMs, ~0u}, Aside::ExcludeFromCapture, false, 0, true},
      {"dialog closed, menu fade off", {true, 22000, true, true, false, 0, 50}, Aside::ExcludeFromCapture, false,
       kFadeOutMs - 50, true},
  };
  for (const Row& row : rows) {
    const CapturePlan plan = PlanCapture(row.system);
    EXPECT_EQ(plan.HowAside, row.aside) << row.name;
    EXPECT_EQ(plan.Walk, row.walk) << row.name;
    EXPECT_EQ(plan.FadeWaitMs, row.fadeWaitMs) << row.name;
    EXPECT_EQ(plan.RepaintWaitMs, row.flush ? 0 : kRepaintWaitMs) << row.name;
    EXPECT_EQ(plan.Flush, row.flush) << row.name;
  }
}

TEST(CaptureTest, WalkWaitsOnlyForThisThreadsWindows) {
  struct Row {
    WindowBelow window;
    Repaint repaint;
  };
  const Row rows[] = {
      {{true, false, false}, Repaint::Now},    {{false, false, false}, Repaint::Ask},
      {{false, true, false}, Repaint::Leave},  {{false, false, true}, Repaint::PassOver},
      {{false, true, true}, Repaint::PassOver}, {{true, false, true}, Repaint::PassOver},
  };
  for (const Row& row : rows)
    EXPECT_EQ(RepaintBelow(row.window), row.repaint)
        << row.window.OwnThread << row.window.Hung << row.window.Cloaked;
}

}  // namespace
}  // namespace tessara
