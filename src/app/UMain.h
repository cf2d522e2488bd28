#pragma once
// TfrmMain: the control panel. It restores the saved tessaras at start, creates new ones
// (at most sixteen), keeps the two program-wide options and saves everything at exit.
// Portable: the window, its controls and the tray icon sit behind IMainView; the few
// services of the system behind IMainPlatform.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/RegVal.h"
#include "tessara/UTessara.h"
#include "version.h"

namespace tessara {

inline constexpr int kMaxTessaras = 16;
// The left edge of the parked panel, unless the desktop reaches that far.
inline constexpr int kParkedLeft = 4000;
inline constexpr const char* kVersionText = "v" TESSARA_VERSION_TEXT;

class IMainPlatform {
 public:
  virtual ~IMainPlatform() = default;
  virtual std::string ProgramFolder() = 0;  // ends in the path separator
  virtual std::string ProgramPath() = 0;
  virtual std::string StartupFolder() = 0;  // ends in the separator, or empty
  // An HRESULT: negative when the shortcut could not be made.
  virtual long CreateShortcut(const std::string& target, const std::string& file,
                              const std::string& description) = 0;
  // Whether the user turned the entry of this shortcut name in the Startup folder off in
  // Task Manager, so that Windows does not run it; false when it is on or never touched.
  virtual bool StartupEntryDisabled(const std::string& linkName) = 0;
  virtual std::unique_ptr<ITessaraView> CreateTessaraView() = 0;
  // The windows step aside at once, what lay below them repaints, and each keeps a copy of
  // the screen behind it for its next capture: one repaint wait for all of them.
  virtual void CaptureTogether(const std::vector<ITessaraView*>& views) = 0;
  // Asks for ReleaseClosed to run once the current message has been handled.
  virtual void PostReleaseClosed() = 0;
  // The open-file dialog "Import Text File", preset to `fileName`; true and the chosen full
  // name, or false when cancelled (or the name cannot be kept, which it reports itself).
  virtual bool ExecuteOpenDlg(std::string& fileName) = 0;
};

enum class MainCheck { SnapEdges, Startup };

class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  // The DPI by which the system stretched the screen for programs that declare no awareness.
  virtual int SystemDpi() const { return kBaseDpi; }
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual bool Checked(MainCheck box) const = 0;
  // Sets the box without reporting a click; the form reports changes itself.
  virtual void SetChecked(MainCheck box, bool checked) = 0;
  virtual void HideApplicationWindow() = 0;
  virtual void BringToForeground() = 0;
  // Asks the window to close; the close runs FormClose, which may refuse.
  virtual void Close() = 0;

  // Keeping the panel on screen.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The work area of every monitor attached now; empty when the system cannot tell.
  virtual std::vector<WorkRect> WorkAreas() const = 0;
  // The rectangle around every monitor (not only their work areas); empty when unknown.
  virtual WorkRect VirtualScreen() const = 0;
};

class TfrmMain : public ITessaraHost {
 public:
  TfrmMain(IMainPlatform& platform, IMainView& view);
  ~TfrmMain() override;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  TRegVal globals;
  int TessaraCount = 0;
  int PanelX = 0;
  int PanelY = 0;
  bool Saved = false;

  // Slots 1..16; slot k holds the window numbered k.
  TfrmTessara* Tessara(int slot) const;

  void FormCreate();
  void FormShow();
  void btnHideClick();
  void cmControlPanelClick();
  // Brings every tessara to the top without activating it, then the panel to the front.
  void RxTrayIcon1Click();
  void RxTrayIcon1DblClick();
  void btnNewClick();
  void btnExitClick();
  void chkStartupClick();
  // Saves everything once; a file that cannot be written is kept for FormDestroy's report.
  void FormClose();
  // Destroys the tessaras (each saves itself while it still saves on exit), then saves
  // the main keys if no close did, and reports in one message every file that could not be
  // written. Run once when the message loop has ended.
  void FormDestroy();
  // Saves every window and the main keys; one that fails never stops the others.
  void SaveAll();
  // The keys of "tessara.ini" (the window count among them), written alone.
  void SaveMainKeys();
  // After a window was made or deleted: the count is written at once, so a crash neither
  // loses the new window nor brings the deleted one back. It names only windows whose files
  // are whole in their place (CountToStore); a count that could not be written, or a move of
  // files cut short, is tried again at every later change-save until it is done.
  void SaveCountChange();
  void ChangeSaved(TfrmTessara* form) override;

  // Takes a window out of the list and gives its slot to the window of the last slot,
  // which takes the freed number; returns the removed window to its caller.
  std::unique_ptr<TfrmTessara> RemoveTessara(TfrmTessara* form);
  // Deletes a window: renumbers at once, destroys it later (its own handler is running).
  void DeleteTessara(TfrmTessara* form) override;

  // What the tessaras ask of their host.
  void NewTessara() override { btnNewClick(); }
  void ShowControlPanel() override { cmControlPanelClick(); }
  void ExitApplication() override { btnExitClick(); }
  bool SnapToEdges() const override;
  int SnapDistance() const override;
  bool ExecuteOpenDlg(std::string& fileName) override;
  void ReleaseClosed();
  // The monitors or the work area changed: a panel on show that no monitor shows enough of
  // comes back into the nearest work area; a parked panel stays parked beyond the desktop.
  void DisplayChanged();
  // The session was locked or disconnected (`away`), or is back: while it is away no window
  // captures; once it is back, each window that wanted a capture meanwhile takes one.
  void SessionChanged(bool away);
  bool SessionAway() const override { return session_away_; }
  // The open-file dialog lives as long as the panel: it opens with the name last chosen.
  std::string OpenDlgFileName;

  std::string Title() const;     // "Tessara v" and the version text
  std::string StartupLinkName() const;

 private:
  std::unique_ptr<TfrmTessara> MakeTessara();
  // Start-up: makes, loads and prepares window i; false when it failed and stays out.
  bool LoadForStart(int i);
  // Start-up: window i and every later one whose capture can be taken at the same moment
  // capture together (marked in `ahead`); windows that must be on screen for those
  // captures and may appear sooner are shown first (marked in `shown`).
  using StartFlags = std::array<bool, kMaxTessaras + 1>;
  void CaptureAhead(int i, StartFlags& ahead, StartFlags& shown);
  void ShowForStart(int i);
  void SetCheckedReportingClick(MainCheck box, bool checked);
  // The user has been told this session that Windows will not run the Startup shortcut.
  bool startup_off_told_ = false;
  // Moves the panel into the nearest work area if it cannot be reached where it is; that
  // place is what the next save stores.
  void BringPanelOnScreen();
  // Hidden: moved off the desktop. The place it left is kept in PanelX and PanelY.
  void Park();
  // kParkedLeft, or the desktop's right edge where the desktop reaches beyond it.
  int ParkedLeft() const;

  // Gives the files and settings of window `from` (one that failed to load) to number `to`.
  void MoveWindowFiles(int from, int to);
  // Finishes the moves of failed windows' files that were cut short, in order: a later move
  // may carry on what an earlier one brought.
  void FinishMoves();
  // The count that may be written now: never a number whose files are not yet a new
  // window's own, never below a number that holds the only whole copy of a window's files.
  int CountToStore() const;
  // A window's files were written (`ok`) or not, at a change-save or at the exit.
  // True when the count waited for it.
  bool WindowWritten(const TfrmTessara* form, bool ok);
  // The number a new window would take may hold files that are still some window's only
  // copy: their move is tried again first; false when it still cannot be given out.
  bool NumberFree(int number);
  // Runs one save of the exit for `owner` (a window, or this form for its keys), keeping the
  // files it could not write for the report; a later save of the same owner replaces them.
  bool SaveAtExit(const void* owner, const std::function<void()>& save);

  IMainPlatform& platform_;
  std::vector<std::pair<const void*, std::vector<std::string>>> exit_failures_;
  // The count on disk is out of date, or was last written lower or higher than the windows
  // ask, while some files below wait to be written.
  bool count_pending_ = false;
  int count_on_disk_ = 0;
  // A window whose files must reach `number` before the count may rely on them: a new one
  // (`whole_at` 0), or one renumbered by a delete whose whole copy still lies at `whole_at`.
  // `form` is null once the window is gone at the exit.
  struct CountWait {
    const TfrmTessara* form;
    int number;
    int whole_at;
  };
  std::vector<CountWait> count_waits_;
  // Moves of a failed window's files that did not finish.
  struct FileMove {
    int from;
    int to;
  };
  std::vector<FileMove> pending_moves_;
  IMainView& view_;
  bool parked_ = false;
  bool session_away_ = false;
  std::array<std::unique_ptr<TfrmTessara>, kMaxTessaras + 1> tessaras_;
  std::vector<std::unique_ptr<TfrmTessara>> closed_;
};

// The keys of "tessara.ini" in their order, with their defaults.
TRegVal::Lines MainBooleanKeys();
TRegVal::Lines MainIntegerKeys();

}  // namespace tessara
