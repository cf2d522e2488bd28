#include "app/startupprobe_win32.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

#include "base/phases.h"

namespace tessara {

namespace {

constexpr const char kSwitch[] = "/startup-probe";
constexpr const char kRedrawSwitch[] = "/probe-redraw";

unsigned long long Ticks(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

StartupProbe::StartupProbe(const char* commandLine) {
  if (!commandLine) return;
  const char* at = std::strstr(commandLine, kSwitch);
  if (!at) return;
  // The switch must stand alone: preceded by the start or a space.
  if (at != commandLine && at[-1] != ' ' && at[-1] != '\t') return;
  const char* rest = at + sizeof kSwitch - 1;
  if (*rest != '\0' && *rest != ' ' && *rest != '\t' && *rest != ':') return;
  requested_ = true;
  winmain_ms_ = MillisecondsSinceProcessStart();
  StartPhaseClock();
  redraw_ = std::strstr(commandLine, kRedrawSwitch) != nullptr;
  if (*rest == ':') {
    ++rest;
    const bool quoted = *rest == '"';
    if (quoted) ++rest;
    const char* end = rest;
    while (*end && (quoted ? *end != '"' : (*end != ' ' && *end != '\t'))) ++end;
    file_.assign(rest, end);
  }
}

double MillisecondsSinceProcessStart() {
  // The precise clock exists from Windows 8 on; the build targets Windows 7, so it is
  // looked up, with the coarser clock as the fallback.
  using PreciseClock = void(WINAPI*)(LPFILETIME);
  static const auto precise = reinterpret_cast<PreciseClock>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  if (precise)
    precise(&now);
  else
    GetSystemTimeAsFileTime(&now);
  return static_cast<double>(Ticks(now) - Ticks(created)) / 10000.0;
}

void PumpUntilPainted() {
  MSG msg;
  for (;;) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // left for the message loop
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // WM_PAINT is generated only when the queue is otherwise empty, so a paint still owed
    // shows up here after the loop above has drained everything else.
    if (!PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) break;
  }
  GdiFlush();
}

void StartupProbe::FinishIfRequested() const {
  if (!requested_) return;
  PumpUntilPainted();
  const double ms = MillisecondsSinceProcessStart();
  const std::string path = file_.empty() ? std::string("startup-ms.txt") : file_;
  if (FILE* out = std::fopen(path.c_str(), "w")) {
    std::fprintf(out, "%.3f\n", ms);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
      std::fprintf(out, "private memory KB=%llu\n", static_cast<unsigned long long>(memory.PagefileUsage / 1024));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
      std::fprintf(out, "processor time=%.3f\n", static_cast<double>(Ticks(kernel) + Ticks(user)) / 10000.0);
    std::fprintf(out, "reaching WinMain=%.3f\n", winmain_ms_);
    for (int p = 0; p < static_cast<int>(Phase::Count); ++p)
      std::fprintf(out, "%s=%.3f\n", PhaseName(static_cast<Phase>(p)), PhaseMilliseconds(static_cast<Phase>(p)));
    std::fclose(out);
  }
  // No save on the way out: the files the next measured start reads stay as they are.
  ExitProcess(0);
}

}  // namespace tessara
