#pragma once
// Tile fields made from file names, and the icon choice of the tile dialog written into a tile.
#include <cstdint>
#include <string>

#include "base/tile.h"

namespace tessara {

// Everything after the last backslash or colon.
std::string FileNamePart(const std::string& fullName);
// Everything up to and including the last backslash or colon; empty when there is none.
std::string FolderPart(const std::string& fullName);
// The description a dropped file gets: its name part cut to 40, up to its first ".", and,
// when longer than one character, capitalised.
std::string NamedDescription(const std::string& fullName);
// File names compare case-insensitively, both sides folded to upper case.
bool SameFileName(const std::string& a, const std::string& b);

// Writes the dialog's choice (icon file and 1-based icon number k) into the tile: an icon of
// the library is kept as LibIcon with no IconFile. With no icon chosen (k = 0) the tile keeps
// its icon fields, since neither rule names an icon then.
void ApplyIconChoice(TTileRecord& tile, const std::string& iconFile, std::uint16_t k,
                     const std::string& libraryPath);

}  // namespace tessara
