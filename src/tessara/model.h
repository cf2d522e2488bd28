#pragma once
// The tessara's model: its stored settings, the 64 x 64 tile array and the geometry every
// other part of the window uses (size, cell rectangles, hit test). What only lives while the
// window runs belongs to the form and its roles.
#include <array>
#include <string>

#include "base/dpi.h"
#include "base/font.h"
#include "base/tile.h"
#include "dialogs/UTSProperties.h"

namespace tessara {

inline constexpr int kTileMin = 32;
inline constexpr int kTileMax = 48;
inline constexpr int kSpacingMax = 8;
// Border lines by BorderType: bit 0 the black line, bit 1 the raised edge, one pixel each.
inline constexpr std::array<int, 4> BorderWidth = {0, 1, 1, 2};

struct CellRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct Cell {
  int Col = 0, Row = 0;  // 1-based; 0 means none
  bool Valid() const { return Col * Row != 0; }
};

struct WorkRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TessaraModel : public TileGrid {
 public:
  // Grid parameters. Left and Top are the window's own place: where the user put it, and what
  // the save stores. A window rescued onto another monitor shows elsewhere and keeps them.
  int Left = 0, Top = 0;
  int Cols = 2, Rows = 3;
  int TileWidth = 36, TileHeight = 36;
  int CellSpacing = 0, BorderSpacing = 0;
  int Border = 2;
  int Color = 0x707070;
  int BorderType = 2;
  int BackType = 0;
  int Opacity = 50;
  int Effect = 0;
  std::string BMPFilename;
  bool LetterShadow = false;

  // The floating hint and the drive letter font, stored with the rest.
  bool FloatHint = false;
  int HintColor = kHintExampleColor;
  int HintTextColor = 0;
  FontSpec LetterFont{"", -11, 400, false};  // an empty face: the default font

  // The DPI of the window's monitor: the geometry below is in its device pixels, scaled
  // from the stored lengths.
  int Dpi = kBaseDpi;

  // A stored length in device pixels.
  int Scaled(int length) const { return ScaleLength(length, Dpi); }
  // Device thickness of the black line, the raised edge and a cell's shaded edge: the two
  // window lines share the scaled width of both, the raised edge taking one scaled pixel.
  int EdgeWidth() const { return Scaled(1); }
  int OutlineWidth() const;
  // Device distance from the window edge to the first cell.
  int DeviceBorder() const;
  int IconSize() const { return Scaled(32); }

  // Border from BorderType and BorderSpacing; stored and returned.
  int UpdateBorder();
  // The window's size, cell rectangles, the hit test and the icon's place in device pixels.
  int CalcWidth();
  int CalcHeight();
  CellRect CellRectOf(int col, int row) const;
  Cell CellAt(int x, int y) const;
  // Where the icon sits in its cell (the spare pixel goes right and down).
  void IconPosition(int col, int row, int& x, int& y) const;

  // Brings values a hand-edited file may hold into the ranges the model can work with.
  void ClampToModel();
};

}  // namespace tessara
