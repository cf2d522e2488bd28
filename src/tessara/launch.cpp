#include "tessara/launch.h"

#include "settings/atomicfile.h"

namespace tessara {

std::string Quoted(const std::string& name) {
  // The C runtime reads backslashes literally unless they precede a quote: then each pair is
  // one backslash. So those before a quote, and those before the closing quote, are doubled;
  // "D:\" would otherwise reach the program as D:".
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : name) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, '\\');
  out.push_back('"');
  return out;
}

bool FileOrFolderExists(const std::string& name) { return FileExists(name) || DirectoryExists(name); }

std::string QuotedCommand(const std::string& filename,
                          const std::function<bool(const std::string&)>& exists) {
  if (filename.find(' ') == std::string::npos || filename.front() == '"') return filename;
  return exists(filename) ? Quoted(filename) : filename;
}

}  // namespace tessara
