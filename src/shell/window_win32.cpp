#include "shell/window_win32.h"

#include <commdlg.h>

#include <utility>

#include "shell/commondialogs_win32.h"

#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/handles_win32.h"
#include "shell/modal_win32.h"

namespace tessara {
namespace {
HWND g_application_window = nullptr;
HWND g_panel = nullptr;
HWND g_serving = nullptr;

// A window the user sees and can use: shown, not minimised, enabled, on some monitor.
bool Answerable(HWND hwnd) {
  return hwnd && IsWindowVisible(hwnd) && !IsIconic(hwnd) && IsWindowEnabled(hwnd) &&
         MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL) != nullptr;
}

// Set while a box that must stay above every window is starting.
bool g_raise_next_dialog = false;

// Windows gives a box of MB_TOPMOST that style; Wine leaves it out. Either way the box is
// raised into the topmost band once it is made, before it shows.
LRESULT CALLBACK RaiseStartingDialog(int code, WPARAM wp, LPARAM lp) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lp);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && std::exchange(g_raise_next_dialog, false))
    SetWindowPos(call->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

HWND ApplicationWindow() { return g_application_window; }
void SetApplicationWindow(HWND window) { g_application_window = window; }

void SetPanelWindow(HWND window) { g_panel = window; }

ServingWindow::ServingWindow(HWND window) : outer_(std::exchange(g_serving, window)) {}
ServingWindow::~ServingWindow() { g_serving = outer_; }

HWND ServedWindow() { return Answerable(g_serving) ? g_serving : nullptr; }

int MessageBoxWithTitle(const std::string& text, UINT flags, HWND owner) {
  return MessageBoxWithTitle(WideFromAnsi(text), flags, owner);
}

int MessageBoxWithTitle(const std::wstring& text, UINT flags, HWND owner) {
  if (!owner) owner = ServedWindow();
  // Windows opens the window of a program that does not hold the foreground behind the
  // active program, and the same lock refuses MB_SETFOREGROUND: a box that every window of
  // ours waits on would wait unseen. Such a box is kept above every window: one that serves no
  // window in sight (start-up, the exit) always is, owned by the control panel if that is on
  // screen, else by none, which gives it a taskbar button of its own.
  const bool serves = owner != nullptr;
  if (!serves) owner = Answerable(g_panel) ? g_panel : nullptr;
  const HWND foreground = GetForegroundWindow();
  if (!serves || !foreground || GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId())
    flags |= MB_TOPMOST;
  UniqueHook raise;
  if (flags & MB_TOPMOST) {
    g_raise_next_dialog = true;
    raise.Reset(SetWindowsHookExA(WH_CALLWNDPROCRET, RaiseStartingDialog, nullptr, GetCurrentThreadId()));
  }
  ModalScope modal(owner);
  return MessageBoxW(owner, text.c_str(), WideFromAnsi(ApplicationTitle()).c_str(), flags | MB_SETFOREGROUND);
}

void InstallMessageBoxes() {
  SetMessageHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK); });
  SetErrorHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK | MB_ICONERROR); });
}

void ReportHandlerError(const char* text) { ShowError(text ? text : ""); }

void RegisterClassOnce(WNDCLASSEXA wc) {
  wc.cbSize = sizeof wc;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExA(wc.hInstance, wc.lpszClassName, &existing)) RegisterClassExA(&wc);
}

LOGFONTW LogFontOf(const FontSpec& font) {
  LOGFONTW lf{};
  lf.lfHeight = font.Height;
  lf.lfWeight = font.Weight;
  lf.lfItalic = font.Italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, WideFromAnsi(font.Face).c_str(), LF_FACESIZE);
  return lf;
}

HFONT CreateUiFont(int dpi, int weight) {
  return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kUiFontFace);
}

bool ChooseColorFor(HWND owner, int& color, DWORD flags) {
  static COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = ToColorRef(color);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | flags;
  ModalScope modal(owner);
  if (!CommonChooseColor(&cc)) return false;
  color = static_cast<int>(cc.rgbResult & 0xFFFFFF);
  return true;
}

}  // namespace tessara
