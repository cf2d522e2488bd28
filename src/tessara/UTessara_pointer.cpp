// TfrmTessara: the pointer's handlers run what a release hands back (a start, tiles swapped,
// a move saved), and starting tiles.
#include <utility>

#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/launch.h"

namespace tessara {

// The pointer and the keys paint a cell's look from the layer of the same index.
static_assert(static_cast<int>(CellLook::Flat) == NormalLayer && static_cast<int>(CellLook::Raised) == HoverLayer &&
              static_cast<int>(CellLook::Pressed) == PressedLayer);

void TfrmTessara::FormMouseDown(MouseButton button, unsigned shift, int x, int y) { pointer_.Down(button, shift, x, y); }

void TfrmTessara::FormMouseMove(unsigned, int x, int y) { pointer_.Move(x, y); }

void TfrmTessara::FormMouseLeave() { pointer_.Leave(); }

void TfrmTessara::FormMouseUp(MouseButton button, unsigned, int x, int y) { RunPointer(pointer_.Up(button, x, y)); }

void TfrmTessara::FormCaptureLost() { RunPointer(pointer_.CaptureLost()); }

void TfrmTessara::RunPointer(const PointerResult& result) {
  switch (result.What) {
    case PointerResult::None:
      return;
    case PointerResult::Click:
      RunTile(result.From.Col, result.From.Row);
      return;
    case PointerResult::TileMoved:
      // An empty target receives the tile; an occupied one swaps places with it, icons included.
      std::swap(Tile(result.From.Col, result.From.Row), Tile(result.To.Col, result.To.Row));
      ComposeLayers();
      view_->TilesReordered();
      SaveChange();
      return;
    case PointerResult::MoveEnded:
      // The background behind a transparent window is captured at its new place.
      if (BackType == 2) ComposeLayers();
      // Written once, when the move ends; a press that moved nothing writes nothing and leaves
      // a rescued window's own place as it was.
      if (pointer_.WindowMoved()) {
        Left = view_->Left();
        Top = view_->Top();
        SaveChange();
      }
      return;
  }
}

void TfrmTessara::RunTile(int col, int row) const { StartTile(Tile(col, row), ""); }

void TfrmTessara::StartTile(const TTileRecord& tile, const std::string& dropped) const {
  // The shell finds a document's program itself, Store apps and elevation included.
  const LaunchRequest request = TileLaunch(tile.Filename, tile.StartIn, dropped, FileOrFolderExists);
  if (request.File.empty()) return;
  std::string reason;
  if (!view_->StartShell(request, reason) && !reason.empty()) ShowError("Cannot start " + tile.Filename + "\n" + reason);
}

}  // namespace tessara
