// TfrmTessara: cut, copy and paste of tiles through the program's own clipboard.
#include <utility>

#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/clipboard.h"

namespace tessara {

TTileRecord TileClipboard;

bool TfrmTessara::HasSelectedCell() const { return Lit.AnySelected(); }

void TfrmTessara::cmCopyClick() {
  if (!HasSelectedCell()) return;
  // Copying an empty cell empties the clipboard in effect: its Filename is empty. A read, so
  // through the const model: the empty cell gets no record.
  TileClipboard.AssignFields(std::as_const(*this).Tile(Lit.SelCol(), Lit.SelRow()));
  DrawCell(NormalLayer, Lit.SelCol(), Lit.SelRow());
}

void TfrmTessara::cmCutClick() {
  if (!HasSelectedCell() || !Occupied(Lit.SelCol(), Lit.SelRow())) return;
  TTileRecord& tile = Tile(Lit.SelCol(), Lit.SelRow());
  TileClipboard.AssignFields(tile);
  tile.Clear();  // its icon too: the cell may lie outside the grid in use
  // Every icon of the grid is built again; the composition that follows draws every tile,
  // so drawing each one here as well would only be overwritten.
  for (int col = 1; col <= Cols; ++col)
    for (int row = 1; row <= Rows; ++row) icons_.Load(col, row);
  icons_.MarkBuilt();
  ComposeLayers();
  DrawCell(NormalLayer, Lit.SelCol(), Lit.SelRow());
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::cmPasteClick() {
  if (!HasSelectedCell()) return;
  TTileRecord& tile = Tile(Lit.SelCol(), Lit.SelRow());
  if (!tile.Empty()) {
    ShowMessage("Cannot paste on a used tile. Delete it first!");
    return;
  }
  tile.AssignFields(TileClipboard);
  // The icon is built anew from the pasted fields (the fallbacks may rewrite IconFile and
  // IconIndex); the composition then draws it.
  icons_.Load(Lit.SelCol(), Lit.SelRow());
  ComposeLayers();
  DrawCell(NormalLayer, Lit.SelCol(), Lit.SelRow());
  view_->TilesReordered();
  SaveChange();
}

}  // namespace tessara
