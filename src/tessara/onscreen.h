#pragma once
// Keeps windows reachable: a window saved on a monitor that is gone, or pushed off every
// screen by hand, is brought back into the nearest work area.
#include <vector>

#include "tessara/model.h"

namespace tessara {

// The least square of a window that must lie in some work area for it to count as reachable.
inline constexpr int kReachableSide = 32;

struct WindowRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// True when the window overlaps some work area by at least kReachableSide in both directions
// (or by the whole window where the window is smaller than that).
// `side` is kReachableSide in the device pixels of the window's screen.
bool Reachable(const WindowRect& window, const std::vector<WorkRect>& workAreas, int side = kReachableSide);

// The window as it stands when reachable (or when there is no work area at all); otherwise
// moved, keeping its size, to the nearest position inside the work area nearest to it. A
// window larger than that work area is aligned to its top-left corner.
WindowRect BringOnScreen(const WindowRect& window, const std::vector<WorkRect>& workAreas,
                         int side = kReachableSide);

// The rectangle moved, keeping its size, to the nearest place inside the work area; one larger
// than the area is aligned to its top-left corner.
WindowRect ClampInto(const WindowRect& rect, const WorkRect& area);

// Where a floating hint of `width` x `height` goes for a tile (screen rectangles): `gap` below
// the tile, or above it where the work area ends below; across, from the pointer's x; always
// within the work area of the tile's monitor.
WindowRect PlaceHint(const WindowRect& tile, int width, int height, int pointerX, int gap, const WorkRect& area);

}  // namespace tessara
