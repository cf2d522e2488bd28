#pragma once
// The pointer: the hover and pressed looks of tiles, a tile held and let go on a cell, and the
// window dragged by its border, an empty cell or Ctrl, snapping to the work area's edges. It
// owns only what is held and where the press began. What a release starts, swaps or saves it
// hands back to the window, so the order of those side effects stays in one place.
#include <functional>
#include <utility>

#include "tessara/litcell.h"
#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

enum ShiftState : unsigned { ssNone = 0, ssShift = 1, ssAlt = 2, ssCtrl = 4 };
enum MouseButton { mbLeft, mbRight, mbMiddle };

// The looks of a cell, one per layer and in the layers' order.
enum class CellLook { Flat, Raised, Pressed };
// Paints a cell in a look; the window reports each paint to the lit cell.
using PaintCell = std::function<void(CellLook look, int col, int row)>;

// The snapping settings, read afresh at every step of a window move.
struct SnapSettings {
  std::function<bool()> Enabled;
  std::function<int()> Distance;  // a stored length
};

// What a release asks of the window.
struct PointerResult {
  enum Kind {
    None,
    Click,      // a tile pressed and let go on its own cell: From
    TileMoved,  // the held tile From let go on another cell To
    MoveEnded,  // a window move ended
  };
  Kind What = None;
  Cell From, To;
};

class Pointer {
 public:
  Pointer(const TessaraModel& model, IFrame& frame, IMonitors& monitors, ILauncher& launcher, LitCell& lit,
          PaintCell paint, SnapSettings snap)
      : model_(model),
        frame_(frame),
        monitors_(monitors),
        launcher_(launcher),
        lit_(lit),
        paint_(std::move(paint)),
        snap_(std::move(snap)) {}
  Pointer(const Pointer&) = delete;
  Pointer& operator=(const Pointer&) = delete;

  // Coordinates are window pixels; the pointer is captured while a button is held, so they
  // may lie outside the window.
  void Down(MouseButton button, unsigned shift, int x, int y);
  void Move(int x, int y);
  PointerResult Up(MouseButton button, int x, int y);
  void Leave();
  // Another window took the pointer while a button was held: a held tile is let go as outside
  // the window, a window move ends as at a release.
  PointerResult CaptureLost();

  // A tile is held or the window is being moved.
  bool Holding() const { return pressing_ || moving_; }
  bool Pressing() const { return pressing_; }
  bool Moving() const { return moving_; }
  // The window stands elsewhere than where its last move began.
  bool WindowMoved() const { return frame_.Left() != from_left_ || frame_.Top() != from_top_; }
  // Where the press began, in window pixels.
  int DownX() const { return down_x_; }
  int DownY() const { return down_y_; }
  // The window being moved now shows at another scale: the pointer keeps its place in the image.
  void ScaleHold(int fromDpi, int toDpi);
  void Reset() { pressing_ = moving_ = false; }

 private:
  void MoveWindowTo(int x, int y);
  // Shows the selected cell flat at the end of a press, keeping the record of another cell
  // the pointer rests on, still raised.
  void ShowSelectedFlat();

  const TessaraModel& model_;
  IFrame& frame_;
  IMonitors& monitors_;
  ILauncher& launcher_;
  LitCell& lit_;
  PaintCell paint_;
  SnapSettings snap_;
  bool pressing_ = false;
  bool moving_ = false;
  int down_x_ = 0, down_y_ = 0;
  // Where the window stood when its move began: a move that ends there changed nothing.
  int from_left_ = 0, from_top_ = 0;
};

}  // namespace tessara
