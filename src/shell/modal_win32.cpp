#include "shell/modal_win32.h"

#include "shell/composing_win32.h"

namespace tessara {

namespace {

int g_open = 0;

struct Disabling {
  HWND owner;
  std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableWindow(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<Disabling*>(lp);
  // Hidden windows take no input; a window disabled already belongs to an outer scope.
  if (hwnd != d->owner && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    d->disabled->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

ModalScope::ModalScope(HWND owner) {
  ++g_open;
  // A dialog box's owner is always a top-level window: a child given is replaced by its root.
  Disabling d{owner ? GetAncestor(owner, GA_ROOT) : nullptr, &disabled_};
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&d));
}

ModalScope::~ModalScope() {
  for (HWND hwnd : disabled_)
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  --g_open;
  DialogClosed();
}

bool ModalScope::Open() { return g_open > 0; }

void ModalScope::BringToFront() {
  // Everything else of the program is disabled: the dialog on top is the first window of this
  // thread in the Z order that is shown, enabled and has a caption.
  for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
    if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId() || !IsWindowVisible(hwnd) ||
        !IsWindowEnabled(hwnd) || (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
      continue;
    SetForegroundWindow(hwnd);
    return;
  }
}

}  // namespace tessara
