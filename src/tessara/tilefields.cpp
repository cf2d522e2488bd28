#include "tessara/tilefields.h"

#include "base/codepage.h"
#include "shell/alTools.h"

namespace tessara {

namespace {
std::size_t AfterFolder(const std::string& fullName) {
  const std::size_t at = fullName.find_last_of("\\:");
  return at == std::string::npos ? 0 : at + 1;
}

// The bytes of the character that `text` (not empty) starts with.
std::size_t FirstCharacterSize(const std::string& text, const CodePageRule& rule) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t size = 1;
  if (!rule.Utf8) {
    size = rule.Lead[lead] ? 2 : 1;
  } else if (lead >= 0xC0 && lead <= 0xF7) {
    size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  }
  return size < text.size() ? size : text.size();
}

// The capital of a letter whose UTF-8 form takes two bytes, as its capital's does: Latin-1,
// Greek and Cyrillic small letters; 0 for any other character.
unsigned CapitalOfTwoByteLetter(unsigned code) {
  if ((code >= 0xE0 && code <= 0xFE && code != 0xF7) || (code >= 0x3B1 && code <= 0x3CB && code != 0x3C2) ||
      (code >= 0x430 && code <= 0x44F))
    return code - 0x20;
  if (code == 0x3C2) return 0x3A3;  // final sigma
  if (code >= 0x450 && code <= 0x45F) return code - 0x50;
  // Greek small letters with tonos.
  switch (code) {
    case 0x3AC: return 0x386;
    case 0x3AD: return 0x388;
    case 0x3AE: return 0x389;
    case 0x3AF: return 0x38A;
    case 0x3CC: return 0x38C;
    case 0x3CD: return 0x38E;
    case 0x3CE: return 0x38F;
    default: return 0;
  }
}

// One character in capitals where its capital takes as many bytes; any other unchanged.
// In UTF-8 a lead byte is never mapped on its own: that would break the sequence.
std::string Capital(const std::string& character, const CodePageRule& rule) {
  if (character.size() == 1) {
    const auto c = static_cast<unsigned char>(character[0]);
    if (c < 0x80 || !rule.Utf8) return std::string(1, static_cast<char>(alTools::UpperCaseFoldByte(c)));
    return character;
  }
  if (!rule.Utf8 || character.size() != 2) return character;
  const auto lead = static_cast<unsigned char>(character[0]), trail = static_cast<unsigned char>(character[1]);
  if ((trail & 0xC0) != 0x80) return character;
  const unsigned capital = CapitalOfTwoByteLetter(((lead & 0x1Fu) << 6) | (trail & 0x3Fu));
  if (capital == 0) return character;
  return {static_cast<char>(0xC0 | (capital >> 6)), static_cast<char>(0x80 | (capital & 0x3F))};
}
}  // namespace

std::string FileNamePart(const std::string& fullName) { return fullName.substr(AfterFolder(fullName)); }

std::string FolderPart(const std::string& fullName) { return fullName.substr(0, AfterFolder(fullName)); }

std::string NamedDescription(const std::string& fullName) {
  std::string name = FitText(FileNamePart(fullName), kDescriptionCap);
  name = name.substr(0, name.find('.'));
  if (name.empty()) return name;
  const CodePageRule& rule = ProgramCodePage();
  const std::size_t first = FirstCharacterSize(name, rule);
  if (first == name.size()) return name;
  return Capital(name.substr(0, first), rule) + alTools::LowerCaseAscii(name.substr(first));
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
