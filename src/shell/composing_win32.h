#pragma once
// Messages that other threads send (a display or work-area change, the end of the session)
// are handled inside any wait for messages, the screen capture's paint-only wait included,
// while a window is away from its place and its layers half made. Their work waits for the
// end of the composition: it is sent again from the message loop once the message that
// composed has been handled. The end of the session cannot wait: it cuts the composition
// short instead.
#include <windows.h>

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
  // `hwnd` stays in place but out of screen copies (excluded from them, or cloaked) for this
  // composition: it is copied again when the scope ends, or at once when it is cut short.
  void HidesFromCopies(HWND hwnd, bool cloaked);

 private:
  enum class Away { Moved, Excluded, Cloaked };
  struct AwayWindow {
    HWND hwnd;
    RECT place;
    Away how;
  };
  void MoveBack();
  friend bool CutCompositionShort();
  ComposingScope* outer_;
  std::vector<AwayWindow> away_;
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

// A menu of the program has just closed: its chosen item may still be fading out on screen.
void MenuClosed();
// A dialog or message box of the program has just closed: it may still be fading out.
void DialogClosed();
// Milliseconds since a menu, or a dialog, of the program last closed; the largest value when
// none has.
unsigned SinceMenuClosedMs();
unsigned SinceDialogClosedMs();

}  // namespace tessara
