#pragma once
// Per-monitor DPI awareness. The newer DPI functions are looked up at run time: the program
// also runs where they are missing, and then falls back to what the older system offers.
#include <windows.h>

#include <string>

namespace tessara {

// WM_DPICHANGED, which the headers for older systems leave out.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// Declares the process per-monitor aware: version 2 when the system grants it, else
// version 1, else system aware. Call before the first window is made.
void DeclareDpiAwareness();
// True when the process is at least per-monitor aware (version 1 or 2).
bool PerMonitorAware();

// The DPI of the monitor showing the window, of the monitor that holds most of a screen
// rectangle (or the nearest one), and the one the system stretches unaware programs by. Each
// is 96 where the system cannot tell.
int DpiOfWindow(HWND window);
int DpiOfRect(const RECT& rect);
int SystemDpi();

// Widens a client rectangle to the window's outer one, with frame and caption in the metrics
// of `dpi` (the system's own metrics where the system cannot size them for a DPI).
void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// The icon resource `id` at the small-icon size of the system's scale (the notification
// area's), or nullptr.
HICON LoadSmallIcon(HINSTANCE instance, int id);

// The icon at position `index` of a file in a size of `size` pixels, or nullptr.
HICON ExtractIconOfSize(const std::string& file, int index, int size);

// The outer size of a window whose client area at `dpi` is the 96-dpi client area of a
// window of outer size `outer96` scaled: frames and captions come in the metrics of `dpi`.
SIZE ScaledOuterSize(SIZE outer96, DWORD style, DWORD exStyle, int dpi);

}  // namespace tessara
