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

namespace {

// Where the program of an unquoted "program arguments" text ends: at the last blank before
// which an existing file is named, else at the first blank (npos: no blank).
std::size_t ProgramEnd(const std::string& text, const std::function<bool(const std::string&)>& exists) {
  const std::size_t first = text.find(' ');
  for (std::size_t blank = text.rfind(' '); blank != std::string::npos && blank > first;
       blank = text.rfind(' ', blank - 1))
    if (exists(text.substr(0, blank))) return blank;
  return first;
}

}  // namespace

LaunchRequest TileLaunch(const std::string& filename, const std::string& startIn, const std::string& dropped,
                         const std::function<bool(const std::string&)>& exists) {
  LaunchRequest request{filename, "", startIn};
  if (!filename.empty() && !exists(filename)) {
    std::size_t end = 0;
    if (filename.front() == '"') {
      const std::size_t close = filename.find('"', 1);  // an unclosed quote runs to the end
      request.File = filename.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      end = close == std::string::npos ? filename.size() : close + 1;
    } else {
      end = ProgramEnd(filename, exists);
      request.File = filename.substr(0, end);
    }
    const std::size_t rest = filename.find_first_not_of(' ', end);
    if (rest != std::string::npos) request.Parameters = filename.substr(rest);
  }
  if (!dropped.empty()) request.Parameters += (request.Parameters.empty() ? "" : " ") + Quoted(dropped);
  return request;
}

}  // namespace tessara
