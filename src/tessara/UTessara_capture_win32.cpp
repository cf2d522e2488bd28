// The capture of the screen behind a transparent window: the window steps aside, the
// windows it uncovered repaint, and the screen is copied.
#include "tessara/UTessara_win32.h"

#include <utility>
#include <vector>

#include "base/phases.h"
#include "shell/composing_win32.h"
#include "shell/window_win32.h"

namespace tessara {

namespace {

// Redraw flags for the windows uncovered by a capture: invalidate the part, paint it now,
// background, frame and children included.
constexpr UINT kUncoverRedraw =
    RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME;
static_assert(kUncoverRedraw == 1923);

// How far a capture moves the window off the screen.
constexpr int kAwayOffset = 10000;
// Windows of this process that were uncovered repaint through their message queue; the
// screen copy waits this long for them.
constexpr DWORD kRepaintWaitMs = 40;

UniqueRegion EmptyRegion() { return UniqueRegion(CreateRectRgn(0, 0, 0, 0)); }

// A window's area in screen coordinates: its own region moved to its position, or its
// rectangle when it has no region.
UniqueRegion ScreenArea(HWND window, const RECT& rect) {
  UniqueRegion area = EmptyRegion();
  if (GetWindowRgn(window, area.Get()) == ERROR)
    SetRectRgn(area.Get(), rect.left, rect.top, rect.right, rect.bottom);
  else
    OffsetRgn(area.Get(), rect.left, rect.top);
  return area;
}

// Lets this process's windows handle their paint messages for a while. Nothing else runs:
// a key, a click or a command handled here would run inside the composition and could
// delete, renumber or recompose a tessara whose DC and layers the capture is using. Input
// stays queued for the real message loop. A cut ends the wait.
void PumpPaintMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds || CompositionCutShort()) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_PAINT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) DispatchMessageA(&msg);
  }
}

}  // namespace

void TessaraWindow::StepAside(const RECT& r, ComposingScope& composing) {
  UniqueRegion area = ScreenArea(Handle(), r);
  UniqueRegion done = EmptyRegion();
  // A hint of any window would be copied into the background with the screen.
  HideEveryHint();

  composing.StepsAside(hwnd_, r);
  SetWindowPos(hwnd_, nullptr, r.left + kAwayOffset, r.top + kAwayOffset, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // Every window below in Z order repaints the part of our area it shows and no window
  // above it has already painted; the walk goes to the end even when the area is covered.
  for (HWND win = GetWindow(hwnd_, GW_HWNDNEXT); win; win = GetWindow(win, GW_HWNDNEXT)) {
    if (!IsWindowVisible(win)) continue;
    RECT wr{};
    if (!GetWindowRect(win, &wr)) continue;
    UniqueRegion other = ScreenArea(win, wr);
    UniqueRegion shown = EmptyRegion();
    if (CombineRgn(shown.Get(), area.Get(), other.Get(), RGN_AND) == NULLREGION) continue;
    UniqueRegion fresh = EmptyRegion();
    if (CombineRgn(fresh.Get(), shown.Get(), done.Get(), RGN_DIFF) == NULLREGION) continue;
    OffsetRgn(fresh.Get(), -wr.left, -wr.top);
    RedrawWindow(win, nullptr, fresh.Get(), kUncoverRedraw);
    CombineRgn(done.Get(), done.Get(), shown.Get(), RGN_OR);
  }
}

void TessaraWindow::CopyScreen(const RECT& r, Bitmap24& layer) {
  {
    ScreenDC screen;
    ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
    if (screen.Get() && select.Ok())
      BitBlt(mem_dc_.Get(), 0, 0, layer.Width(), layer.Height(), screen.Get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
}

bool TessaraWindow::CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) {
  // From here on the walk's redraws and the wait hand us messages other threads send.
  ComposingScope composing;
  const RECT r = Bounds();
  // Taken together with other windows a moment ago, from this very place: used as it is.
  if (!ahead_.Empty() && EqualRect(&r, &ahead_rect_) && ahead_.Width() == layer.Width() &&
      ahead_.Height() == layer.Height()) {
    std::swap(layer, ahead_);
    ahead_.Clear();
    whileAway(layer);
    return true;
  }
  ahead_.Clear();
  if (CompositionCutShort()) return false;
  StepAside(r, composing);
  {
    const PhaseTimer wait(Phase::RepaintWaits);
    PumpPaintMessages(kRepaintWaitMs);
  }
  // Cut short, the window is back at its place: a copy now would show the window itself.
  if (CompositionCutShort()) return false;
  CopyScreen(r, layer);
  whileAway(layer);
  return true;
}

void CaptureBehindTogether(const std::vector<TessaraWindow*>& windows) {
  const PhaseTimer timer(Phase::Captures);
  ComposingScope composing;
  std::vector<RECT> places;
  for (TessaraWindow* w : windows) {
    places.push_back(w->Bounds());
    w->StepAside(places.back(), composing);
  }
  {
    const PhaseTimer wait(Phase::RepaintWaits);
    PumpPaintMessages(kRepaintWaitMs);
  }
  if (CompositionCutShort()) return;
  for (std::size_t k = 0; k < windows.size(); ++k) {
    TessaraWindow& w = *windows[k];
    const RECT& r = places[k];
    try {
      w.ahead_.Resize(r.right - r.left, r.bottom - r.top);
    } catch (const std::bad_alloc&) {
      continue;  // the window captures on its own at its turn
    }
    w.ahead_rect_ = r;
    w.CopyScreen(r, w.ahead_);
  }
}

}  // namespace tessara
