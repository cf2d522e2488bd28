#include "shell/composing_win32.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "shell/dwm_win32.h"

namespace tessara {

namespace {

constexpr char kRunnerClass[] = "TessaraDeferredWork";
constexpr UINT kRunDeferred = WM_APP + 1;

ComposingScope* g_innermost = nullptr;
bool g_cut_short = false;
std::vector<MSG> g_deferred;
HWND g_runner = nullptr;
// When a menu and a dialog last closed; none yet while not set.
struct Closed {
  bool set = false;
  DWORD at = 0;
  void Now() { *this = {true, GetTickCount()}; }
  unsigned Since() const { return set ? GetTickCount() - at : ~0u; }
};
Closed g_menu, g_dialog;

void RunDeferred() {
  // A composition may still run from a loop inside it; its scope's end posts again.
  if (g_innermost) return;
  const std::vector<MSG> work = std::exchange(g_deferred, {});
  for (const MSG& m : work)
    if (IsWindow(m.hwnd)) SendMessageA(m.hwnd, m.message, m.wParam, m.lParam);
}

LRESULT CALLBACK RunnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRunDeferred) return DefWindowProcA(hwnd, msg, wp, lp);
  RunDeferred();
  return 0;
}

// A posted message reaches the runner only through a message loop, that is after the
// handler that composed has returned: the paint-only wait never takes it.
void PostRun() {
  if (!g_runner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RunnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kRunnerClass;
    RegisterClassExA(&wc);
    g_runner = CreateWindowExA(0, kRunnerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }
  if (g_runner) PostMessageA(g_runner, kRunDeferred, 0, 0);
}

}  // namespace

ComposingScope::ComposingScope() : outer_(std::exchange(g_innermost, this)) {}

ComposingScope::~ComposingScope() {
  // Back while still composing: what the move back announces waits like the rest.
  MoveBack();
  g_innermost = outer_;
  if (g_innermost) return;
  g_cut_short = false;
  if (!g_deferred.empty()) PostRun();
}

void ComposingScope::StepsAside(HWND hwnd, const RECT& place) { away_.push_back({hwnd, place, Away::Moved}); }

void ComposingScope::HidesFromCopies(HWND hwnd, bool cloaked) {
  away_.push_back({hwnd, {}, cloaked ? Away::Cloaked : Away::Excluded});
}

void ComposingScope::MoveBack() {
  for (const AwayWindow& w : std::exchange(away_, {})) {
    const RECT& r = w.place;
    if (w.how == Away::Moved)
      SetWindowPos(w.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    else if (w.how == Away::Cloaked)
      SetCloaked(w.hwnd, false);
    else
      SetExcludedFromCapture(w.hwnd, false);
  }
}

bool CutCompositionShort() {
  if (!g_innermost) return false;
  g_cut_short = true;
  for (ComposingScope* scope = g_innermost; scope; scope = scope->outer_) scope->MoveBack();
  return true;
}

bool CompositionCutShort() { return g_cut_short; }

void MenuClosed() { g_menu.Now(); }
void DialogClosed() { g_dialog.Now(); }
unsigned SinceMenuClosedMs() { return g_menu.Since(); }
unsigned SinceDialogClosedMs() { return g_dialog.Since(); }

bool DeferWhileComposing(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!g_innermost) return false;
  const bool queued = std::any_of(g_deferred.begin(), g_deferred.end(), [&](const MSG& m) {
    return m.hwnd == hwnd && m.message == msg && m.wParam == wp && m.lParam == lp;
  });
  if (!queued) g_deferred.push_back(MSG{hwnd, msg, wp, lp, 0, {}});
  return true;
}

}  // namespace tessara
