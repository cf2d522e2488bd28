#pragma once
// Messages that other threads send (a display or work-area change, the end of the session)
// are handled inside any wait for messages, the screen capture's paint-only wait included,
// while a window is away from its place and its layers half made. Their work waits for the
// end of the composition: it is sent again from the message loop once the message that
// composed has been handled. The end of the session cannot wait: it cuts the composition
// short instead.
#include <windows.h>

#include <utility>
#include <vector>

namespace tessara {

// Marks a composition under way for its lifetime; scopes may nest.
class ComposingScope {
 public:
  ComposingScope();
  ~ComposingScope();
  ComposingScope(const ComposingScope&) = delete;
  ComposingScope& operator=(const ComposingScope&) = delete;

  // `hwnd` leaves `place` for this composition: it comes back there when the scope ends
  // (whatever ends it), or at once when the composition is cut short.
  void StepsAside(HWND hwnd, const RECT& place);

 private:
  void MoveBack();
  friend bool CutCompositionShort();
  ComposingScope* outer_;
  std::vector<std::pair<HWND, RECT>> away_;
};

// False when no composition is under way: the caller does its work now. Otherwise the
// message is queued (once) to be sent to `hwnd` again afterwards, and the caller does
// nothing now; `lp` must not point to memory that the sender owns.
bool DeferWhileComposing(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Ends the composition under way early: every window away for it is back at its place when
// this returns, and its captures copy nothing more until it has unwound. False when none
// is under way.
bool CutCompositionShort();
// True from a cut until the composition has unwound.
bool CompositionCutShort();

}  // namespace tessara
