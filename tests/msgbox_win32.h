#pragma once
// Answers the message boxes of this process from a watcher thread, as a user would, and
// records what each one said. Shared by the Win32 tests that drive real windows.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tessara::testing {

class MessageBoxWatcher {
 public:
  // Every box is answered with `button` (IDOK, IDYES, IDNO, ...).
  explicit MessageBoxWatcher(int button = IDOK) : button_(button), thread_([this] { Watch(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // "caption|text" of every box answered so far.
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  std::vector<std::pair<HWND, bool>> OwnersAndTopmost() {
    std::lock_guard<std::mutex> lock(mutex_);
    return owners_;
  }
  // The text of the first box answered, or "" when none came.
  std::string Text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_.empty() ? std::string() : texts_.front().substr(texts_.front().find('|') + 1);
  }

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* self = reinterpret_cast<MessageBoxWatcher*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hwnd))
      return TRUE;
    // A box already answered may still be closing: it is not a new one.
    if (!self->answered_.insert(hwnd).second) return TRUE;
    char text[512] = {};
    GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text);
    char caption[256] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->texts_.push_back(std::string(caption) + "|" + text);
      self->owners_.emplace_back(GetWindow(hwnd, GW_OWNER), (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    }
    PostMessageA(hwnd, WM_COMMAND, self->button_, 0);
    return TRUE;
  }
  void Watch() {
    while (!stop_) {
      EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  }

  int button_;
  std::set<HWND> answered_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<std::pair<HWND, bool>> owners_;
  std::thread thread_;
};

}  // namespace tessara::testing
