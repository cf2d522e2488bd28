// The tessara's floating hint: a small box of our own (the system's tooltip ignores chosen
// colours under visual styles) that never activates, never takes a press and stays clear
// of the tile under the pointer. The system's hover notification tells when the pointer has
// come to rest on a tile.
#include <cstring>

#include "shell/dpi_win32.h"
#include "shell/dwm_win32.h"
#include "shell/filenames_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"
#include "tessara/onscreen.h"

namespace tessara {

namespace {

constexpr const char* kHintClass = "TTessaraHint";
constexpr UINT kHintDelayMs = 500;
constexpr int kHintPadX = 4, kHintPadY = 2;
// Distance between the tile's edge and the box.
constexpr int kHintGap = 2;

}  // namespace

void HideEveryHint() {
  EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM) -> BOOL {
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, kHintClass) == 0 && IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
  }, 0);
}

LRESULT CALLBACK HintWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TessaraWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && self) {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        UniqueBrush brush(CreateSolidBrush(self->hint_back_));
        FillRect(dc, &rc, brush.Get());
        HGDIOBJ old = SelectObject(dc, self->HintFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, self->hint_fore_);
        const std::wstring text = WideFromAnsi(self->hint_text_);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void TessaraWindow::ShowHint(const std::string& text, int background, int textColor, int x, int /*y*/,
                             const CellRect& avoid) {
  if (!hint_) {
    WNDCLASSEXA wc{};
    wc.lpfnWndProc = HintWindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kHintClass;
    RegisterClassOnce(wc);
    // Owned by the tessara, so it goes with it.
    hint_.Reset(CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kHintClass, "", WS_POPUP,
                                0, 0, 1, 1, hwnd_, nullptr, instance_, this));
    if (!hint_) return;  // a hint is a nicety: without a window there is none
    DisableTransitions(hint_.Get());
  }
  hint_text_ = text;
  // Painted by the box itself; as its window text it is also the box's name for screen readers.
  SetWindowTextA(hint_.Get(), text.c_str());
  hint_back_ = static_cast<COLORREF>(background) & 0xFFFFFF;
  hint_fore_ = static_cast<COLORREF>(textColor) & 0xFFFFFF;
  RECT measure{0, 0, 0, 0};
  {
    HDC dc = GetDC(hint_.Get());
    HGDIOBJ old = SelectObject(dc, HintFont());
    const std::wstring wide = WideFromAnsi(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measure, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(hint_.Get(), dc);
  }
  const int width = measure.right + 2 * ScaleLength(kHintPadX, dpi_);
  const int height = measure.bottom + 2 * ScaleLength(kHintPadY, dpi_);
  // Within the work area of the tile's own monitor.
  const WindowRect tile{avoid.Left, avoid.Top, avoid.Width, avoid.Height};
  const WindowRect at = PlaceHint(tile, width, height, x, ScaleLength(kHintGap, dpi_),
                                  WorkAreaAt(avoid.Left + avoid.Width / 2, avoid.Top + avoid.Height / 2));
  SetWindowPos(hint_.Get(), HWND_TOPMOST, at.Left, at.Top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hint_.Get(), nullptr, TRUE);
}

HGDIOBJ TessaraWindow::HintFont() {
  // The program's own font in the size of the window's scale.
  if (!hint_font_ || hint_font_dpi_ != dpi_) {
    hint_font_.Reset(CreateUiFont(dpi_));
    hint_font_dpi_ = dpi_;
  }
  return hint_font_ ? static_cast<HGDIOBJ>(hint_font_.Get()) : GetStockObject(DEFAULT_GUI_FONT);
}

void TessaraWindow::HideHint() {
  if (hint_) ShowWindow(hint_.Get(), SW_HIDE);
}

void TessaraWindow::HintMouseMove(int x, int y) {
  if (!form_) return;
  const Cell cell = form_->CellAt(x, y);
  if (cell.Col == hint_rest_.Col && cell.Row == hint_rest_.Row) return;
  form_->HintHide();
  hint_rest_ = cell;
  hint_pressed_ = false;
  if (!cell.Valid() || !form_->FloatHint) return;
  // A hover notification once the pointer has rested on this cell for the delay. The leave
  // notice is asked for again with it: Wine replaces the tracked flags instead of adding them.
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd_;
  track.dwHoverTime = kHintDelayMs;
  TrackMouseEvent(&track);
}

void TessaraWindow::HintRest() {
  if (!form_ || hint_pressed_ || !hint_rest_.Valid()) return;
  POINT at{};
  GetCursorPos(&at);
  form_->HintOver(hint_rest_.Col, hint_rest_.Row, at.x, at.y);
}

void TessaraWindow::HintMouseLeave() {
  hint_rest_ = {};
  if (form_) form_->HintHide();
}

void TessaraWindow::HintPress() {
  hint_pressed_ = true;
  if (form_) form_->HintHide();
}

}  // namespace tessara
