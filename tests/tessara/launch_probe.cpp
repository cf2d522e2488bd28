// A tiny program the launch tests start: it appends one line, "its own path|its current
// folder|its command line", to the file named by TESSARA_PROBE_LOG, then ends. The texts are
// read in UTF-16 and written in UTF-8, so a name of any script arrives whole.
#include <windows.h>

#include <string>

namespace {
std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 1 ? size : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t log[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"TESSARA_PROBE_LOG", log, MAX_PATH)) return 1;
  wchar_t self[MAX_PATH] = {};
  wchar_t folder[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, folder);
  const std::string line = Utf8(self) + "|" + Utf8(folder) + "|" + Utf8(GetCommandLineW()) + "\n";
  HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
