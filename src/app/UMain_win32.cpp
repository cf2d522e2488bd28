#include "app/UMain_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <array>
#include <string>

#include "../../res/resource.h"
#include "base/globals.h"
#include "shell/alTools.h"
#include "shell/captions_win32.h"
#include "shell/composing_win32.h"
#include "shell/dpi_win32.h"
#include "shell/dwm_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/modal_win32.h"
#include "shell/shortcut_win32.h"
#include "shell/systemlibrary_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

namespace {

constexpr int kClientWidth = 345;
constexpr int kClientHeight = 334;
constexpr DWORD kPanelStyle = WS_CAPTION | WS_CLIPCHILDREN;  // no system menu, no buttons
constexpr const char* kApplicationClass = "TTessaraApplication";
constexpr std::uint64_t kExitRetryMs = 3000;
struct ControlDef {
  UINT id;
  const char* kind;
  DWORD style;
  int left, top, width, height;
  const char* caption;
  const char* hint;
  COLORREF font_color;
};

// The control panel's controls, top to bottom.
constexpr std::array<ControlDef, 5> kControls = {{
    {IDC_BTNHIDE, "BUTTON", BS_OWNERDRAW | WS_TABSTOP, 4, 5, 121, 25, "&Hide Control Panel",
     "Hide this Control Panel and continue running the program", RGB(0, 0, 0)},
    {IDC_BTNNEW, "BUTTON", BS_OWNERDRAW | WS_TABSTOP, 128, 5, 101, 25, "&New Tessara",
     "Create a new Tessara", 0x00FF80},
    {IDC_BTNEXIT, "BUTTON", BS_OWNERDRAW | WS_TABSTOP, 268, 5, 73, 25, "&Exit",
     "Exit the program", 0x404080},
    {IDC_CHKSNAPEDGES, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 4, 40, 137, 17,
     "Snap To Screen Edges", nullptr, 0},
    {IDC_CHKSTARTUP, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 4, 60, 209, 17,
     "Start Tessara when Windows start", nullptr, 0},
}};

constexpr int kPanelHeight = 35;

constexpr std::array<const char*, 7> kAboutLines = {
    "Tessara - floating tile windows for your desktop",
    "Version " TESSARA_VERSION_TEXT,
    "",
    "Drop files on a tessara to make tiles,",
    "click a tile to start it, right-click for the menu.",
    "Settings are kept in the program's folder.",
    "Questions and reports: see the README.",
};

// The session notices come only to a window registered for them.
template <class F>
F SessionNoticeFunction(const char* name) {
  static const HMODULE library = LoadSystemLibrary(L"wtsapi32.dll");
  return LibraryFunction<F>(library, name);
}

const ControlDef* FindControl(UINT id) {
  for (const auto& c : kControls)
    if (c.id == id) return &c;
  return nullptr;
}

LRESULT CALLBACK ApplicationWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA app{};
  app.lpfnWndProc = ApplicationWindowProc;
  app.hInstance = instance;
  app.lpszClassName = kApplicationClass;
  RegisterClassOnce(app);
  WNDCLASSEXA main{};
  main.lpfnWndProc = RoutedWindowProc<MainWindow>;
  main.hInstance = instance;
  main.hCursor = LoadCursor(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.hIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_TESSARA), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  main.lpszClassName = kMainWindowClass;
  RegisterClassOnce(main);
}

}  // namespace

unsigned long long ProgramFolderKey(const std::string& programFolder) {
  // FNV-1a over the case-folded folder: the same folder however it was typed.
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned char c : alTools::UpperCaseFold(programFolder)) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

namespace {

struct FindPanel {
  unsigned long long key;
  HWND found;
};

BOOL CALLBACK FindPanelOfFolder(HWND hwnd, LPARAM lp) {
  auto* find = reinterpret_cast<FindPanel*>(lp);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpA(name, kMainWindowClass) != 0) return TRUE;
  const auto key = reinterpret_cast<ULONG_PTR>(GetPropA(hwnd, kFolderKeyProperty));
  if (key != static_cast<ULONG_PTR>(find->key)) return TRUE;
  find->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindRunningPanel(unsigned long long key) {
  FindPanel find{key, nullptr};
  EnumWindows(FindPanelOfFolder, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

MainWindow::MainWindow(HINSTANCE instance, std::string programFolder)
    : instance_(instance), program_folder_(std::move(programFolder)) {}

MainWindow::~MainWindow() {
  Shutdown();
  if (session_notices_ && hwnd_) {
    using Unregister = BOOL(WINAPI*)(HWND);
    if (const auto unregister = SessionNoticeFunction<Unregister>("WTSUnRegisterSessionNotification"))
      unregister(hwnd_);
  }
  if (hwnd_) DestroyWindow(hwnd_);
  if (ApplicationWindow() == app_window_.Get()) SetApplicationWindow(nullptr);
  SetPanelWindow(nullptr);
}

void MainWindow::Create() {
  CreateBeforePanel();
  CompletePanel();
}

void MainWindow::CreateBeforePanel() {
  RegisterClasses(instance_);
  app_window_.Reset(CreateWindowExA(0, kApplicationClass, "Tessara", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance_, nullptr));
  SetApplicationWindow(app_window_.Get());
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");

  const int dpi = tessara::SystemDpi();
  RECT rc{0, 0, ScaleLength(kClientWidth, dpi), ScaleLength(kClientHeight, dpi)};
  AdjustFrameForDpi(rc, kPanelStyle, 0, dpi);
  CreateWindowExA(0, kMainWindowClass, "Tessara", kPanelStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  rc.right - rc.left, rc.bottom - rc.top, app_window_.Get(), nullptr, instance_,
                  this);
  if (!hwnd_) throw Error("Cannot create the control panel window");
  DisableTransitions(hwnd_);
  SetPanelWindow(hwnd_);
  SetPropA(hwnd_, kFolderKeyProperty,
           reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(ProgramFolderKey(program_folder_))));
  // Sized for the scale the panel's monitor has, though its controls come later.
  ApplyScale(DpiOfWindow(hwnd_));

  form_ = std::make_unique<TfrmMain>(*this, *this);
  form_->FormCreate();
  form_started_ = true;
}

void MainWindow::CompletePanel() {
  if (panel_completed_) return;
  panel_completed_ = true;
  CreateControls();
  ShowTrayIcon();
  // Without the notices (no such library) windows capture as they always did.
  using Register = BOOL(WINAPI*)(HWND, DWORD);
  if (const auto notify = SessionNoticeFunction<Register>("WTSRegisterSessionNotification"))
    session_notices_ = notify(hwnd_, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void MainWindow::CreateControls() {
  for (const auto& def : kControls)
    CreateWindowExA(0, def.kind, def.caption, WS_CHILD | WS_VISIBLE | def.style, def.left, def.top, def.width,
                    def.height, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(def.id)), instance_, nullptr);
  ApplyScale(DpiOfWindow(hwnd_));
  CreateTrayMenu();
}

int MainWindow::SystemDpi() const { return tessara::SystemDpi(); }

void MainWindow::ApplyScale(int dpi) {
  dpi_ = dpi;
  // The client area, the controls and the fonts in the device pixels of the panel's monitor.
  RECT rc{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustFrameForDpi(rc, kPanelStyle, 0, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  font_.Reset(CreateUiFont(dpi_));
  bold_font_.Reset(CreateUiFont(dpi_, FW_BOLD));

  for (const auto& def : kControls) {
    HWND control = Control(def.id);
    MoveWindow(control, Scaled(def.left), Scaled(def.top), Scaled(def.width), Scaled(def.height), FALSE);
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>((def.style & BS_OWNERDRAW) ? bold_font_.Get() : font_.Get()),
                 FALSE);
  }
  WidenCutCaptions(hwnd_, dpi_);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::CreateHints() {
  if (tooltip_) return;
  UseCommonControls();
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, instance_, nullptr);
  if (!tooltip_) return;
  for (const auto& def : kControls) {
    if (!def.hint) continue;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(def.id));
    tool.lpszText = const_cast<char*>(def.hint);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MainWindow::ShowFirst() {
  if (shown_first_ || !form_started_) return;
  shown_first_ = true;
  CompletePanel();
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  form_->FormShow();
}

int MainWindow::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

void MainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  if (!exit_retries_) exit_retries_.emplace(kExitRetryMs);
  if (form_) {
    try {
      form_->FormDestroy();
    } catch (const std::exception& e) {
      ReportHandlerError(e.what());
    }
  }
  RemoveTrayIcon();
}

void MainWindow::StopAnswering() {
  // A panel that answered while it saves would take the second start's call into a loop
  // that is ending: that start would do nothing.
  if (hwnd_) RemovePropA(hwnd_, kFolderKeyProperty);
  if (!exit_retries_) exit_retries_.emplace(kExitRetryMs);
}

void MainWindow::EndSession() {
  // Logging off or shutting down saves exactly as the Exit button does, and before the
  // message is answered: the system may end the process at once after it.
  StopAnswering();
  // Inside a capture, which the wait for its repaints lets this message into: the windows
  // away come back to their places first, so the save holds where they are, and the
  // composition is abandoned (its layers stay marked stale; the next start composes).
  CutCompositionShort();
  form_->FormClose();
  // The windows go only once the composition has unwound: it is still using them.
  if (!DeferWhileComposing(hwnd_, WM_ENDSESSION, TRUE, 0)) Shutdown();
}

void MainWindow::SetCaption(const std::string& caption) { SetWindowTextA(hwnd_, caption.c_str()); }

int MainWindow::Left() const {
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  return rc.left;
}

int MainWindow::Top() const {
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  return rc.top;
}

int MainWindow::Width() const {
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  return rc.right - rc.left;
}

int MainWindow::Height() const {
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  return rc.bottom - rc.top;
}

std::vector<WorkRect> MainWindow::WorkAreas() const { return MonitorWorkAreas(); }

WorkRect MainWindow::VirtualScreen() const {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void MainWindow::SetLeft(int left) {
  SetWindowPos(hwnd_, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetTop(int top) {
  SetWindowPos(hwnd_, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::Checked(MainCheck box) const {
  const UINT id = box == MainCheck::SnapEdges ? IDC_CHKSNAPEDGES : IDC_CHKSTARTUP;
  return IsDlgButtonChecked(hwnd_, static_cast<int>(id)) == BST_CHECKED;
}

void MainWindow::SetChecked(MainCheck box, bool checked) {
  const UINT id = box == MainCheck::SnapEdges ? IDC_CHKSNAPEDGES : IDC_CHKSTARTUP;
  CheckDlgButton(hwnd_, static_cast<int>(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

void MainWindow::HideApplicationWindow() { ShowWindow(app_window_.Get(), SW_HIDE); }

void MainWindow::BringToForeground() { SetForegroundWindow(hwnd_); }

void MainWindow::Close() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

std::string MainWindow::ProgramPath() { return alTools::ProgramPath(); }

std::string MainWindow::StartupFolder() { return alTools::StartupFolder(); }

bool MainWindow::StartupEntryDisabled(const std::string& linkName) { return alTools::StartupEntryDisabled(linkName); }

long MainWindow::CreateShortcut(const std::string& target, const std::string& file,
                                const std::string& description) {
  return tessara::CreateShortcut(target, file, description);
}

void MainWindow::CaptureTogether(const std::vector<ITessaraView*>& views) {
  std::vector<TessaraWindow*> windows;
  for (ITessaraView* view : views)
    if (auto* window = dynamic_cast<TessaraWindow*>(view)) windows.push_back(window);
  CaptureBehindTogether(windows);
}

std::unique_ptr<ITessaraView> MainWindow::CreateTessaraView() {
  return std::make_unique<TessaraWindow>(instance_, app_window_.Get());
}

void MainWindow::PostReleaseClosed() { PostMessageA(hwnd_, WM_APP_RELEASECLOSED, 0, 0); }

bool MainWindow::ExecuteOpenDlg(std::string& fileName) {
  OpenDialogSettings settings;
  settings.Title = "Import Text File";
  settings.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
  settings.DefaultExt = "txt";
  settings.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING;
  return RunOpenDialog(ServedWindow(), settings, std::string(), fileName);
}

void MainWindow::OnCommand(UINT id, UINT code) {
  switch (id) {
    case IDC_BTNHIDE:
      form_->btnHideClick();
      break;
    case IDC_BTNNEW:
    case IDM_TRAY_NEW:
      form_->btnNewClick();
      break;
    case IDC_BTNEXIT:
    case IDM_TRAY_EXIT:
      form_->btnExitClick();
      break;
    case IDM_TRAY_CONTROLPANEL:
      form_->cmControlPanelClick();
      break;
    case IDC_CHKSTARTUP:
      if (code == BN_CLICKED) form_->chkStartupClick();
      break;
    default:
      break;
  }
}

void MainWindow::DrawButton(const DRAWITEMSTRUCT& item) {
  const ControlDef* def = FindControl(item.CtlID);
  RECT rc = item.rcItem;
  FillRect(item.hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  // A flat button shows an edge only while it is pressed or has the focus.
  if (pressed) {
    DrawEdge(item.hDC, &rc, BDR_SUNKENOUTER, BF_RECT);
  } else if (item.itemState & ODS_FOCUS) {
    DrawEdge(item.hDC, &rc, BDR_RAISEDINNER, BF_RECT);
  }
  wchar_t text[64] = {};
  GetWindowTextW(item.hwndItem, text, 64);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, def ? def->font_color : RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(item.hDC, bold_font_.Get());
  if (pressed) OffsetRect(&rc, 1, 1);
  DrawTextW(item.hDC, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, old);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == taskbar_created_ && taskbar_created_ != 0) {
    // The shell restarted: our icon went with the old taskbar. (Before the panel is complete
    // there is none yet.)
    if (panel_completed_) {
      tray_added_ = false;
      ShowTrayIcon();
    }
    return 0;
  }
  switch (msg) {
    case WM_COMMAND:
      if (form_) OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT panel{0, 0, Scaled(kClientWidth), Scaled(kPanelHeight)};
      DrawEdge(dc, &panel, BDR_RAISEDINNER, BF_RECT);
      // The about text is painted, not held in label windows: fewer windows to make at start.
      HGDIOBJ old = SelectObject(dc, font_.Get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      int top = 96;
      for (const char* line : kAboutLines) {
        const std::wstring wide = WideFromAnsi(line);
        TextOutW(dc, Scaled(8), Scaled(top), wide.c_str(), static_cast<int>(wide.size()));
        top += 18;
      }
      SelectObject(dc, old);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case kWmDpiChanged: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyScale(HIWORD(wp));
      return 0;
    }
    case WM_SETCURSOR:
      // Hints are needed only once the pointer is over the panel.
      CreateHints();
      return DefWindowProcA(hwnd_, msg, wp, lp);
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_APP_TRAY:
      HandleTrayMessage(lp);
      return 0;
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_APP_RELEASECLOSED:
      if (form_) form_->ReleaseClosed();
      return 0;
    case WM_APP_SHOWPANEL:
      // A second start while this one waits for its tessaras' paint: the panel comes now.
      ShowFirst();
      if (form_) form_->cmControlPanelClick();
      return 0;
    case WM_CLOSE:
      // A close from outside (an installer, a task list) while a dialog is open would save
      // and quit under the command that waits on it: the user closes the dialog first.
      if (ModalScope::Open()) {
        ModalScope::BringToFront();
        return 0;
      }
      // The exit always ends; files that could not be written are reported at its end.
      StopAnswering();
      if (form_) form_->FormClose();
      if (!quitting_) {
        quitting_ = true;
        PostQuitMessage(0);
      }
      return 0;
    case WM_DISPLAYCHANGE:
      if (form_ && !DeferWhileComposing(hwnd_, msg, wp, lp)) form_->DisplayChanged();
      return 0;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETWORKAREA && form_ && !DeferWhileComposing(hwnd_, msg, wp, 0)) form_->DisplayChanged();
      return DefWindowProcA(hwnd_, msg, wp, lp);
    case WM_WTSSESSION_CHANGE:
      if (wp == WTS_SESSION_LOCK || wp == WTS_CONSOLE_DISCONNECT || wp == WTS_REMOTE_DISCONNECT) session_away_ = true;
      if (wp == WTS_SESSION_UNLOCK || wp == WTS_CONSOLE_CONNECT || wp == WTS_REMOTE_CONNECT) session_away_ = false;
      // The latest notice counts, also when it waits for a composition to end (sent again
      // without its code).
      if (form_ && form_->SessionAway() != session_away_ && !DeferWhileComposing(hwnd_, msg, 0, 0))
        form_->SessionChanged(session_away_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp && form_) EndSession();
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

}  // namespace tessara
