#pragma once
// The control panel's window, its controls and the tray icon; also the services of the
// system that the portable control panel asks for.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/UMain.h"
#include "base/dpi.h"
#include "settings/replaceretry.h"
#include "shell/handles_win32.h"

namespace tessara {

inline constexpr const char* kMainWindowClass = "TTessaraControlPanel";
inline constexpr const char* kFolderKeyProperty = "TessaraFolderKey";
// Posted by a second start of the same program: come on screen.
inline constexpr UINT WM_APP_SHOWPANEL = WM_APP + 2;
inline constexpr UINT WM_APP_TRAY = WM_APP + 1;
// Destroys deleted tessaras once their own handlers have returned.
inline constexpr UINT WM_APP_RELEASECLOSED = WM_APP + 3;

// Tray and control ids.
enum MainCommand : UINT {
  IDC_BTNHIDE = 1001,
  IDC_BTNNEW,
  IDC_BTNEXIT,
  IDC_CHKSNAPEDGES,
  IDC_CHKSTARTUP,
  IDM_TRAY_NEW = 1101,
  IDM_TRAY_CONTROLPANEL,
  IDM_TRAY_EXIT,
};

// A key identifying the program folder, shared by the instance guard and the window.
unsigned long long ProgramFolderKey(const std::string& programFolder);

// The control panel of a running copy in the folder of that key that still answers a second
// start; nullptr when there is none (or it has begun to exit).
HWND FindRunningPanel(unsigned long long key);

class MainWindow final : public IMainView, public IMainPlatform {
 public:
  MainWindow(HINSTANCE instance, std::string programFolder);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the panel's window and runs the form's start-up, which makes and shows the
  // tessaras; then completes the panel.
  void Create();
  // The same but for completing the panel: the program's own start leaves that to ShowFirst,
  // once the tessaras have painted. A second start finds the panel's window from now on.
  void CreateBeforePanel();
  // The panel's controls, its tray icon and the session notices; once.
  void CompletePanel();
  // The first showing of the control panel, completed; once, and not before the form's
  // start-up has ended.
  void ShowFirst();
  // Pumps messages until the control panel has closed.
  int Run();
  // After the loop: the forms are destroyed (tessaras save once more), tray icon removed.
  void Shutdown();

  HWND Handle() const { return hwnd_; }
  HWND Control(UINT id) const { return GetDlgItem(hwnd_, static_cast<int>(id)); }
  HMENU TrayMenu() const { return tray_menu_.Get(); }
  HWND Hints() const { return tooltip_; }
  bool TrayIconShown() const { return tray_added_; }
  HICON TrayIcon() const { return tray_icon_.Get(); }
  TfrmMain& Form() { return *form_; }

  // IMainView
  void SetCaption(const std::string& caption) override;
  int Left() const override;
  int Top() const override;
  int SystemDpi() const override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  bool Checked(MainCheck box) const override;
  void SetChecked(MainCheck box, bool checked) override;
  void HideApplicationWindow() override;
  void BringToForeground() override;
  void Close() override;
  int Width() const override;
  int Height() const override;
  std::vector<WorkRect> WorkAreas() const override;
  WorkRect VirtualScreen() const override;

  // IMainPlatform
  std::string ProgramFolder() override { return program_folder_; }
  std::string ProgramPath() override;
  std::string StartupFolder() override;
  long CreateShortcut(const std::string& target, const std::string& file,
                      const std::string& description) override;
  bool StartupEntryDisabled(const std::string& linkName) override;
  std::unique_ptr<ITessaraView> CreateTessaraView() override;
  void CaptureTogether(const std::vector<ITessaraView*>& views) override;
  void PostReleaseClosed() override;
  bool ExecuteOpenDlg(std::string& fileName) override;

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;

 private:
  void CreateControls();
  // Sizes the panel, its controls and fonts for a DPI; kept until the next change.
  void ApplyScale(int dpi);
  int Scaled(int length) const { return ScaleLength(length, dpi_); }
  int dpi_ = kBaseDpi;
  void CreateHints();
  // Adds the tray icon, trying again for a while when the taskbar does not take it.
  // The tray icon and its menu (UMain_tray_win32.cpp).
  void CreateTrayMenu();
  void ShowTrayIcon();
  void TryTrayIcon();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void ShowTrayMenu();
  void HandleTrayMessage(LPARAM lp);
  void OnTimer(WPARAM id);
  void OnCommand(UINT id, UINT code);
  void DrawButton(const DRAWITEMSTRUCT& item);
  void EndSession();
  // A second start from now on waits for this copy's end instead of calling on it.
  void StopAnswering();

  HINSTANCE instance_;
  std::string program_folder_;
  UniqueWindow app_window_;
  UniqueFont font_;
  UniqueFont bold_font_;
  UniqueIcon tray_icon_;
  UniqueMenu tray_menu_;
  HWND tooltip_ = nullptr;
  bool tray_added_ = false;
  int tray_tries_ = 0;
  bool quitting_ = false;
  // Registered for the notices of a locked or disconnected session, and the latest of them.
  bool session_notices_ = false;
  bool session_away_ = false;
  bool shut_down_ = false;
  bool form_started_ = false;
  bool panel_completed_ = false;
  bool shown_first_ = false;
  // From the exit's start on, its two saves share a few seconds of retries in all.
  std::optional<ReplaceRetryBudget> exit_retries_;
  UINT taskbar_created_ = 0;
  std::unique_ptr<TfrmMain> form_;
};

}  // namespace tessara
