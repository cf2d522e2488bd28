#include "tessara/onscreen.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace tessara {
namespace {

const WorkRect kFirst{0, 0, 1280, 1024};
const WorkRect kSecond{1280, 0, 2560, 1024};

TEST(BringOnScreen, MovesUnreachableWindowsIntoTheNearestWorkArea) {
  const struct {
    const char* what;
    WindowRect window;
    std::vector<WorkRect> areas;
    int left, top;
  } cases[] = {
      {"inside stays", {100, 100, 80, 120}, {kFirst}, 100, 100},
      {"32 x 32 still on screen stays", {1248, 992, 80, 120}, {kFirst}, 1248, 992},
      {"31 pixels on screen comes back", {1249, 100, 80, 120}, {kFirst}, 1200, 100},
      {"far beyond the bottom right comes to the edge", {3000, 3000, 80, 120}, {kFirst}, 1200, 904},
      {"above and left comes to the corner", {-500, -900, 80, 120}, {kFirst}, 0, 0},
      {"on a second monitor stays", {2000, 500, 80, 120}, {kFirst, kSecond}, 2000, 500},
      {"second monitor gone: back to the first", {2000, 500, 80, 120}, {kFirst}, 1200, 500},
      {"nearer the second monitor goes there", {2700, 500, 80, 120}, {kFirst, kSecond}, 2480, 500},
      {"larger than the work area sits at its corner", {5000, 10, 2000, 120}, {kFirst}, 0, 10},
      {"near the integer limits", {INT_MAX - 10, INT_MIN + 10, 80, 120}, {kFirst}, 1200, 0},
      {"no monitor known: unchanged", {3000, 3000, 80, 120}, {}, 3000, 3000},
  };
  for (const auto& c : cases) {
    const WindowRect moved = BringOnScreen(c.window, c.areas);
    EXPECT_EQ(moved.Left, c.left) << c.what;
    EXPECT_EQ(moved.Top, c.top) << c.what;
    EXPECT_EQ(moved.Width, c.window.Width) << c.what;
    EXPECT_EQ(moved.Height, c.window.Height) << c.what;
  }
}

// A tile on the second monitor: below it, pulled in from the right edge; at the bottom, above
// it and kept off the first monitor.
TEST(PlaceHint, BelowTheTileElseAboveItWithinTheWorkAreaOfTheTilesMonitor) {
  // Ending exactly at the bottom and right edges it fits; a pixel lower it goes above.
  for (auto [top, x, left, atTop] : {std::array{500, 2540, 2460, 542}, std::array{984, 1270, 1280, 962},
                                     std::array{962, 2460, 2460, 1004}, std::array{963, 1300, 1300, 941}}) {
    const WindowRect r = PlaceHint({1300, top, 40, 40}, 100, 20, x, 2, kSecond);
    EXPECT_EQ(std::make_pair(r.Left, r.Top), std::make_pair(left, atTop)) << top;
  }
}

}  // namespace
}  // namespace tessara
