#pragma once
// The desktop compositor, where the system runs one. Its library is looked up when first
// needed, so the program starts on systems without it; every call then reports nothing.
#include <windows.h>

namespace tessara {

// Whether the compositor presents the screen now (always on Windows 8 and later).
bool CompositionOn();
// Blocks until the compositor has presented a frame made of what was drawn before the
// call; false when it cannot (no compositor).
bool WaitForPresent();
// Hides or shows a window through the compositor, its place and its image kept; false when
// refused.
bool SetCloaked(HWND window, bool cloaked);
// Whether the compositor hides the window (cloaked by its program or by the shell).
bool Cloaked(HWND window);
// Keeps a window out of screen copies while it stays on screen for the user, or lets it be
// copied again; false when refused (before Windows 10 version 2004).
bool SetExcludedFromCapture(HWND window, bool excluded);
// The system's build number as it is: without a manifest naming the system, a program is
// told an older one. 0 when unknown.
unsigned SystemBuild();
// No animation when the window is shown, hidden or cloaked: an animation still playing would
// be copied into a background.
void DisableTransitions(HWND window);

}  // namespace tessara
