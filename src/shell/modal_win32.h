#pragma once
// A modal dialog or message box holds the whole program. While a ModalScope lives, every
// window of this thread that could take input is disabled, so no tessara, the control panel
// or a dialog below it acts until the dialog on top has closed; they are enabled again at its
// end. Every dialog and message box of the program is shown inside one, and scopes nest.
#include <windows.h>

#include <vector>

namespace tessara {

class ModalScope {
 public:
  ModalScope();
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
