#include "base/tile.h"

#include "base/codepage.h"

namespace tessara {

std::string FitText(const std::string& text, std::size_t capacity) {
  return text.substr(0, FieldCut(text, capacity, ProgramCodePage()));
}

void TTileRecord::AssignFields(const TTileRecord& other) {
  Filename = FitText(other.Filename, kFilenameCap);
  Description = FitText(other.Description, kDescriptionCap);
  StartIn = FitText(other.StartIn, kStartInCap);
  IconFile = FitText(other.IconFile, kIconFileCap);
  IconIndex = other.IconIndex;
  LibIcon = other.LibIcon;
  Drive = other.Drive;
}

void TTileRecord::Clear() {
  Filename.clear();
  Description.clear();
  StartIn.clear();
  IconFile.clear();
  IconIndex = 0;
  Icon.reset();
  LibIcon = 0;
  Drive = 0;
}

const TTileRecord& TileGrid::EmptyTile() {
  static const TTileRecord empty;
  return empty;
}

}  // namespace tessara
