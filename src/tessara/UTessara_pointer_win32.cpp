// The tessara's window: the pointer's messages, the drag cursor, the work area, window moves
// and starts through the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "../../res/resource.h"
#include "shell/composing_win32.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "tessara/UTessara_win32.h"
#include "tessara/launch.h"

namespace tessara {

namespace {

// Why a start failed. The shell's own codes in hInstApp name what the thread's error may not
// (a shell can leave an older error there); otherwise the thread's error, else the legacy
// code, which below 32 is the system error of that number.
DWORD StartError(const SHELLEXECUTEINFOW& info) {
  const auto code = static_cast<DWORD>(reinterpret_cast<INT_PTR>(info.hInstApp));
  switch (code) {
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
      return ERROR_NO_ASSOCIATION;
    case SE_ERR_SHARE:
      return ERROR_SHARING_VIOLATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:
      return ERROR_DLL_NOT_FOUND;
    default:
      if (const DWORD error = GetLastError(); error != ERROR_SUCCESS) return error;
      return code != 0 ? code : ERROR_NOT_ENOUGH_MEMORY;
  }
}

// The system's text for an error, in the program's text, without its closing line break.
std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", text ? length : 0);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? "Error " + std::to_string(error) : AnsiText(message);
}

// The drag cursor is application-wide: every tessara shows it while a tile is held.
bool g_dragging = false;

HCURSOR DragCursor(int dpi) {
  static HCURSOR cursor = [] {
    HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_TILEDRAG));
    return own ? own : LoadCursor(nullptr, IDC_SIZEALL);
  }();
  if (dpi == kBaseDpi) return cursor;
  // On a scaled monitor the cursor in the size of the scale; the last size is kept.
  static int scaledSize = 0;
  static HCURSOR scaled = nullptr;
  const int size = ScaleLength(32, dpi);
  if (size != scaledSize) {
    HCURSOR made = static_cast<HCURSOR>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_TILEDRAG), IMAGE_CURSOR, size, size, 0));
    if (!made) return cursor;
    if (scaled) DestroyCursor(scaled);
    scaled = made;
    scaledSize = size;
  }
  return scaled;
}

unsigned ShiftOf(WPARAM wp) {
  unsigned shift = ssNone;
  if (wp & MK_SHIFT) shift |= ssShift;
  if (wp & MK_CONTROL) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

int XOf(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
int YOf(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }

}  // namespace

void TessaraWindow::SetDragCursor(bool dragging) {
  g_dragging = dragging;
  SetCursor(dragging ? DragCursor(dpi_) : LoadCursor(nullptr, IDC_ARROW));
}

WorkRect TessaraWindow::WorkAreaAt(int screenX, int screenY) const {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromPoint(POINT{screenX, screenY}, MONITOR_DEFAULTTONEAREST);
  if (!monitor || !GetMonitorInfoA(monitor, &info)) {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return {area.left, area.top, area.right, area.bottom};
  }
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

void TessaraWindow::MoveTo(int left, int top) {
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(hwnd_);
}

bool TessaraWindow::StartShell(const LaunchRequest& request, std::string& reason) {
  const std::wstring file = WideFromAnsi(request.File), parameters = WideFromAnsi(request.Parameters),
                     directory = WideFromAnsi(request.Directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // A failure comes back to be reported once, by the program's own message box; the
  // elevation prompt is no error box and still shows.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = hwnd_;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = SW_SHOWNORMAL;
  SetLastError(ERROR_SUCCESS);
  if (late::ShellExecuteExW(&info)) return true;
  DWORD error = StartError(info);
  if (error == ERROR_NO_ASSOCIATION) {
    // A type no program is set for: the shell's own choice of one, as in a folder window.
    info.lpVerb = L"openas";
    SetLastError(ERROR_SUCCESS);
    if (late::ShellExecuteExW(&info)) return true;
    if (GetLastError() == ERROR_CANCELLED) error = ERROR_CANCELLED;
  }
  reason = error == ERROR_CANCELLED ? std::string() : SystemMessage(error);
  return false;
}

bool TessaraWindow::HandlePointerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  MouseButton button = mbLeft;
  switch (msg) {
    // The class takes double clicks; the second press of one is an ordinary press.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) button = mbRight;
      if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK) button = mbMiddle;
      HintPress();
      // The pointer stays ours while a button is held, even outside the window.
      if (GetCapture() != hwnd_) SetCapture(hwnd_);
      if (form_) form_->FormMouseDown(button, ShiftOf(wp), XOf(lp), YOf(lp));
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (msg == WM_RBUTTONUP) button = mbRight;
      if (msg == WM_MBUTTONUP) button = mbMiddle;
      // The form ends the press first, so the lost capture that follows finds nothing held.
      if (form_) form_->FormMouseUp(button, ShiftOf(wp), XOf(lp), YOf(lp));
      if (!hwnd_) return true;
      if ((wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == hwnd_) ReleaseCapture();
      // A leave while the pointer was captured was ignored: a release outside the window
      // ends the hover now.
      POINT at{};
      if (form_ && GetCursorPos(&at) && WindowFromPoint(at) != hwnd_) form_->FormMouseLeave();
      // With the left button still holding a tile or moving the window, no menu.
      if (msg == WM_RBUTTONUP && form_ && !form_->Holding()) {
        POINT pt{XOf(lp), YOf(lp)};
        ClientToScreen(hwnd_, &pt);
        TrackPopupMenu(Menu(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_,
                       nullptr);
        MenuClosed();
      }
      return true;
    }
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
      HintPress();
      return false;
    case WM_MOUSEMOVE:
      if (!tracking_leave_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd_;
        tracking_leave_ = TrackMouseEvent(&track) != FALSE;
      }
      if (form_) form_->FormMouseMove(ShiftOf(wp), XOf(lp), YOf(lp));
      if (hwnd_) HintMouseMove(XOf(lp), YOf(lp));
      return true;
    case WM_MOUSEHOVER:
      HintRest();
      return true;
    case WM_MOUSELEAVE:
      tracking_leave_ = false;
      HintMouseLeave();
      // A leave also arrives while a drag holds the pointer: the drag is not over.
      if (GetCapture() == hwnd_) return true;
      if (form_) form_->FormMouseLeave();
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd_ && form_) form_->FormCaptureLost();
      return true;
    case WM_SETCURSOR:
      if (!g_dragging) return false;
      SetCursor(DragCursor(dpi_));
      result = TRUE;
      return true;
    default:
      return false;
  }
}

}  // namespace tessara
