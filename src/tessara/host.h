#pragma once
// What a tessara needs from the program that hosts it. The control panel implements it;
// the window knows nothing else of the panel, and tests give it a small fake.
#include <string>

namespace tessara {

class TfrmTessara;

class ITessaraHost {
 public:
  virtual ~ITessaraHost() = default;
  // "New Tessara": a new window with default settings, within the limit of sixteen.
  virtual void NewTessara() = 0;
  // Brings the control panel on screen.
  virtual void ShowControlPanel() = 0;
  // Closes the program, saving everything as the panel's own Exit does.
  virtual void ExitApplication() = 0;
  // Takes a deleted window out of the list at once (the last window takes its number) and
  // destroys it once the current message has been handled.
  virtual void DeleteTessara(TfrmTessara* form) = 0;
  // The snapping settings, read afresh at every step of a window move.
  virtual bool SnapToEdges() const = 0;
  virtual int SnapDistance() const = 0;
  // The control panel's open-file dialog, which keeps the last chosen name for the next
  // time; true and the chosen full name, or false when cancelled.
  virtual bool ExecuteOpenDlg(std::string& fileName) = 0;
  // A change-save of `form` reached its files: a save of the host that waits for it may follow.
  virtual void ChangeSaved(TfrmTessara* /*form*/) {}
  // The session is locked or disconnected: the desktop cannot be copied.
  virtual bool SessionAway() const { return false; }
};

}  // namespace tessara
