// The capture of the screen behind a transparent window: the window leaves the screen copy
// (moved away, or kept out of copies by the compositor), the screen is given time to show
// what lies behind it, and the screen is copied.
#include "tessara/UTessara_win32.h"

#include <utility>
#include <vector>

#include "base/phases.h"
#include "shell/composing_win32.h"
#include "shell/dwm_win32.h"
#include "shell/window_win32.h"
#include "tessara/capture.h"

namespace tessara {

namespace {

// Redraw flags for this thread's windows uncovered by a capture: invalidate the part, paint
// it now, background, frame and children included.
constexpr UINT kUncoverRedraw =
    RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME;
static_assert(kUncoverRedraw == 1923);
// Another thread's window is only invalidated: painting it now would wait for its thread,
// and a hung or suspended program would hold the capture, and the program, with it.
constexpr UINT kUncoverAsk = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME;

// How far a capture moves the window off the screen.
constexpr int kAwayOffset = 10000;

// Once refused, not asked again: the system lacks it.
bool g_exclusion_refused = false;
bool g_cloaking_refused = false;

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

CapturePlan PlanThisCapture() {
  CaptureSystem system;
  system.Composition = CompositionOn();
  static const unsigned build = SystemBuild();
  system.Build = build;
  system.Exclusion = !g_exclusion_refused;
  system.Cloaking = !g_cloaking_refused;
  BOOL fade = FALSE;
  system.SelectionFade = SystemParametersInfoA(SPI_GETSELECTIONFADE, 0, &fade, 0) && fade;
  system.SinceMenuClosedMs = SinceMenuClosedMs();
  system.SinceDialogClosedMs = SinceDialogClosedMs();
  return PlanCapture(system);
}

// Lets what the program's menus and dialogs fade out be gone before the windows step aside:
// they stay on screen meanwhile.
void WaitForFades(const CapturePlan& plan) {
  const PhaseTimer wait(Phase::RepaintWaits);
  if (plan.FadeWaitMs) PumpPaintMessages(plan.FadeWaitMs);
}

// Gives the screen time to show what lies behind the windows that left it.
void WaitForScreen(const CapturePlan& plan) {
  const PhaseTimer wait(Phase::RepaintWaits);
  if (plan.RepaintWaitMs) PumpPaintMessages(plan.RepaintWaitMs);
  if (!plan.Flush || CompositionCutShort()) return;
  // A copy shows the frame last presented, which may be two behind what was drawn. Should
  // the compositor stop meanwhile, the windows uncovered paint their own part in time.
  if (!WaitForPresent() || !WaitForPresent()) PumpPaintMessages(kRepaintWaitMs);
}

// Every window below in Z order repaints the part of `area` it shows and no window above it
// has already painted; the walk goes to the end even when the area is covered.
void WalkBelow(HWND window, const UniqueRegion& area) {
  UniqueRegion done = EmptyRegion();
  const DWORD thread = GetCurrentThreadId();
  for (HWND win = GetWindow(window, GW_HWNDNEXT); win; win = GetWindow(win, GW_HWNDNEXT)) {
    if (!IsWindowVisible(win)) continue;
    RECT wr{};
    if (!GetWindowRect(win, &wr)) continue;
    UniqueRegion other = ScreenArea(win, wr);
    UniqueRegion shown = EmptyRegion();
    if (CombineRgn(shown.Get(), area.Get(), other.Get(), RGN_AND) == NULLREGION) continue;
    const Repaint repaint = RepaintBelow(
        WindowBelow{GetWindowThreadProcessId(win, nullptr) == thread, IsHungAppWindow(win) != FALSE, Cloaked(win)});
    if (repaint == Repaint::PassOver) continue;
    UniqueRegion fresh = EmptyRegion();
    if (CombineRgn(fresh.Get(), shown.Get(), done.Get(), RGN_DIFF) == NULLREGION) continue;
    OffsetRgn(fresh.Get(), -wr.left, -wr.top);
    if (repaint != Repaint::Leave)
      RedrawWindow(win, nullptr, fresh.Get(), repaint == Repaint::Now ? kUncoverRedraw : kUncoverAsk);
    CombineRgn(done.Get(), done.Get(), shown.Get(), RGN_OR);
  }
}

}  // namespace

void TessaraWindow::StepAside(const RECT& r, ComposingScope& composing, const CapturePlan& plan) {
  const HWND window = Handle();
  // A hint of any window would be copied into the background with the screen.
  HideEveryHint();
  Aside how = plan.HowAside;
  if (how == Aside::ExcludeFromCapture) {
    if (SetExcludedFromCapture(window, true)) {
      composing.HidesFromCopies(window, false);
      return;
    }
    g_exclusion_refused = true;
    how = g_cloaking_refused ? Aside::MoveAway : Aside::Cloak;
  }
  if (how == Aside::Cloak) {
    if (SetCloaked(window, true)) {
      composing.HidesFromCopies(window, true);
      return;
    }
    g_cloaking_refused = true;
  }
  UniqueRegion area = ScreenArea(window, r);
  composing.StepsAside(window, r);
  SetWindowPos(window, nullptr, r.left + kAwayOffset, r.top + kAwayOffset, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (plan.Walk) WalkBelow(window, area);
}

bool TessaraWindow::CopyScreen(const RECT& r, Bitmap24& layer) {
  bool copied = false;
  {
    ScreenDC screen;
    ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
    // Refused on another desktop (the secure one, a locked session): nothing is written.
    copied = screen.Get() && select.Ok() &&
             BitBlt(mem_dc_.Get(), 0, 0, layer.Width(), layer.Height(), screen.Get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  return copied;
}

CaptureResult TessaraWindow::CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) {
  // From here on the walk's redraws and the wait hand us messages other threads send.
  ComposingScope composing;
  const RECT r = Bounds();
  // Taken together with other windows a moment ago, from this very place: used as it is.
  if (!ahead_.Empty() && EqualRect(&r, &ahead_rect_) && ahead_.Width() == layer.Width() &&
      ahead_.Height() == layer.Height()) {
    std::swap(layer, ahead_);
    ahead_.Clear();
    whileAway(layer);
    return CaptureResult::Copied;
  }
  ahead_.Clear();
  if (CompositionCutShort()) return CaptureResult::CutShort;
  const CapturePlan plan = PlanThisCapture();
  WaitForFades(plan);
  if (CompositionCutShort()) return CaptureResult::CutShort;
  StepAside(r, composing, plan);
  WaitForScreen(plan);
  // Cut short, the window is back at its place: a copy now would show the window itself.
  if (CompositionCutShort()) return CaptureResult::CutShort;
  if (!CopyScreen(r, layer)) return CaptureResult::CopyFailed;
  whileAway(layer);
  return CaptureResult::Copied;
}

void CaptureBehindTogether(const std::vector<TessaraWindow*>& windows) {
  const PhaseTimer timer(Phase::Captures);
  ComposingScope composing;
  const CapturePlan plan = PlanThisCapture();
  WaitForFades(plan);
  if (CompositionCutShort()) return;
  std::vector<RECT> places;
  for (TessaraWindow* w : windows) {
    places.push_back(w->Bounds());
    w->StepAside(places.back(), composing, plan);
  }
  WaitForScreen(plan);
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
    // Not copied: the window captures on its own at its turn, and finds out.
    if (!w.CopyScreen(r, w.ahead_)) w.ahead_.Clear();
  }
}

}  // namespace tessara
