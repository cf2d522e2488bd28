#pragma once
// A modal dialog or message box holds the whole program. While a ModalScope lives, every
// window of this thread that could take input is disabled, so no tessara, the control panel
// or a dialog below it acts until the dialog on top has closed; they are enabled again at its
// end. Every dialog and message box of the program is shown inside one, and scopes nest.
//
// Windows chooses the window to activate when a dialog is destroyed: it is the dialog's owner
// only if that is shown and enabled by then, else the next window in the Z order, often
// another program's. So the scope leaves the owner of a dialog box (a message box, a common
// dialog) enabled: the dialog disables it itself and enables it again before it is destroyed.
// The others are enabled once the dialog is gone. A window with a loop of its own ends the
// scope before it hides.
#include <windows.h>

#include <vector>

namespace tessara {

class ModalScope {
 public:
  // `owner`: the window the dialog box is owned by, and serves; nullptr for none.
  explicit ModalScope(HWND owner = nullptr);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  // Whether a dialog or message box is open now.
  static bool Open();
  // Brings the dialog or message box on top to the foreground.
  static void BringToFront();

 private:
  std::vector<HWND> disabled_;
};

}  // namespace tessara
