// A tiny program the launch tests start: it appends one line, "its own path|its current
// folder|its command line", to the file named by TESSARA_PROBE_LOG, then ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("TESSARA_PROBE_LOG", log, MAX_PATH)) return 1;
  char self[MAX_PATH] = {};
  char folder[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string line = std::string(self) + "|" + folder + "|" + GetCommandLineA() + "\n";
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
