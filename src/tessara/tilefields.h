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

// What a shortcut file gives; texts it does not give stay empty. Every member has an
// initialiser, so a designated initialiser may name only the fields it sets.
struct ShortcutFields {
  std::string Target{}, WorkingFolder{}, Description{}, IconLocation{};
  int IconIndex = 0;  // as the shortcut stores it: a negative one is a resource id
  std::string Problem{};  // a text that cannot be kept: the message, and no tile is made
  std::string Arguments{};
  bool IdListOnly = false;  // names a shell item that is no file: an app, a control panel item
  bool Advertised = false;  // an installer's: its path is an icon, the program is found at start
};

// The tile a dropped shortcut makes. A shortcut that only the shell can start (one naming no
// file, an installer's, one with arguments) keeps the shortcut file as the tile's file, started
// through the shell; any other gives its target, as a dropped file would. The shortcut's working
// folder, comment and icon are taken where they fit the tile's fields.
TTileRecord TileFromShortcut(const std::string& linkFile, const ShortcutFields& link);

// Writes the dialog's choice (icon file and 1-based icon number k) into the tile: an icon of
// the library is kept as LibIcon with no IconFile. With no icon chosen (k = 0) the tile keeps
// its icon fields, since neither rule names an icon then.
void ApplyIconChoice(TTileRecord& tile, const std::string& iconFile, std::uint16_t k,
                     const std::string& libraryPath);

}  // namespace tessara
