#include "tessara/launch.h"

namespace tessara {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string QuotedCommand(const std::string& filename,
                          const std::function<bool(const std::string&)>& fileExists) {
  if (filename.find(' ') == std::string::npos || filename.front() == '"') return filename;
  return fileExists(filename) ? Quoted(filename) : filename;
}

}  // namespace tessara
