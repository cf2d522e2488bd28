#pragma once
// The keyboard focus: a window with the focus lights one cell, its focus cell, in the raised
// look; the arrows move it over every cell of the grid in use, empty ones included, and stop
// at the edges. The light is shared with the pointer's hover: whichever moved last owns it,
// and the keys go on from the cell that is lit. It owns the focus cell, whether the window has
// the focus and whether the cues show; what a key starts, cuts or opens it hands back.
#include <utility>

#include "tessara/litcell.h"
#include "tessara/model.h"
#include "tessara/pointer.h"

namespace tessara {

// Key codes the window handles.
inline constexpr int kKeyF4 = 0x73;
inline constexpr int kKeyReturn = 0x0D, kKeyDelete = 0x2E, kKeyApps = 0x5D, kKeyF10 = 0x79;
inline constexpr int kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;

// What a key asks of the window.
struct KeyAction {
  enum Kind {
    NotMine,  // not a key of the cells
    Done,     // nothing more to do
    Run,      // start the tile of At
    Cut,      // cut the tile of At, now the selected cell
    Menu,     // open the context menu of At, now the selected cell, at (X, Y)
  };
  Kind What = NotMine;
  Cell At;
  int X = 0, Y = 0;
};

class KeyFocus {
 public:
  // `paint` lights cells only once the window's layers are there; `pointer` holds the cells
  // while a tile is held or the window moves.
  KeyFocus(const TessaraModel& model, LitCell& lit, const Pointer& pointer, PaintCell paint)
      : model_(model), lit_(lit), pointer_(pointer), paint_(std::move(paint)) {}
  KeyFocus(const KeyFocus&) = delete;
  KeyFocus& operator=(const KeyFocus&) = delete;

  // The window gained or lost the keyboard focus: the focus cell is shown or removed.
  void Activate();
  void Deactivate();
  // Keyboard cues: the focus cell is shown only once the keyboard has been used, so a pointer
  // user never sees it.
  void ShowCues(bool shown);
  // `repeat`: the key was already down (the keyboard's auto-repeat).
  KeyAction KeyDown(int key, unsigned shift, bool repeat);
  // After a cut recomposed the window, its cell is lit again while the window has the focus.
  void Relight(Cell cell);

  // The cell the keys act on, 1-based; it starts at the first cell.
  int Col() const { return col_; }
  int Row() const { return row_; }
  void Place(int col, int row) {
    col_ = col;
    row_ = row;
  }
  bool Focused() const { return focused_; }
  bool Cues() const { return cues_; }

 private:
  // The lit cell, else the focus cell, kept inside the grid in use (it may have shrunk since).
  Cell KeyCell() const;

  const TessaraModel& model_;
  LitCell& lit_;
  const Pointer& pointer_;
  PaintCell paint_;
  int col_ = 1, row_ = 1;
  bool focused_ = false;
  bool cues_ = false;
};

}  // namespace tessara
