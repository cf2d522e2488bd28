#include "tessara/UTessara_win32.h"

#include "shell/error.h"
#include "shell/window_win32.h"

namespace tessara {

namespace {
void RegisterTessaraClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kTessaraWindowClass, &wc)) return;
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RoutedWindowProc<TessaraWindow>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kTessaraWindowClass;
  RegisterClassExA(&wc);
}
}  // namespace

TessaraWindow::TessaraWindow(HINSTANCE instance, HWND owner) {
  RegisterTessaraClass(instance);
  CreateWindowExA(0, kTessaraWindowClass, "ts", WS_POPUP, 0, 0, 76, 112, owner, nullptr, instance,
                  this);
  if (!hwnd_) throw Error("Cannot create a tessara window");
}

TessaraWindow::~TessaraWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

RECT TessaraWindow::Bounds() const {
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  return rc;
}

void TessaraWindow::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TessaraWindow::Left() const { return Bounds().left; }
int TessaraWindow::Top() const { return Bounds().top; }
int TessaraWindow::Width() const {
  const RECT rc = Bounds();
  return rc.right - rc.left;
}
int TessaraWindow::Height() const {
  const RECT rc = Bounds();
  return rc.bottom - rc.top;
}

void TessaraWindow::SetColor(int color) {
  color_ = static_cast<COLORREF>(color) & 0xFFFFFF;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TessaraWindow::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }

ScreenSize TessaraWindow::Screen() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

LRESULT TessaraWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      HBRUSH brush = CreateSolidBrush(color_);
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_CLOSE:
      // Only the program closes a tessara (delete, exit), so the control panel's list never
      // holds a destroyed window; a close from elsewhere (Alt+F4, another program) is refused.
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

}  // namespace tessara
