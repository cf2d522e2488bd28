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

TTileRecord TileFromShortcut(const std::string& linkFile, const ShortcutFields& link) {
  // A target cut to its field would name another file: the shortcut still names it whole.
  const bool shellOnly = link.IdListOnly || link.Advertised || link.Target.empty() ||
                         link.Target.size() > kFilenameCap || !link.Arguments.empty();
  TTileRecord tile;
  tile.Filename = shellOnly ? linkFile : link.Target;
  tile.StartIn = link.WorkingFolder.empty() ? FolderPart(tile.Filename) : link.WorkingFolder;
  tile.Description = link.Description.empty() ? NamedDescription(tile.Filename) : link.Description;
  // The icon number counts from 1 in 16 unsigned bits. An icon named by resource id (a negative
  // index), beyond that count, or in a name cut to its field is left for the shell to find
  // through the shortcut.
  if (!link.IconLocation.empty() && link.IconIndex >= 0 && link.IconIndex < 0xFFFF &&
      link.IconLocation.size() <= kIconFileCap) {
    tile.IconFile = link.IconLocation;
    tile.IconIndex = static_cast<std::uint16_t>(link.IconIndex + 1);
  } else {
    tile.IconFile = link.IconLocation.empty() ? tile.Filename : linkFile;
    tile.IconIndex = 1;
  }
  return tile;
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
