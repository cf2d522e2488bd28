#include "tessara/icons.h"

#include "settings/tiledata.h"

namespace tessara {

std::unique_ptr<TileIcon> IconMemo::Extract(IIconSource& icons, const std::string& file, int index) {
  auto [at, added] = icons_.try_emplace({file, index});
  if (added) at->second = icons.ExtractTileIcon(file, index);
  return at->second ? icons.ShareIcon(*at->second) : nullptr;
}

std::string IconMemo::FindAssociatedProgram(IIconSource& icons, const std::string& file) {
  auto [at, added] = programs_.try_emplace(file);
  if (added) at->second = icons.FindAssociatedProgram(file);
  return at->second;
}

void TileIcons::BuildAll() {
  IconMemo memo;
  for (int col = 1; col <= model_.Cols; ++col)
    for (int row = 1; row <= model_.Rows; ++row) Load(col, row, &memo);
  built_ = true;
}

bool TileIcons::SourceGone(const std::string& file) {
  // Without a folder of its own the name cannot be out of reach.
  const std::size_t slash = file.find_last_of("\\/");
  if (slash == std::string::npos) return true;
  return source_.DirectoryReachable(file.substr(0, slash + 1));
}

void TileIcons::Load(int col, int row, IconMemo* memo) {
  // A pass over the whole grid comes here for every cell: one never written has no icon to
  // drop or load, and its record stays unmade.
  TTileRecord* found = model_.Find(col, row);
  if (!found) return;
  TTileRecord& r = *found;
  r.Icon.reset();
  // An empty cell shows nothing and its other fields are never read: extracting (and
  // rewriting) them would only cost time.
  if (r.Empty()) return;
  IconMemo single;
  IconMemo& shared = memo ? *memo : single;
  const auto extract = [&](const std::string& file, int index) { return shared.Extract(source_, file, index); };
  std::unique_ptr<TileIcon> icon;
  if (r.LibIcon != 0) {
    icon = extract(LibraryPath(), r.LibIcon);
    if (!icon) icon = extract(shell_.ProgramPath(), 0);
  } else {
    // IconIndex 0 names no icon of the file: it goes down the fallbacks like a missing one.
    if (r.IconIndex >= 1) icon = extract(r.IconFile, r.IconIndex - 1);
    if (!icon) {
      std::string fallback = shared.FindAssociatedProgram(source_, r.IconFile);
      if (!fallback.empty()) icon = extract(fallback, 0);
      if (!icon) {
        fallback = LibraryPath();
        icon = extract(fallback, 0);
      }
      if (!icon) {
        fallback = shell_.ProgramPath();
        icon = extract(fallback, 0);
      }
      if (SourceGone(r.IconFile)) {
        r.IconFile = FitText(fallback, kIconFileCap);
        r.IconIndex = 1;
      } else if (icon) {
        // The file may only be away for now (a removable drive, a network share): the user's
        // choice stays, and the fallback is shown for this session only.
        icon->StandIn = true;
      }
    }
  }
  r.Icon = std::move(icon);
}

void TileIcons::TakeInCached(int number) {
  if (number < 1) return;
  for (int col = 1; col <= kGridMax; ++col) {
    for (int row = 1; row <= kGridMax; ++row) {
      TTileRecord* found = model_.Find(col, row);
      if (!found || found->Empty() || !found->Icon ||
          found->Icon->SavedAs != IconCacheFile(program_folder_, number, col, row))
        continue;
      TTileRecord& tile = *found;
      std::string bytes = tile.Icon->FileBytes();
      // A file that turned out unreadable is no icon to keep: extracted afresh instead.
      if (bytes.empty())
        Load(col, row);
      else
        tile.Icon = source_.IconFromFileBytes(std::move(bytes));
    }
  }
}

}  // namespace tessara
