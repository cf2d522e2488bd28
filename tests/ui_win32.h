#pragma once
// Helpers of the Win32 tests that drive real windows: pumping this thread's messages while
// waiting, finding a window of this process, and a user who answers a modal dialog from a
// second thread while the command under test waits in the dialog's loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessara::testing {

// Dispatches this thread's messages for `ms` milliseconds (a quit request is dropped).
inline void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

// Waits until `done` holds or the time is up, pumping messages or (on a second thread) not.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000, bool pump = true) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    if (pump) Pump(20); else Sleep(20);
  }
  return true;
}

inline std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The visible top-level window of this process of class `cls` and caption `caption`,
// waited for up to `ms` without pumping; nullptr when none came.
inline HWND WaitForWindow(const char* cls, const char* caption, DWORD ms = 10000) {
  struct Search {
    const char *cls, *caption;
    HWND found;
  } s{cls, caption, nullptr};
  PumpUntil([&] {
    EnumWindows([](HWND h, LPARAM lp) -> BOOL {
      auto* s = reinterpret_cast<Search*>(lp);
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      char c[64] = {};
      GetClassNameA(h, c, sizeof c);
      if (pid != GetCurrentProcessId() || !IsWindowVisible(h) || lstrcmpA(c, s->cls) != 0 ||
          TextOf(h) != s->caption)
        return TRUE;
      s->found = h;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&s));
    return s.found != nullptr;
  }, ms, false);
  return s.found;
}

// Plays the user on a second thread. Its checks are reported on the test's thread by
// Finish; every dialog box of this process still open when the script ends is cancelled,
// so a failing check never leaves the command waiting.
class DialogUser {
 public:
  explicit DialogUser(std::function<void(DialogUser&)> script)
      : thread_([this, script] {
          script(*this);
          while (!done_) {
            EnumWindows([](HWND h, LPARAM) -> BOOL {
              DWORD pid = 0;
              GetWindowThreadProcessId(h, &pid);
              char c[32] = {};
              GetClassNameA(h, c, sizeof c);
              if (pid == GetCurrentProcessId() && IsWindowVisible(h) && lstrcmpA(c, "#32770") == 0)
                PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
              return TRUE;
            }, 0);
            Sleep(50);
          }
        }) {}
  ~DialogUser() { Finish(); }
  // Called once the command has returned.
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    for (const std::string& f : failures_) ADD_FAILURE() << f;
    failures_.clear();
  }
  bool Check(bool ok, const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ok) failures_.push_back(what);
    return ok;
  }
  // Clicks the child button with this caption.
  void Click(HWND dialog, const char* caption) {
    HWND button = FindWindowExA(dialog, nullptr, "Button", caption);
    if (Check(button != nullptr, std::string("no button ") + caption)) PostMessageA(button, BM_CLICK, 0, 0);
  }

 private:
  std::atomic<bool> done_{false};
  std::mutex mutex_;
  std::vector<std::string> failures_;
  std::thread thread_;
};

}  // namespace tessara::testing
