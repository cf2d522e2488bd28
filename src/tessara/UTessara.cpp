// TfrmTessara: creation, loading, defaults, showing and destruction.
#include "tessara/UTessara.h"

#include <functional>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/phases.h"
#include "base/rng.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/error.h"

namespace tessara {

namespace {

bool IconFileIntact(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) && IsValidIconFile(bytes);
}

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

TfrmTessara::TfrmTessara(ITessaraHost* host, std::unique_ptr<ITessaraView> view,
                         const std::string& programFolder)
    : host_(host), view_(std::move(view)), program_folder_(programFolder) {
  ini.UseStartUpDir = false;
  ini.IniFileName = programFolder + "tswin.ini";
  ini.Set_Booleans(TessaraBooleanKeys());
  ini.Set_Integers(TessaraIntegerKeys());
  ini.Set_Strings(TessaraStringKeys());
  view_->Attach(this);
}

TfrmTessara::~TfrmTessara() {
  // The view goes first: it must not route messages to a half-destroyed form.
  view_.reset();
  ForgetChangeSaves(this);
}

void TfrmTessara::FormCreate() {
  ClearTiles();
  SaveOnExit = true;
  composer_.Forget();
  Lit.Reset();
  pointer_.Reset();
  icons_.Forget();
  view_->AcceptDrops();
}

void TfrmTessara::SetNumber(int number) {
  // Layers and icons still in the files of the old number are taken in before the number
  // changes: the window that takes that number next may write over them.
  composer_.Renumber(number);
  if (number != Tag) icons_.TakeInCached(Tag);
  Tag = number;
  ini.IniSection = std::to_string(number);
}

void TfrmTessara::ApplySize() {
  const int width = CalcWidth();
  const int height = CalcHeight();
  view_->SetBounds(view_->Left(), view_->Top(), width, height);
}

void TfrmTessara::LoadTessara(int number) {
  SetNumber(number);
  ini.ReadSettings();
  Left = ini.IntegerValue("Left");
  Top = ini.IntegerValue("Top");
  Cols = ini.IntegerValue("Cols");
  Rows = ini.IntegerValue("Rows");
  TileWidth = ini.IntegerValue("TileWidth");
  TileHeight = ini.IntegerValue("TileHeight");
  Border = ini.IntegerValue("Border");
  BorderSpacing = ini.IntegerValue("BorderSpacing");
  Color = ini.IntegerValue("Color");
  CellSpacing = ini.IntegerValue("CellSpacing");
  BorderType = ini.IntegerValue("BorderType");
  BackType = ini.IntegerValue("BackType");
  Opacity = ini.IntegerValue("Opacity");
  Effect = ini.IntegerValue("Effect");
  BMPFilename = ini.StringValue("BMPFilename");
  LetterShadow = ini.BooleanValue("LetterShadow");
  ReadPropertyKeys();
  // A hand-edited file may hold anything; the grid must stay inside the tile array.
  ConvertUnawarePosition();
  ClampToModel();
  // The monitor that holds most of the window at its stored size gives its scale: a corner
  // alone may lie on a neighbour of another scale.
  Dpi = kBaseDpi;
  UseDpi(view_->DpiOf(WorkRect{Left, Top, Left + CalcWidth(), Top + CalcHeight()}));
  view_->SetColor(Color);
  view_->SetBounds(Left, Top, CalcWidth(), CalcHeight());
  LoadTiles();
}

void TfrmTessara::LoadTiles() {
  ClearTiles();
  tiles_unread_at_ = 0;
  const std::string file = TileDataFile(program_folder_, Tag);
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
  if (!ReadTileNames(program_folder_, Tag, names)) {
    ReportUnreadTiles(TileNamesFile(program_folder_, Tag));
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
  for (const DecodedTile& record : records) Tile(record.Col, record.Row).AssignFields(record.Tile);
  for (const DecodedTile& record : records) {
    TTileRecord& tile = Tile(record.Col, record.Row);
    if (tile.Empty() || tile.Icon) continue;
    // A start from intact caches touches no icon file: the cached layers already show the
    // icons and a composition extracts them afresh. The file is read when the icon is first
    // needed; one that is missing or unreadable then counts as missing and is extracted.
    const std::string path = IconCacheFile(program_folder_, Tag, record.Col, record.Row);
    tile.Icon = view_->IconFromCacheFile(path);
    if (tile.Icon) tile.Icon->SavedAs = path;
  }
}

void TfrmTessara::ReportUnreadTiles(const std::string& file) {
  tiles_unread_at_ = Tag;
  ShowError("The tiles of this tessara cannot be read from " + file +
            ". The file is left as it is; tiles changed in this tessara are not saved until it can be read at a later start.");
}

void TfrmTessara::SetDefaults() {
  Cols = 2;
  Rows = 3;
  TileWidth = 36;
  TileHeight = 36;
  CellSpacing = 0;
  BorderSpacing = 0;
  Border = 2;
  Color = 0x707070;
  BorderType = 3;
  BackType = 2;
  Opacity = 50;
  Effect = 0;
  BMPFilename.clear();
  view_->SetColor(Color);
  // Placed at random on the primary monitor: its scale.
  UseDpi(view_->DpiOf(WorkRect{0, 0, 1, 1}));
  const int width = CalcWidth();
  const int height = CalcHeight();
  const ScreenSize screen = view_->Screen();
  Left = Random(screen.Width - width);
  Top = Random(screen.Height - height - 20);
  view_->SetBounds(Left, Top, width, height);
  Fresh = true;
}

bool TfrmTessara::LoadCachedLayers() {
  // Files left by a deleted window of the same number are not this window's image.
  if (Fresh) return false;
  // They would show tiles that this window does not hold.
  if (tiles_unread_at_ != 0) return false;
  // Tiles or settings were written after the layers (a change-save not followed by a full
  // save): the files may show an older picture.
  if (ini.BooleanValue(kLayersStaleKey)) return false;
  // Layers of another scale are composed again, never stretched.
  if (SaneDpi(ini.IntegerValue(kLayersDpiKey)) != Dpi) return false;
  return composer_.LoadCaches();
}

void TfrmTessara::FormShow() {
  PrepareShow();
  FinishShow();
}

void TfrmTessara::PrepareShow() {
  UpdateBorder();
  SyncMenuChecks();
  // Not yet shown, the window stands where it was placed to be: its own place.
  Left = view_->Left();
  Top = view_->Top();
  // A transparent window brought back on screen shows what lies behind its new place.
  const bool moved = KeepOnScreen() && BackType == 2;
  bool cached = false;
  if (!moved) {
    const PhaseTimer timer(Phase::LayerCaches);
    cached = LoadCachedLayers();
  }
  compose_at_show_ = !cached;
}

void TfrmTessara::FinishShow() {
  if (compose_at_show_) {
    compose_at_show_ = false;
    ComposeLayers();
  }
  const PhaseTimer timer(Phase::Showing);
  view_->Show();
  FormPaint();
}

void TfrmTessara::SaveTessara() {
  if (Starting) return;
  // Every file that can be written is: one that fails is reported with the others at the end.
  std::vector<std::string> failed;
  const auto attempt = [&failed](const std::function<void()>& save) {
    try {
      save();
    } catch (const Error& e) {
      failed.emplace_back(e.what());
    }
  };
  // Layers without the tiles of the file left unread are no picture of the window: none
  // is written, and the mark below keeps the next start from trusting older ones.
  if (tiles_unread_at_ == 0) attempt([this] { composer_.SaveCaches([this] { MarkLayersStaleOnDisk(); }); });
  attempt([this] { SaveTiles(); });
  StoreSettings();
  // Written last: until the layers and tiles are whole on disk, the mark of an earlier
  // change-save stays. Layers not written now (none composed, stand-ins) stay marked.
  ini.StoreBoolean(kLayersStaleKey, !composer_.Saved());
  if (composer_.Saved()) ini.StoreInteger(kLayersDpiKey, Dpi);
  attempt([this] { ini.WriteSettings(); });
  if (failed.empty()) return;
  std::string text = failed.front();
  for (std::size_t i = 1; i < failed.size(); ++i) text += "\n" + failed[i];
  throw Error(text);
}

void TfrmTessara::MarkLayersStaleOnDisk() {
  // Read from the file, not from memory: a failed change-save leaves the mark set here only.
  TRegVal onDisk = ini;
  onDisk.ReadSettings();
  if (onDisk.BooleanValue(kLayersStaleKey)) return;
  onDisk.StoreBoolean(kLayersStaleKey, true);
  onDisk.WriteSettings();
}

void TfrmTessara::StoreSettings() {
  ini.StoreBoolean(kDpiAwareKey, true);
  ini.StoreInteger("Left", Left);
  ini.StoreInteger("Top", Top);
  ini.StoreInteger("Cols", Cols);
  ini.StoreInteger("Rows", Rows);
  ini.StoreInteger("TileWidth", TileWidth);
  ini.StoreInteger("TileHeight", TileHeight);
  ini.StoreInteger("Border", UpdateBorder());
  ini.StoreInteger("BorderSpacing", BorderSpacing);
  ini.StoreInteger("Color", Color);
  ini.StoreInteger("CellSpacing", CellSpacing);
  ini.StoreInteger("BorderType", BorderType);
  ini.StoreInteger("BackType", BackType);
  ini.StoreInteger("Opacity", Opacity);
  ini.StoreInteger("Effect", Effect);
  ini.StoreString("BMPFilename", BMPFilename);
  ini.StoreBoolean("LetterShadow", LetterShadow);
  StorePropertyKeys();
}

void TfrmTessara::SaveTiles() {
  if (tiles_unread_at_ != 0) {
    if (tiles_unread_at_ == Tag) return;
    // Renumbered: the file goes to the new number unread, so that neither the deleted
    // window's tiles come back there nor a later window of the old number writes over it.
    const std::string from = TileDataFile(program_folder_, tiles_unread_at_);
    const std::string to = TileDataFile(program_folder_, Tag);
    if (FileExists(from)) {
      if (!MoveFileReplacing(from, to)) throw Error("Cannot create file " + to);
      const std::string names = TileNamesFile(program_folder_, tiles_unread_at_);
      if (FileExists(names) && !MoveFileReplacing(names, TileNamesFile(program_folder_, Tag)))
        throw Error("Cannot create file " + TileNamesFile(program_folder_, Tag));
      tiles_unread_at_ = Tag;
      return;
    }
    tiles_unread_at_ = 0;  // the file is gone: nothing is left to keep
  }
  // The icon work comes first: a fallback found now changes the record, and the tile file
  // must hold the record as it is after it.
  std::vector<bool> write(static_cast<std::size_t>(kGridMax) * kGridMax);
  for (int col = 1; col <= kGridMax; ++col) {
    for (int row = 1; row <= kGridMax; ++row) {
      TTileRecord* found = Find(col, row);
      if (!found || found->Empty() || !found->Icon || found->Icon->StandIn) continue;
      TTileRecord& tile = *found;
      const std::string path = IconCacheFile(program_folder_, Tag, col, row);
      // Rewriting an unchanged icon would only cost a flushed write per tile at every save;
      // a file that is no longer a valid icon is repaired.
      if (tile.Icon->SavedAs == path &&
          (tile.Icon->SavedChecked || (tile.Icon->SavedChecked = IconFileIntact(path))))
        continue;
      // An icon whose bytes cannot be had (its cache file gone or corrupt) is extracted again.
      if (!tile.Icon->Usable()) icons_.Load(col, row);
      write[TileIndex(col, row)] = tile.Icon && !tile.Icon->StandIn;
    }
  }
  // A tile file that cannot be written is an error like any other: skipping it in silence
  // would throw away every tile change while the user believes it saved.
  SaveTileFiles(program_folder_, Tag, *this);
  for (int col = 1; col <= kGridMax; ++col) {
    for (int row = 1; row <= kGridMax; ++row) {
      if (!write[TileIndex(col, row)]) continue;
      TileIcon& icon = *Tile(col, row).Icon;
      const std::string bytes = icon.FileBytes();
      if (bytes.empty()) continue;
      const std::string path = IconCacheFile(program_folder_, Tag, col, row);
      // An icon extracted again is often the one already on disk (a composition rebuilds
      // every icon): a flushed write per tile is saved where the bytes are the same.
      std::string old;
      if (!ReadWholeFile(path, old) || old != bytes) SaveFileOrThrow(path, bytes);
      icon.SavedAs = path;
      icon.SavedChecked = true;
    }
  }
}

void TfrmTessara::FormDestroy() {
  if (SaveOnExit) SaveTessara();
}

}  // namespace tessara
