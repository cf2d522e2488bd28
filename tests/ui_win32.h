#pragma once
// Helpers of the Win32 tests that drive real windows: pumping this thread's messages while
// waiting, finding a window of this process, and a user who answers a modal dialog from a
// second thread while the command under test waits in the dialog's loop.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <algorithm>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "shell/error.h"
#include "testutil.h"

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

// A test on real windows: COM for the thread, a fresh folder (Folder(), in Windows spelling
// and ending in a backslash), and the messages and errors the program reports recorded.
class Win32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  Win32Test() {
    Starting = true;
    folder_path_ = folder_.Path();
    std::replace(folder_path_.begin(), folder_path_.end(), '/', '\\');
    auto record = [this](const std::string& t) { messages_.push_back(t); };
    old_message_ = SetMessageHandler(record);
    old_error_ = SetErrorHandler(record);
  }
  ~Win32Test() override {
    SetMessageHandler(old_message_);
    SetErrorHandler(old_error_);
    Starting = true;
  }
  const std::string& Folder() const { return folder_path_; }

  TempFolder folder_;
  std::vector<std::string> messages_;

 private:
  std::string folder_path_;
  MessageHandler old_message_, old_error_;
};

}  // namespace tessara::testing
