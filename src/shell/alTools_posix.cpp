// Native counterparts of the folder helpers, so the portable core links and runs in tests.
#include <unistd.h>

#include <string>

#include "shell/alTools.h"

namespace alTools {

std::string ProgramPath() {
  std::string buf(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    // A result that fills the buffer may have been cut short: grow and ask again.
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const auto pos = path.rfind('/');
  if (pos == std::string::npos) return {};
  return path.substr(0, pos + 1);
}

// There is no logon folder to start programs from natively.
std::string StartupFolder() { return {}; }
bool StartupEntryDisabled(const std::string&) { return false; }

}  // namespace alTools
