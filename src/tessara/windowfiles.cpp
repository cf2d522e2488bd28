#include "tessara/windowfiles.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "base/globals.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/error.h"

namespace tessara {

namespace {

bool IconFileIntact(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) && IsValidIconFile(bytes);
}

// The owners whose last change-save failed. A read-only folder or a full disk would otherwise
// raise a message box at every tile moved, and one window's success must not let another's
// lasting failure (an unwritable count) speak again at every change.
std::vector<const void*> g_failing;

}  // namespace

// Keys after "Effect" and "BMPFilename" (and "LetterShadow") came later; a file without them
// means no floating hint, the default drive letter font and layer caches that may be used.
TRegVal::Lines TessaraBooleanKeys() {
  return {"LetterShadow=0", "FloatHint=0", "LetterFontItalic=0", std::string(kLayersStaleKey) + "=0",
          std::string(kDpiAwareKey) + "=0"};
}
TRegVal::Lines TessaraIntegerKeys() {
  return {"Left=0",       "Top=0",           "Cols=2",        "Rows=3",
          "TileWidth=36", "TileHeight=36",   "CellSpacing=0", "Color=$707070",
          "Border=2",     "BorderSpacing=0", "BorderType=2",  "BackType=0",
          "Opacity=50",   "Effect=0",        "HintColor=10813439", "HintTextColor=0",
          "LetterFontHeight=-11", "LetterFontWeight=400", std::string(kLayersDpiKey) + "=96"};
}
TRegVal::Lines TessaraStringKeys() { return {"BMPFilename=", "LetterFontName="}; }

bool RunChangeSave(const void* owner, const std::function<void()>& save) {
  try {
    save();
  } catch (const std::exception& e) {
    if (std::find(g_failing.begin(), g_failing.end(), owner) != g_failing.end()) return false;
    if (g_failing.empty()) ShowError(e.what());
    g_failing.push_back(owner);
    return false;
  }
  ForgetChangeSaves(owner);
  return true;
}

void ForgetChangeSaves(const void* owner) { std::erase(g_failing, owner); }

WindowFiles::WindowFiles(TessaraModel& model, IIconSource& icons, const std::string& programFolder,
                         ExtractIcon extractIcon)
    : model_(model), icons_(icons), extract_icon_(std::move(extractIcon)), folder_(programFolder) {
  ini_.UseStartUpDir = false;
  ini_.IniFileName = programFolder + "tswin.ini";
  ini_.Set_Booleans(TessaraBooleanKeys());
  ini_.Set_Integers(TessaraIntegerKeys());
  ini_.Set_Strings(TessaraStringKeys());
}

WindowFiles::~WindowFiles() { ForgetChangeSaves(this); }

void WindowFiles::SetNumber(int number) {
  number_ = number;
  ini_.IniSection = std::to_string(number);
}

void WindowFiles::ReadSettings() {
  TessaraModel& m = model_;
  ini_.ReadSettings();
  m.Left = ini_.IntegerValue("Left");
  m.Top = ini_.IntegerValue("Top");
  m.Cols = ini_.IntegerValue("Cols");
  m.Rows = ini_.IntegerValue("Rows");
  m.TileWidth = ini_.IntegerValue("TileWidth");
  m.TileHeight = ini_.IntegerValue("TileHeight");
  m.Border = ini_.IntegerValue("Border");
  m.BorderSpacing = ini_.IntegerValue("BorderSpacing");
  m.Color = ini_.IntegerValue("Color");
  m.CellSpacing = ini_.IntegerValue("CellSpacing");
  m.BorderType = ini_.IntegerValue("BorderType");
  m.BackType = ini_.IntegerValue("BackType");
  m.Opacity = ini_.IntegerValue("Opacity");
  m.Effect = ini_.IntegerValue("Effect");
  m.BMPFilename = ini_.StringValue("BMPFilename");
  m.LetterShadow = ini_.BooleanValue("LetterShadow");
  m.FloatHint = ini_.BooleanValue("FloatHint");
  m.HintColor = ini_.IntegerValue("HintColor") & 0xFFFFFF;
  m.HintTextColor = ini_.IntegerValue("HintTextColor") & 0xFFFFFF;
  m.LetterFont.Face = ini_.StringValue("LetterFontName");
  m.LetterFont.Height = ini_.IntegerValue("LetterFontHeight");
  m.LetterFont.Weight = ini_.IntegerValue("LetterFontWeight");
  m.LetterFont.Italic = ini_.BooleanValue("LetterFontItalic");
}

void WindowFiles::SetDefaults() {
  TessaraModel& m = model_;
  m.Cols = 2;
  m.Rows = 3;
  m.TileWidth = 36;
  m.TileHeight = 36;
  m.CellSpacing = 0;
  m.BorderSpacing = 0;
  m.Border = 2;
  m.Color = 0x707070;
  m.BorderType = 3;
  m.BackType = 2;
  m.Opacity = 50;
  m.Effect = 0;
  m.BMPFilename.clear();
  fresh_ = true;
}

void WindowFiles::LoadTiles() {
  model_.ClearTiles();
  tiles_unread_at_ = 0;
  const std::string file = TileDataFile(folder_, number_);
  std::string bytes;
  switch (ReadFileUpTo(file, kMaxTileFileSize, bytes)) {
    case FileRead::Missing:
      return;
    case FileRead::TooLarge:
    case FileRead::Failed:
      // An empty window saved over it would lose every tile in it.
      ReportUnreadTiles(file);
      return;
    case FileRead::Ok:
      break;
  }
  std::string names;
  if (!ReadTileNames(folder_, number_, names)) {
    ReportUnreadTiles(TileNamesFile(folder_, number_));
    return;
  }
  const std::vector<DecodedTile> records = DecodeTileData(bytes, names);
  if (records.size() * kTileRecordSize != bytes.size()) {
    // Not all of it could be read: the next save would keep only what could, so the file as
    // it is goes aside first, where no save writes.
    const std::string aside = file + ".bad";
    if (!WriteFileAtomic(aside, bytes)) {
      ReportUnreadTiles(file);
      return;
    }
    ShowError("The tile file " + file + " is damaged: only the tiles that could be read are shown. The file as it was is kept as " +
              aside + ".");
  }
  // Records apply in file order, so a later one for the same cell replaces an earlier one;
  // icons are then looked up once per cell.
  for (const DecodedTile& record : records) model_.Tile(record.Col, record.Row).AssignFields(record.Tile);
  for (const DecodedTile& record : records) {
    TTileRecord& tile = model_.Tile(record.Col, record.Row);
    if (tile.Empty() || tile.Icon) continue;
    // A start from intact caches touches no icon file: the cached layers already show the
    // icons and a composition extracts them afresh. The file is read when the icon is first
    // needed; one that is missing or unreadable then counts as missing and is extracted.
    const std::string path = IconCacheFile(folder_, number_, record.Col, record.Row);
    tile.Icon = icons_.IconFromCacheFile(path);
    if (tile.Icon) tile.Icon->SavedAs = path;
  }
}

void WindowFiles::ReportUnreadTiles(const std::string& file) {
  tiles_unread_at_ = number_;
  ShowError("The tiles of this tessara cannot be read from " + file +
            ". The file is left as it is; tiles changed in this tessara are not saved until it can be read at a later start.");
}

void AttemptSave(std::vector<std::string>& failed, const std::function<void()>& save) {
  try {
    save();
  } catch (const Error& e) {
    failed.emplace_back(e.what());
  }
}

void WindowFiles::Save(bool layersSaved, std::vector<std::string>& failed) {
  AttemptSave(failed, [this] { SaveTiles(); });
  StoreSettings();
  // Written last: until the layers and tiles are whole on disk, the mark of an earlier
  // change-save stays. Layers not written now (none composed, stand-ins) stay marked.
  ini_.StoreBoolean(kLayersStaleKey, !layersSaved);
  if (layersSaved) ini_.StoreInteger(kLayersDpiKey, model_.Dpi);
  AttemptSave(failed, [this] { ini_.WriteSettings(); });
}

void WindowFiles::MarkLayersStaleOnDisk() {
  // Read from the file, not from memory: a failed change-save leaves the mark set here only.
  TRegVal onDisk = ini_;
  onDisk.ReadSettings();
  if (onDisk.BooleanValue(kLayersStaleKey)) return;
  onDisk.StoreBoolean(kLayersStaleKey, true);
  onDisk.WriteSettings();
}

void WindowFiles::StoreSettings() {
  TessaraModel& m = model_;
  ini_.StoreBoolean(kDpiAwareKey, true);
  ini_.StoreInteger("Left", m.Left);
  ini_.StoreInteger("Top", m.Top);
  ini_.StoreInteger("Cols", m.Cols);
  ini_.StoreInteger("Rows", m.Rows);
  ini_.StoreInteger("TileWidth", m.TileWidth);
  ini_.StoreInteger("TileHeight", m.TileHeight);
  ini_.StoreInteger("Border", m.UpdateBorder());
  ini_.StoreInteger("BorderSpacing", m.BorderSpacing);
  ini_.StoreInteger("Color", m.Color);
  ini_.StoreInteger("CellSpacing", m.CellSpacing);
  ini_.StoreInteger("BorderType", m.BorderType);
  ini_.StoreInteger("BackType", m.BackType);
  ini_.StoreInteger("Opacity", m.Opacity);
  ini_.StoreInteger("Effect", m.Effect);
  ini_.StoreString("BMPFilename", m.BMPFilename);
  ini_.StoreBoolean("LetterShadow", m.LetterShadow);
  ini_.StoreBoolean("FloatHint", m.FloatHint);
  ini_.StoreInteger("HintColor", m.HintColor);
  ini_.StoreInteger("HintTextColor", m.HintTextColor);
  ini_.StoreString("LetterFontName", m.LetterFont.Face);
  ini_.StoreInteger("LetterFontHeight", m.LetterFont.Height);
  ini_.StoreInteger("LetterFontWeight", m.LetterFont.Weight);
  ini_.StoreBoolean("LetterFontItalic", m.LetterFont.Italic);
}

void WindowFiles::SaveTiles() {
  if (tiles_unread_at_ != 0) {
    if (tiles_unread_at_ == number_) return;
    // Renumbered: the file goes to the new number unread, so that neither the deleted
    // window's tiles come back there nor a later window of the old number writes over it.
    const std::string from = TileDataFile(folder_, tiles_unread_at_);
    const std::string to = TileDataFile(folder_, number_);
    if (FileExists(from)) {
      if (!MoveFileReplacing(from, to)) throw Error("Cannot create file " + to);
      const std::string names = TileNamesFile(folder_, tiles_unread_at_);
      if (FileExists(names) && !MoveFileReplacing(names, TileNamesFile(folder_, number_)))
        throw Error("Cannot create file " + TileNamesFile(folder_, number_));
      tiles_unread_at_ = number_;
      return;
    }
    tiles_unread_at_ = 0;  // the file is gone: nothing is left to keep
  }
  // The icon work comes first: a fallback found now changes the record, and the tile file
  // must hold the record as it is after it.
  std::vector<bool> write(static_cast<std::size_t>(kGridMax) * kGridMax);
  for (int col = 1; col <= kGridMax; ++col) {
    for (int row = 1; row <= kGridMax; ++row) {
      TTileRecord* found = model_.Find(col, row);
      if (!found || found->Empty() || !found->Icon || found->Icon->StandIn) continue;
      TTileRecord& tile = *found;
      const std::string path = IconCacheFile(folder_, number_, col, row);
      // Rewriting an unchanged icon would only cost a flushed write per tile at every save;
      // a file that is no longer a valid icon is repaired.
      if (tile.Icon->SavedAs == path &&
          (tile.Icon->SavedChecked || (tile.Icon->SavedChecked = IconFileIntact(path))))
        continue;
      // An icon whose bytes cannot be had (its cache file gone or corrupt) is extracted again.
      if (!tile.Icon->Usable()) extract_icon_(col, row);
      write[TileGrid::TileIndex(col, row)] = tile.Icon && !tile.Icon->StandIn;
    }
  }
  // A tile file that cannot be written is an error like any other: skipping it in silence
  // would throw away every tile change while the user believes it saved.
  SaveTileFiles(folder_, number_, model_);
  for (int col = 1; col <= kGridMax; ++col) {
    for (int row = 1; row <= kGridMax; ++row) {
      if (!write[TileGrid::TileIndex(col, row)]) continue;
      TileIcon& icon = *model_.Tile(col, row).Icon;
      const std::string bytes = icon.FileBytes();
      if (bytes.empty()) continue;
      const std::string path = IconCacheFile(folder_, number_, col, row);
      // An icon extracted again is often the one already on disk (a composition rebuilds
      // every icon): a flushed write per tile is saved where the bytes are the same.
      std::string old;
      if (!ReadWholeFile(path, old) || old != bytes) SaveFileOrThrow(path, bytes);
      icon.SavedAs = path;
      icon.SavedChecked = true;
    }
  }
}

bool WindowFiles::SaveChange() {
  // A deleted window's number may belong to another window by now.
  if (Starting || !save_on_exit_) return false;
  return RunChangeSave(this, [this] {
    // The section goes first and marks the layer caches stale: a kill after it, with the
    // tile file not yet replaced, still starts from a composition of the files on disk,
    // which also extracts every icon afresh, so an icon file not yet written never shows.
    StoreSettings();
    ini_.StoreBoolean(kLayersStaleKey, true);
    ini_.WriteSettings();
    SaveTiles();
  });
}

}  // namespace tessara
