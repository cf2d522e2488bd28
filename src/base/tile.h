#pragma once
// The tile record and the 64 x 64 tile array: shared by the grid window, the file formats,
// the clipboard and the dialogs, so they live below all of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessara {

inline constexpr int kGridMax = 64;

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
  // SavedAs was found to hold a valid icon (or was written from this one) this session: a
  // save reads each cache file at most once to find corrupt ones.
  bool SavedChecked = false;
  // Shown for this session in place of the icon of a file that could not be reached; never
  // written to the icon cache.
  bool StandIn = false;
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

// Cuts a text to a field's capacity, never inside a character of the program's code page: in
// characters where that is UTF-8 (the file boundary keeps what its legacy field cannot hold),
// else in bytes.
std::string FitText(const std::string& text, std::size_t capacity);

// tile(col, row), both 1-based, the column the outer dimension; cells outside the grid in
// use keep their tiles. A record is made when a cell is first written: sixteen windows of
// 64 x 64 empty records would hold over 9 MB for nothing. So only a non-const grid makes
// records, and code that only reads holds the grid const: there Tile() gives an empty record
// for a cell never written, and a write through it does not compile.
class TileGrid {
 public:
  TileGrid() : tiles_(static_cast<std::size_t>(kGridMax) * kGridMax) {}
  // For code that writes the cell: makes its record on first access.
  TTileRecord& Tile(int col, int row) {
    std::unique_ptr<TTileRecord>& tile = tiles_[TileIndex(col, row)];
    if (!tile) tile = std::make_unique<TTileRecord>();
    return *tile;
  }
  const TTileRecord& Tile(int col, int row) const {
    const TTileRecord* tile = Find(col, row);
    return tile ? *tile : EmptyTile();
  }
  // The record of a cell that was ever written, or nullptr: lets a walk over the whole
  // array leave untouched cells unmade.
  TTileRecord* Find(int col, int row) { return tiles_[TileIndex(col, row)].get(); }
  const TTileRecord* Find(int col, int row) const { return tiles_[TileIndex(col, row)].get(); }
  // The cell holds a tile; a read, so asking about an empty cell makes no record.
  bool Occupied(int col, int row) const { return !Tile(col, row).Empty(); }
  static std::size_t TileIndex(int col, int row) {
    return static_cast<std::size_t>(col - 1) * kGridMax + static_cast<std::size_t>(row - 1);
  }
  void ClearTiles() {
    for (auto& tile : tiles_) tile.reset();
  }

 private:
  static const TTileRecord& EmptyTile();
  std::vector<std::unique_ptr<TTileRecord>> tiles_;
};

}  // namespace tessara
