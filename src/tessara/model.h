#pragma once
// The tessara's model: grid parameters, the 64 x 64 tile array and the geometry every other
// part of the window uses (size, cell rectangles, hit test).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessara {

inline constexpr int kGridMax = 64;
inline constexpr int kTileMin = 32;
inline constexpr int kTileMax = 48;
inline constexpr int kSpacingMax = 8;
// Border lines by BorderType: bit 0 the black line, bit 1 the raised edge, one pixel each.
inline constexpr std::array<int, 4> BorderWidth = {0, 1, 1, 2};

// Text capacities of a tile; longer texts are cut when stored.
inline constexpr std::size_t kFilenameCap = 255;
inline constexpr std::size_t kDescriptionCap = 40;
inline constexpr std::size_t kStartInCap = 255;
inline constexpr std::size_t kIconFileCap = 255;

// A tile's run-time icon: made by the platform (an icon object on Windows).
class TileIcon {
 public:
  virtual ~TileIcon() = default;
  // The icon in the Windows icon file format, for the icon cache; empty if unavailable.
  virtual std::string FileBytes() const = 0;
  // Whether the icon can be drawn; an icon cache file that turns out unreadable cannot.
  virtual bool Usable() const { return true; }
  // The cache file that already holds exactly this icon; a save then skips rewriting it.
  std::string SavedAs;
};

struct TTileRecord {
  std::string Filename;
  std::string Description;
  std::string StartIn;
  std::string IconFile;
  std::uint16_t IconIndex = 0;  // 1-based position in IconFile
  std::unique_ptr<TileIcon> Icon;
  std::uint8_t LibIcon = 0;  // n > 0: icon n of the icon library
  std::uint8_t Drive = 0;    // 1..26: drive letter 'A'..'Z'

  bool Empty() const { return Filename.empty(); }
  // Copies the persistent fields (not the icon), each cut to its capacity.
  void AssignFields(const TTileRecord& other);
  // Every field zero or empty, no icon.
  void Clear();
};

// Cuts a text to a field's capacity.
std::string FitText(const std::string& text, std::size_t capacity);

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

class TessaraModel {
 public:
  TessaraModel();

  // Grid parameters.
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

  // Run-time state.
  int SelCol = -1, SelRow = -1;
  int HoverCol = -1, HoverRow = -1;
  bool Pressing = false;
  bool Moving = false;
  int DownX = 0, DownY = 0;
  WorkRect WorkArea;
  bool SaveOnExit = true;
  bool IconsBuilt = false;
  bool LayersReady = false;

  // tile(col, row), both 1-based; the column is the outer dimension.
  TTileRecord& Tile(int col, int row) { return tiles_[TileIndex(col, row)]; }
  const TTileRecord& Tile(int col, int row) const { return tiles_[TileIndex(col, row)]; }
  static std::size_t TileIndex(int col, int row) {
    return static_cast<std::size_t>(col - 1) * kGridMax + static_cast<std::size_t>(row - 1);
  }
  void ClearTiles();

  // Border from BorderType and BorderSpacing; stored and returned.
  int UpdateBorder();
  int CalcWidth();
  int CalcHeight();
  CellRect CellRectOf(int col, int row) const;
  Cell CellAt(int x, int y) const;
  // Where a 32 x 32 icon sits in its cell (the spare pixel goes right and down).
  void IconPosition(int col, int row, int& x, int& y) const;

  // Brings values a hand-edited file may hold into the ranges the model can work with.
  void ClampToModel();

 private:
  std::vector<TTileRecord> tiles_;
};

}  // namespace tessara
