#pragma once
// Tile icons: each tile's icon extracted from its file, with the fallbacks a missing one goes
// down (its program, the icon library, this program), and whether the whole grid's icons are
// built. Finding a fallback rewrites the tile's icon fields, so it holds the model writable.
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

// The icons one pass over a window's tiles has extracted, by file and position: tiles
// showing the same icon (the library's, one program's) share one extraction and one icon.
// It lives for one pass only, so a file changed later is read again.
class IconMemo {
 public:
  std::unique_ptr<TileIcon> Extract(IIconSource& icons, const std::string& file, int index);
  std::string FindAssociatedProgram(IIconSource& icons, const std::string& file);

 private:
  std::map<std::pair<std::string, int>, std::unique_ptr<TileIcon>> icons_;  // null: none there
  std::map<std::string, std::string> programs_;
};

class TileIcons {
 public:
  // programFolder names where the icon library and the icon cache files lie.
  TileIcons(TessaraModel& model, IIconSource& source, IShell& shell, std::string programFolder)
      : model_(model), source_(source), shell_(shell), program_folder_(std::move(programFolder)) {}
  TileIcons(const TileIcons&) = delete;
  TileIcons& operator=(const TileIcons&) = delete;

  std::string LibraryPath() const { return program_folder_ + "TESSARA.DLL"; }

  // Every tile of the grid in use holds the icon to draw.
  bool Built() const { return built_; }
  // Icons must come again from their files (a new window, another scale).
  void Forget() { built_ = false; }
  // Whoever loaded every tile of the grid says so; the next composition extracts none.
  void MarkBuilt() { built_ = true; }
  // One pass over the grid in use, sharing the extractions of icons that several tiles show.
  void BuildAll();
  // The icon of one cell; `memo`, when given, shares the extractions of one pass.
  void Load(int col, int row, IconMemo* memo = nullptr);
  // Icons still read lazily from the cache files of window `number` are taken into memory,
  // before another window may take that number and write over them.
  void TakeInCached(int number);

 private:
  // After a failed extraction: true when the icon file is really gone or holds no such icon
  // (its folder can be reached), false when it may only be out of reach for now.
  bool SourceGone(const std::string& file);

  TessaraModel& model_;
  IIconSource& source_;
  IShell& shell_;
  std::string program_folder_;
  bool built_ = false;
};

}  // namespace tessara
