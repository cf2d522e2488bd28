#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/alTools.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"

namespace alTools {

std::string ProgramPath() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buf.size());
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), size);
    if (n == 0) return {};
    // A result that fills the buffer was cut short: grow and ask again.
    if (n < size) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const auto pos = path.rfind('\\');
  if (pos == std::string::npos) return {};
  return path.substr(0, pos + 1);
}

std::string StartupFolder() {
  // The known folder is where the shell looks at log-on, wherever the user moved it; the
  // "Shell Folders" key is only a copy kept for old programs and may be missing or stale.
  PWSTR wide = nullptr;
  std::string folder;
  if (SUCCEEDED(tessara::late::SHGetKnownFolderPath(FOLDERID_Startup, 0, nullptr, &wide))) folder = tessara::ToAnsiFileName(wide).Name;
  tessara::late::CoTaskMemFree(wide);
  return WithTrailingBackslash(folder);
}

bool StartupEntryDisabled(const std::string& linkName) {
  // Task Manager's Startup page keeps its switch for each entry of the Startup folder here,
  // under the shortcut's file name. Undocumented, but steady since Windows 8: the first byte
  // is even while it is on (2, 6), odd once the user turned it off (3, 7). No value: never
  // switched.
  BYTE state[64] = {};
  DWORD size = sizeof state;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder",
                   linkName.c_str(), RRF_RT_REG_BINARY, nullptr, state, &size) != ERROR_SUCCESS)
    return false;
  return size > 0 && (state[0] & 1) != 0;
}

}  // namespace alTools
