#pragma once
// Messages that other threads send (a display or work-area change, the end of the session)
// are handled inside any wait for messages, the screen capture's paint-only wait included,
// while a window is away from its place and its layers half made. Their work waits for the
// end of the composition: it is sent again from the message loop once the message that
// composed has been handled.
#include <windows.h>

namespace tessara {

// Marks a composition under way for its lifetime; scopes may nest.
class ComposingScope {
 public:
  ComposingScope();
  ~ComposingScope();
  ComposingScope(const ComposingScope&) = delete;
  ComposingScope& operator=(const ComposingScope&) = delete;
};

// False when no composition is under way: the caller does its work now. Otherwise the
// message is queued (once) to be sent to `hwnd` again afterwards, and the caller does
// nothing now; `lp` must not point to memory that the sender owns.
bool DeferWhileComposing(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tessara
