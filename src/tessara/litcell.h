#pragma once
// The lit cell: the one raised cell (pointer or keys, whichever moved last) and the selected
// cell, the one a press or a menu key names for the tile commands. It owns only those two;
// the painting stays with the window, which reports here what it painted.
#include "base/tile.h"

namespace tessara {

class LitCell {
 public:
  // Col -1 means none, for either cell.
  int SelCol() const { return sel_col_; }
  int SelRow() const { return sel_row_; }
  int HoverCol() const { return hover_col_; }
  int HoverRow() const { return hover_row_; }
  bool Any() const { return hover_col_ != -1; }
  // Before the first press on a cell nothing is selected; a tile command then does nothing.
  bool AnySelected() const { return sel_col_ >= 1 && sel_col_ <= kGridMax && sel_row_ >= 1 && sel_row_ <= kGridMax; }
  bool IsLit(int col, int row) const { return hover_col_ == col && hover_row_ == row; }
  // Another cell than (col, row) is lit: it must go flat before (col, row) takes the record.
  bool OtherLit(int col, int row) const { return Any() && !IsLit(col, row); }

  void Select(int col, int row) {
    sel_col_ = col;
    sel_row_ = row;
  }
  // The window painted (col, row) raised (lit) or flat; a flat paint of any cell leaves none lit.
  void Painted(int col, int row, bool lit) {
    hover_col_ = lit ? col : -1;
    if (lit) hover_row_ = row;
  }
  void Unlight() { hover_col_ = -1; }
  void Reset() {
    hover_col_ = -1;
    sel_col_ = sel_row_ = -1;
  }

 private:
  int sel_col_ = -1, sel_row_ = -1;
  int hover_col_ = -1, hover_row_ = -1;
};

}  // namespace tessara
