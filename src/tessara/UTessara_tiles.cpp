// TfrmTessara: tiles made from dropped files and by the "New..." commands, and the tile dialog.
#include <string>
#include <utility>

#include "dialogs/UProperties.h"
#include "settings/atomicfile.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/tilefields.h"

namespace tessara {

namespace {

constexpr const char* kSelfMessage = "Can't make a shortcut to myself...";
constexpr const char* kOccupiedMessage = "Please select an empty tile";

// The kind test looks at the last four characters only.
bool EndsWithKind(const std::string& name, const char* kind) {
  const std::string tail = name.size() <= 4 ? name : name.substr(name.size() - 4);
  return alTools::UpperCaseFold(tail) == kind;
}

}  // namespace

void TfrmTessara::WMDropFiles(std::uintptr_t drop) {
  const DroppedFile dropped = view_->TakeDrop(drop);
  // The window stays a drop target whatever happens below.
  struct Renew {
    IDropTarget& view;
    ~Renew() { view.AcceptDrops(); }
  } renew{*view_};

  const Cell cell = CellAt(dropped.X, dropped.Y);
  if (!dropped.Name.empty() && SameFileName(dropped.Name, view_->ProgramPath())) {
    ShowMessage(kSelfMessage);
    return;
  }
  if (!cell.Valid()) return;
  // A read: a drop refused on an empty cell leaves no record there.
  const TTileRecord& tile = std::as_const(*this).Tile(cell.Col, cell.Row);
  if (!tile.Empty() && tile.Drive != 0) return;
  if (dropped.Name.empty()) {
    if (!dropped.Problem.empty()) ShowMessage(dropped.Problem);
    return;
  }
  if (tile.Empty())
    MakeTileFromDrop(cell.Col, cell.Row, dropped.Name);
  else
    HandDropToTile(tile, dropped.Name);
}

void TfrmTessara::HandDropToTile(const TTileRecord& tile, const std::string& name) { StartTile(tile, name); }

void TfrmTessara::MakeTileFromDrop(int col, int row, const std::string& name) {
  TTileRecord& r = Tile(col, row);
  r.Filename = FitText(name, kFilenameCap);
  if (EndsWithKind(r.Filename, ".LNK")) {
    const ShortcutFields link = view_->ResolveShortcut(r.Filename);
    if (!link.Problem.empty()) {
      r.Filename.clear();
      ShowMessage(link.Problem);
      return;
    }
    r.AssignFields(TileFromShortcut(r.Filename, link));
  } else if (!EndsWithKind(r.Filename, ".BMP")) {
    r.Description = NamedDescription(r.Filename);
    r.StartIn = FitText(FolderPart(r.Filename), kStartInCap);
    r.IconFile = r.Filename;
    r.IconIndex = 1;
  }
  r.LibIcon = 0;
  r.Drive = 0;
  LoadTileIcon(col, row);
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::cmShortcutClick() {
  if (!HasSelectedCell()) return;
  // The commands that wait on a dialog keep to the cell they started on.
  const int col = Lit.SelCol(), row = Lit.SelRow();
  if (Occupied(col, row)) {
    ShowMessage(kOccupiedMessage);
    return;
  }
  const auto life = Life();
  std::string name;
  const bool chosen = host_ && host_->ExecuteOpenDlg(name);
  if (!StillHere(life)) return;
  bool made = false;
  // A tile that reached the cell meanwhile is never overwritten.
  if (chosen && !Occupied(col, row)) {
    if (SameFileName(name, view_->ProgramPath())) {
      ShowMessage(kSelfMessage);
    } else {
      TTileRecord& r = Tile(col, row);
      r.Filename = FitText(name, kFilenameCap);
      r.Description = FitText(FileNamePart(name), kDescriptionCap);
      r.StartIn = FitText(FolderPart(name), kStartInCap);
      r.IconFile = FitText(name, kIconFileCap);
      r.IconIndex = 1;
      r.LibIcon = 0;
      r.Drive = 0;
      LoadTileIcon(col, row);
      made = true;
    }
  }
  DrawCell(NormalLayer, col, row);
  if (!made) return;
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::cmDriveClick() {
  if (!HasSelectedCell()) return;
  const int col = Lit.SelCol(), row = Lit.SelRow();
  if (Occupied(col, row)) {
    ShowMessage(kOccupiedMessage);
    return;
  }
  const auto life = Life();
  bool made = false;
  {
    TfrmProperties dialog(view_->CreatePropertiesView());
    dialog.Caption = "New Drive";
    dialog.DriveMode = true;
    dialog.Label1 = "Drive";
    dialog.Edit4 = IconLibraryPath();
    dialog.SelectedIcon = 1;
    dialog.DriveNumber = 1;
    const bool ok = dialog.ShowModal();
    if (!StillHere(life)) return;
    if (ok && !Occupied(col, row)) {
      TTileRecord& r = Tile(col, row);
      const char letter = static_cast<char>(64 + dialog.DriveNumber);
      r.Filename = std::string("EXPLORER.EXE ") + letter + ":\\";
      r.Description = std::string("Drive ") + letter + ":";
      r.StartIn.clear();
      r.Drive = static_cast<std::uint8_t>(dialog.DriveNumber);
      ApplyIconChoice(r, dialog.Edit4, dialog.SelectedIcon, IconLibraryPath());
      LoadTileIcon(col, row);
      made = true;
    }
  }
  DrawCell(NormalLayer, col, row);
  if (!made) return;
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::cmPropertiesClick() {
  if (!HasSelectedCell()) return;
  const int col = Lit.SelCol(), row = Lit.SelRow();
  const auto life = Life();
  bool edited = false;
  {
    TfrmProperties dialog(view_->CreatePropertiesView());
    // Filling the dialog only reads: a cancelled dialog on an empty cell leaves no record.
    const TTileRecord& t = std::as_const(*this).Tile(col, row);
    const bool wasTile = !t.Empty();
    const std::string named = t.Description + '|' + t.Filename;
    dialog.Caption = "Properties";
    dialog.DriveMode = false;
    dialog.Label1 = "Filename";
    dialog.Edit1 = t.Filename;
    dialog.Edit2 = t.Description;
    dialog.Edit3 = t.StartIn;
    if (t.LibIcon != 0) {
      dialog.Edit4 = IconLibraryPath();
      dialog.SelectedIcon = static_cast<std::uint16_t>(t.LibIcon + 1);
    } else {
      dialog.Edit4 = t.IconFile;
      dialog.SelectedIcon = t.IconIndex;
    }
    const bool ok = dialog.ShowModal();
    if (!StillHere(life)) return;
    if (ok) {
      TTileRecord& r = Tile(col, row);
      r.Filename = FitText(dialog.Edit1, kFilenameCap);
      r.Description = FitText(dialog.Edit2, kDescriptionCap);
      r.StartIn = FitText(dialog.Edit3, kStartInCap);
      ApplyIconChoice(r, dialog.Edit4, dialog.SelectedIcon, IconLibraryPath());
      LoadTileIcon(col, row);
      // The old icon may have been larger than the new one: nothing of it may stay.
      ComposeLayers();
      if (wasTile != !r.Empty()) view_->TilesReordered();
      else if (named != r.Description + '|' + r.Filename) view_->TileRenamed(col, row);
      edited = true;
    }
  }
  DrawCell(NormalLayer, col, row);
  if (edited) SaveChange();
}

}  // namespace tessara
