#pragma once
// Placement: where the window stands and at what scale. Its size follows its grid, its scale
// the monitor it is on, and it is never left where no monitor shows it. It keeps nothing of
// its own: the own place and the scale are the model's, the rectangle is the frame's.
#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

class Placement {
 public:
  // Writes the model's own place (Left, Top) and scale (Dpi); its tiles it leaves alone.
  Placement(TessaraModel& model, IFrame& frame, const IMonitors& monitors)
      : model_(model), frame_(frame), monitors_(monitors) {}
  Placement(const Placement&) = delete;
  Placement& operator=(const Placement&) = delete;

  // Resizes the window to the formulas of its grid.
  void ApplySize();
  // The window shows at the scale of the monitor it is on; set before its size is computed.
  void UseDpi(int dpi);
  // The own place as read from a file: a build that declared no DPI awareness stored it in
  // the units the system stretched for it.
  void ConvertUnawarePosition();
  // The scale of the monitor that holds most of the window at its own place and stored size:
  // a corner alone may lie on a neighbour of another scale.
  void ScaleAtOwnPlace();
  // The window stands at its own place, sized to its grid.
  void ToOwnPlace();
  // A new window: placed at random on the primary monitor, at its scale.
  void PlaceAtRandom();
  // Shows the window at its own place when a monitor shows enough of it, else in the nearest
  // work area; true when it moved. Only a move by the user changes the own place.
  bool KeepOnScreen();
  // The window reached a monitor of another scale: it takes the system's suggested place
  // (left, top) and the size of its grid at the new scale.
  void TakeDpi(int dpi, int left, int top);

 private:
  TessaraModel& model_;
  IFrame& frame_;
  const IMonitors& monitors_;
};

}  // namespace tessara
