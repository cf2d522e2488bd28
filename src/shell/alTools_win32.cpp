#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/alTools.h"

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

namespace {

// The "Startup" value of the user's Shell Folders key; empty when the key or value is missing
// or is not plain text.
std::string RegistryStartupFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  std::string text;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExA(key, "Startup", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      type == REG_SZ && bytes > 0) {
    std::string buf(bytes, '\0');
    if (RegQueryValueExA(key, "Startup", nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                         &bytes) == ERROR_SUCCESS &&
        type == REG_SZ) {
      buf.resize(bytes);
      // Stored text may or may not carry its terminator; keep only what precedes the first.
      const auto end = buf.find('\0');
      if (end != std::string::npos) buf.resize(end);
      text = buf;
    }
  }
  RegCloseKey(key);
  return text;
}

}  // namespace

std::string StartupFolder() {
  std::string folder = RegistryStartupFolder();
  // A fresh profile may not have the value until the shell first writes it; the shell itself
  // still knows the folder, and a shortcut made in the current folder would start nothing.
  if (folder.empty()) {
    char buf[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, buf))) folder = buf;
  }
  return WithTrailingBackslash(folder);
}

}  // namespace alTools
