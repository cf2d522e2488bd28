#include "tessara/placement.h"

#include "base/rng.h"
#include "tessara/onscreen.h"

namespace tessara {

void Placement::ApplySize() {
  const int width = model_.CalcWidth();
  const int height = model_.CalcHeight();
  frame_.SetBounds(frame_.Left(), frame_.Top(), width, height);
}

void Placement::UseDpi(int dpi) {
  model_.Dpi = SaneDpi(dpi);
  frame_.SetDpi(model_.Dpi);
}

void Placement::ConvertUnawarePosition() {
  const int systemDpi = monitors_.SystemDpi();
  model_.Left = PositionFromUnaware(model_.Left, systemDpi);
  model_.Top = PositionFromUnaware(model_.Top, systemDpi);
}

void Placement::ScaleAtOwnPlace() {
  TessaraModel& m = model_;
  m.Dpi = kBaseDpi;
  UseDpi(monitors_.DpiOf(WorkRect{m.Left, m.Top, m.Left + m.CalcWidth(), m.Top + m.CalcHeight()}));
}

void Placement::ToOwnPlace() { frame_.SetBounds(model_.Left, model_.Top, model_.CalcWidth(), model_.CalcHeight()); }

void Placement::PlaceAtRandom() {
  UseDpi(monitors_.DpiOf(WorkRect{0, 0, 1, 1}));
  const int width = model_.CalcWidth();
  const int height = model_.CalcHeight();
  const ScreenSize screen = monitors_.Screen();
  model_.Left = Random(screen.Width - width);
  model_.Top = Random(screen.Height - height - 20);
  frame_.SetBounds(model_.Left, model_.Top, width, height);
}

bool Placement::KeepOnScreen() {
  // Always from the window's own place, never from where a rescue put it: the window goes
  // back there once its monitor returns, and is rescued afresh from there while it is away.
  const WindowRect own{model_.Left, model_.Top, frame_.Width(), frame_.Height()};
  const WindowRect there = BringOnScreen(own, monitors_.WorkAreas(), model_.Scaled(kReachableSide));
  if (there.Left == frame_.Left() && there.Top == frame_.Top()) return false;
  frame_.MoveTo(there.Left, there.Top);
  // A scale change on the way is the system's answer to our move, not a move by the user.
  model_.Left = own.Left;
  model_.Top = own.Top;
  return true;
}

void Placement::TakeDpi(int dpi, int left, int top) {
  // The system moves a window shown at its own place with the scale; a rescued window keeps
  // the place it belongs to.
  const bool atOwnPlace = frame_.Left() == model_.Left && frame_.Top() == model_.Top;
  UseDpi(dpi);
  // The system's rectangle scales the whole window at once; the window's own size rounds
  // each length, so only its place is taken and the size follows the grid.
  frame_.SetBounds(left, top, model_.CalcWidth(), model_.CalcHeight());
  if (atOwnPlace) {
    model_.Left = left;
    model_.Top = top;
  }
}

}  // namespace tessara
