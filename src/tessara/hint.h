#pragma once
// The floating hint: the description of the tile the pointer rests on, in a small box of
// its own. It owns only which cell the box shows; the settings it reads are the model's.
#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

class FloatingHint {
 public:
  FloatingHint(const TessaraModel& model, IHint& box) : model_(model), box_(box) {}
  FloatingHint(const FloatingHint&) = delete;
  FloatingHint& operator=(const FloatingHint&) = delete;

  // The pointer rests on a cell (screen point x, y) of the window whose top left corner is at
  // (windowLeft, windowTop) on the screen: shows its description when the hint is on.
  void Over(int col, int row, int screenX, int screenY, int windowLeft, int windowTop);
  // The pointer left the cell, left the window or pressed a button.
  void Hide();

 private:
  const TessaraModel& model_;
  IHint& box_;
  Cell cell_;  // the cell whose description is shown; none when hidden
};

}  // namespace tessara
