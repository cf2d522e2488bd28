#include "tessara/onscreen.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tessara {
namespace {

// Overlap of [a, a + length) and [low, high), in 64 bits: hand-edited positions may lie near
// the integer limits.
std::int64_t Overlap(std::int64_t a, std::int64_t length, std::int64_t low, std::int64_t high) {
  return std::min(a + length, high) - std::max(a, low);
}

// Distance from a span to an interval, zero where they meet.
std::int64_t Gap(std::int64_t a, std::int64_t length, std::int64_t low, std::int64_t high) {
  if (a + length < low) return low - (a + length);
  if (a > high) return a - high;
  return 0;
}

// The nearest start of a span of `length` inside [low, high); the low end when it does not fit.
int Inside(int a, int length, int low, int high) {
  return static_cast<int>(std::max<std::int64_t>(low, std::min<std::int64_t>(a, std::int64_t{high} - length)));
}

}  // namespace

bool Reachable(const WindowRect& window, const std::vector<WorkRect>& workAreas, int side) {
  const std::int64_t needX = std::min(side, std::max(window.Width, 1));
  const std::int64_t needY = std::min(side, std::max(window.Height, 1));
  return std::any_of(workAreas.begin(), workAreas.end(), [&](const WorkRect& area) {
    return Overlap(window.Left, window.Width, area.Left, area.Right) >= needX &&
           Overlap(window.Top, window.Height, area.Top, area.Bottom) >= needY;
  });
}

WindowRect BringOnScreen(const WindowRect& window, const std::vector<WorkRect>& workAreas, int side) {
  if (workAreas.empty() || Reachable(window, workAreas, side)) return window;
  const WorkRect* nearest = nullptr;
  std::int64_t best = std::numeric_limits<std::int64_t>::max();
  for (const WorkRect& area : workAreas) {
    const std::int64_t dx = Gap(window.Left, window.Width, area.Left, area.Right);
    const std::int64_t dy = Gap(window.Top, window.Height, area.Top, area.Bottom);
    const std::int64_t distance = dx * dx + dy * dy;
    if (distance < best) {
      best = distance;
      nearest = &area;
    }
  }
  return ClampInto(window, *nearest);
}

WindowRect ClampInto(const WindowRect& rect, const WorkRect& area) {
  WindowRect moved = rect;
  moved.Left = Inside(rect.Left, rect.Width, area.Left, area.Right);
  moved.Top = Inside(rect.Top, rect.Height, area.Top, area.Bottom);
  return moved;
}

WindowRect PlaceHint(const WindowRect& tile, int width, int height, int pointerX, int gap, const WorkRect& area) {
  WindowRect hint{pointerX, tile.Top + tile.Height + gap, width, height};
  if (std::int64_t{hint.Top} + height > area.Bottom) hint.Top = tile.Top - gap - height;
  return ClampInto(hint, area);
}

}  // namespace tessara
