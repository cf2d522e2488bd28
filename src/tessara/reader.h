#pragma once
// What a screen reader is told about a tessara: the window is a list, each tile of the grid in
// use one item of it in reading order (row by row, left to right). This decides names, order,
// states, places, navigation and the hit test from the model and a few facts of the running
// window; the platform only wraps the answers for the reader's interface.
#include <functional>
#include <string>
#include <vector>

#include "tessara/model.h"

namespace tessara {

// The running window as a reader sees it; the form fills it when asked.
struct ReaderState {
  int Number = 0;        // the window's number
  Cell Focus;            // the keyboard focus cell
  bool Active = false;   // the window has the keyboard focus
  Cell Pressed;          // the tile held by the pointer; none while nothing is held
};

// Child 0 is the list itself; the tiles count from 1.
inline constexpr int kReaderSelf = 0;
// No such element (a step past the last tile, a point off every tile).
inline constexpr int kReaderNone = -1;

enum class ReaderRole { List, ListItem };

// State bits, combined.
enum ReaderStateBits : unsigned {
  rsFocusable = 1,
  rsSelectable = 2,
  rsFocused = 4,
  rsSelected = 8,
  rsPressed = 16,
};

enum class ReaderStep { Left, Right, Up, Down, Next, Previous, FirstChild, LastChild };

class TileReader {
 public:
  // `exists` tells whether a file or folder of a name exists: it finds where a program ends in
  // a target with arguments, as starting the tile does.
  TileReader(const TessaraModel& model, const ReaderState& state,
             std::function<bool(const std::string&)> exists = {});

  int ChildCount() const { return static_cast<int>(cells_.size()); }
  // A child id this list answers for: the list itself or one of its tiles.
  bool Known(int child) const { return child >= kReaderSelf && child <= ChildCount(); }
  Cell CellOf(int child) const;
  // The child showing the tile of a cell; kReaderNone for an empty cell or one outside the grid.
  int ChildOf(Cell cell) const;

  ReaderRole Role(int child) const { return child == kReaderSelf ? ReaderRole::List : ReaderRole::ListItem; }
  // A tile's description, or when it has none the name of its target without folder and
  // extension; the list is "Tessara N".
  std::string Name(int child) const;
  // The target as stored; empty for the list.
  std::string Value(int child) const;
  // The working folder where one is set.
  std::string Description(int child) const;
  // "Open" for a tile, nothing for the list.
  std::string DefaultAction(int child) const;
  unsigned States(int child) const;
  // The tile's cell in client pixels of the window's scale.
  CellRect Location(int child) const;
  // The child under a client point inside the window: a tile, or the list itself.
  int HitTest(int x, int y) const;
  // The neighbour in the grid: the nearest tile left, right, above or below in the same row or
  // column, the next or previous in reading order, or (from the list) its first or last tile.
  int Navigate(int from, ReaderStep step) const;
  // What has the keyboard focus: the focus cell's tile, the list when that cell is empty,
  // kReaderNone while the window is not active.
  int FocusChild() const;

 private:
  const TessaraModel& model_;
  ReaderState state_;
  std::function<bool(const std::string&)> exists_;
  std::vector<Cell> cells_;  // the tiles in reading order
};

// The name of a target without folder and extension: "C:\Windows\notepad.exe /a" gives
// "notepad". `exists` finds where a program with arguments ends.
std::string TargetName(const std::string& filename, const std::function<bool(const std::string&)>& exists);

}  // namespace tessara
