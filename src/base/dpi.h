#pragma once
// Display scale. Stored lengths are in units of a 96-dpi screen; a window's device lengths
// come from ScaleLength with the DPI of its monitor, so 96 dpi is the identity and every
// length of a window is rounded the same way.
namespace tessara {

inline constexpr int kBaseDpi = 96;

// length * dpi / 96 rounded to nearest, halves away from zero (as MulDiv does). A DPI
// outside what any screen reports (below 48 or above 960) counts as 96.
int ScaleLength(int length, int dpi);

// Brings a reported DPI into the range ScaleLength accepts (a bad report is 96).
int SaneDpi(int dpi);

// A position stored by a build that declared no DPI awareness, in the device pixels of an
// aware build. That build saw the screen through the system's stretching by the system DPI:
// every coordinate it read was the device coordinate times 96 / systemDpi.
int PositionFromUnaware(int position, int systemDpi);

}  // namespace tessara
