#pragma once
// The Win32 edge's window plumbing: `this` is kept from WM_NCCREATE on, and every message
// is handled inside one catch, so no exception ever crosses a window procedure.
#include <windows.h>

#include <exception>
#include <string>

#include "base/font.h"

namespace tessara {

// The hidden top-level window that owns every window of the program, so none of them
// gets a taskbar button. It never owns a dialog: hidden, it would let one open unseen.
HWND ApplicationWindow();
void SetApplicationWindow(HWND window);

// The control panel, which owns the boxes that answer no command while it is on screen.
void SetPanelWindow(HWND window);

// The window whose message is being handled, for as long as the handler runs: a dialog or
// message box of the command it runs is owned by it. Set at the dispatch of every window
// procedure; nested messages restore the outer window at their end.
class ServingWindow {
 public:
  explicit ServingWindow(HWND window);
  ~ServingWindow();
  ServingWindow(const ServingWindow&) = delete;
  ServingWindow& operator=(const ServingWindow&) = delete;

 private:
  HWND outer_;
};

// The window a dialog serves when its caller names none: the window whose message is being
// handled, while it is on screen and takes input; else nullptr (no command of a window that
// the user sees asked for the dialog: start-up, the exit, a tray command of a hidden panel).
HWND ServedWindow();

// A plain message box (MB_OK unless other buttons are given) captioned with the title, owned
// by `owner` or else by the served window. One that serves no window is owned by the control
// panel if that is on screen, else by none; it, and any box while another program holds the
// foreground, is kept above every window.
int MessageBoxWithTitle(const std::string& text, UINT flags = MB_OK, HWND owner = nullptr);
// The same for a text that the program's code page may not hold (a name from the system).
int MessageBoxWithTitle(const std::wstring& text, UINT flags = MB_OK, HWND owner = nullptr);
// Routes ShowMessage and ShowError of the core to message boxes.
void InstallMessageBoxes();

// Shows the text of an error escaping a handler; the command in progress is abandoned.
void ReportHandlerError(const char* text);

// Runs a handler, showing the text of anything it throws; false when it threw.
template <class F>
bool Guarded(F&& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    ReportHandlerError(e.what());
  } catch (...) {
    ReportHandlerError("An unexpected error occurred.");
  }
  return false;
}

// A colour of the settings (red in the low byte) as GDI takes it.
inline COLORREF ToColorRef(int color) { return static_cast<COLORREF>(color) & 0xFFFFFF; }

// Registers a window class unless this module has it already; cbSize is filled in here.
void RegisterClassOnce(WNDCLASSEXA wc);

// A font of the settings as GDI takes it (any character set). Wide: Windows' GDI reads an
// ANSI face name in the system's code page, not the program's.
LOGFONTW LogFontOf(const FontSpec& font);

// The program's own interface font at `dpi`: 8 points of the TrueType face of the classic
// dialog font, whose bitmap original comes in a few sizes only and turns blocky when scaled.
inline constexpr const wchar_t* kUiFontFace = L"Microsoft Sans Serif";
HFONT CreateUiFont(int dpi, int weight = FW_NORMAL);

// The colour dialog preset to `color` (red in the low byte); false when cancelled. Custom
// colours are remembered for the whole run, across windows and dialogs.
bool ChooseColorFor(HWND owner, int& color, DWORD flags);

// T provides `HWND hwnd_` (accessible) and `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`.
template <class T>
LRESULT CALLBACK RoutedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  T* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  const ServingWindow serving(hwnd);
  LRESULT result = 0;
  Guarded([&] { result = self->HandleMessage(msg, wp, lp); });
  return result;
}

}  // namespace tessara
