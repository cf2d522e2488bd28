#pragma once
// The Win32 edge's window plumbing: `this` is kept from WM_NCCREATE on, and every message
// is handled inside one catch, so no exception ever crosses a window procedure.
#include <windows.h>

#include <exception>
#include <string>

namespace tessara {

// The hidden top-level window that owns every window of the program, so none of them
// gets a taskbar button; also the owner of message boxes.
HWND ApplicationWindow();
void SetApplicationWindow(HWND window);

// A plain message box (MB_OK unless other buttons are given) captioned with the title.
int MessageBoxWithTitle(const std::string& text, UINT flags = MB_OK);
// Routes ShowMessage and ShowError of the core to message boxes.
void InstallMessageBoxes();

// Shows the text of an error escaping a handler; the command in progress is abandoned.
void ReportHandlerError(const char* text);

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
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ReportHandlerError(e.what());
  } catch (...) {
    ReportHandlerError("An unexpected error occurred.");
  }
  return 0;
}

}  // namespace tessara
