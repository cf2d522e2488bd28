#include "shell/modal_win32.h"

namespace tessara {

namespace {

int g_open = 0;

BOOL CALLBACK DisableWindow(HWND hwnd, LPARAM lp) {
  // Hidden windows take no input; a window disabled already belongs to an outer scope.
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

ModalScope::ModalScope() {
  ++g_open;
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled_));
}

ModalScope::~ModalScope() {
  for (HWND hwnd : disabled_)
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  --g_open;
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
