#pragma once
// Captions sized from their text. The forms lay their controls out from 96-dpi rectangles
// scaled, but text does not grow evenly with the scale (hinting, font sizes rounded to whole
// pixels) and fonts differ between systems: a label, check box or radio button whose caption
// would be cut takes the free room beside it that the caption needs.
#include <windows.h>

namespace tessara {

// The width a control needs to show its caption whole in its own font: the longest line of
// the text and, for a check box or radio button, the box and the gap before the text at `dpi`.
int CaptionWidth(HWND control, int dpi);

// Widens each left-aligned label, check box and radio button among the children of `window`
// whose caption it would cut, as far as the free room to its right allows: up to the next
// visible control in its row, the frame of the group box around it or the window's edge.
void WidenCutCaptions(HWND window, int dpi);

}  // namespace tessara
