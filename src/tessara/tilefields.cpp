#include "tessara/tilefields.h"

#include "shell/alTools.h"

namespace tessara {

namespace {
std::size_t AfterFolder(const std::string& fullName) {
  const std::size_t at = fullName.find_last_of("\\:");
  return at == std::string::npos ? 0 : at + 1;
}
}  // namespace

std::string FileNamePart(const std::string& fullName) { return fullName.substr(AfterFolder(fullName)); }

std::string FolderPart(const std::string& fullName) { return fullName.substr(0, AfterFolder(fullName)); }

std::string NamedDescription(const std::string& fullName) {
  std::string name = FitText(FileNamePart(fullName), kDescriptionCap);
  name = name.substr(0, name.find('.'));
  if (name.size() <= 1) return name;
  return FitText(alTools::UpperCaseFold(name.substr(0, 1)) + alTools::LowerCaseAscii(name.substr(1)),
                 kDescriptionCap);
}

bool SameFileName(const std::string& a, const std::string& b) {
  return alTools::UpperCaseFold(a) == alTools::UpperCaseFold(b);
}

void ApplyIconChoice(TTileRecord& tile, const std::string& iconFile, std::uint16_t k,
                     const std::string& libraryPath) {
  if (k == 0) return;
  if (!SameFileName(iconFile, libraryPath)) {
    tile.IconFile = FitText(iconFile, kIconFileCap);
    tile.IconIndex = k;
    tile.LibIcon = 0;
  } else {
    tile.IconFile.clear();
    tile.IconIndex = 0;
    tile.LibIcon = static_cast<std::uint8_t>((k - 1) % 256);
  }
}

}  // namespace tessara
