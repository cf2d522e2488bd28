#pragma once
// The files a tessara keeps beside its settings: the tile data file (one fixed-size record
// per non-empty cell), one cached icon per tile and the three composed layer images. Only
// the names and byte formats live here; the window decides when to read and write them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "render/bitmap24.h"
#include "base/tile.h"

namespace tessara {

// File names below the program folder, which ends in its separator ('\\' on Windows, '/'
// elsewhere); the same separator is used inside, so both builds get well-formed paths.
std::string TileDataFile(const std::string& programFolder, int n);
std::string IconCacheFile(const std::string& programFolder, int n, int col, int row);
// The tile texts that the tile data file cannot hold, in UTF-8, one line per cell and field:
//   <col> TAB <row> TAB <field> TAB <legacy> TAB <full> CR LF
// <field> is Filename, Description, StartIn or IconFile; <legacy> is what the record holds
// (as the program reads it), <full> the text itself, both written as BesideText writes them.
// A line counts only while the record still holds its <legacy>: a cell an earlier build
// changed keeps that build's text. The file exists only while some text needs it.
inline constexpr std::string_view kTileNamesExtension = ".utf8";
std::string TileNamesFile(const std::string& programFolder, int n);
std::string LayerCacheFile(const std::string& programFolder, int n, int m);

// One tile record: column and row as 32-bit little-endian integers, the four texts as a
// length byte followed by their full capacity (zero after the text), IconIndex as 16 bits,
// LibIcon and Drive as one byte each. No padding.
inline constexpr std::size_t kTileRecordSize = 821;
namespace tilerecord {
inline constexpr std::size_t kCol = 0;
inline constexpr std::size_t kRow = 4;
inline constexpr std::size_t kFilename = 8;
inline constexpr std::size_t kDescription = 264;
inline constexpr std::size_t kStartIn = 305;
inline constexpr std::size_t kIconFile = 561;
inline constexpr std::size_t kIconIndex = 817;
inline constexpr std::size_t kLibIcon = 819;
inline constexpr std::size_t kDrive = 820;
}  // namespace tilerecord

// Texts are stored in the files' legacy code page (FileCodec) and cut to their capacity; the
// icon is not part of the record. A text that does not come back whole from the record adds
// its line of the tile names file to `beside`, when given.
void EncodeTileRecord(int col, int row, const TTileRecord& tile, char out[kTileRecordSize],
                      std::string* beside = nullptr);

struct DecodedTile {
  int Col = 0;
  int Row = 0;
  TTileRecord Tile;  // persistent fields only; no icon
};

// One record, its texts in the program's code page; false only when its column or row (the low byte of each integer) lies outside
// 1..64. A text whose length byte is above its capacity is cut to the capacity; a Drive
// above 26 reads as 0; a record with an empty Filename gives an empty tile (every field
// cleared), which empties its cell. `record` must hold at least kTileRecordSize bytes.
bool DecodeTileRecord(std::string_view record, DecodedTile& out);

// The whole file: every non-empty cell, column 1..64 outer and row 1..64 inner, including
// cells beyond the grid in use. An empty window gives an empty string; `beside` gets the
// tile names file's lines.
std::string EncodeTileData(const TileGrid& tiles, std::string* beside = nullptr);

// The largest tile file read: twenty times the largest one written (every cell of the grid)
// leaves room for repeated records; a bigger file is no tile file and is never read.
inline constexpr std::size_t kMaxTileFileSize = 20 * 64 * 64 * kTileRecordSize;

// Every whole record for a cell in 1..64 in file order; a trailing piece shorter than a
// record and records for other cells are skipped silently. A cell may appear more than once: the caller
// applies the list in order, so a later record replaces an earlier one.
// The lines of a tile names file (`beside`) that still apply give their full texts; lines
// that are not well formed are skipped.
std::vector<DecodedTile> DecodeTileData(std::string_view bytes, std::string_view beside = {});

// The tile names file of window n, empty when there is none; false when it is there but
// cannot be read (a save would then lose the full texts it holds).
bool ReadTileNames(const std::string& programFolder, int n, std::string& bytes);
// Writes the tile data file and then the tile names file, which is removed when no text
// needs it. Throws Error as SaveFileOrThrow does.
void SaveTileFiles(const std::string& programFolder, int n, const TileGrid& tiles);

// Layer images as Windows bitmap files: 24 bits per pixel, uncompressed, rows bottom-up
// with the same padding as Bitmap24, so the pixel bytes are stored as they are.
std::string EncodeBmp24(const Bitmap24& image);

// The largest side a layer file may claim; the biggest window is 3596 pixels wide, so a
// header beyond this is corrupt and never costs an allocation.
inline constexpr int kMaxBmpSide = 4096;

// Accepts exactly a 24-bit uncompressed bitmap, bottom-up or top-down, whose pixels lie
// within the bytes. Anything else (short, corrupt, other depth, compressed, absurd sizes)
// gives false and leaves `out` untouched, so the caller composes the image again.
bool DecodeBmp24(std::string_view bytes, Bitmap24& out);
// The same from a file, read straight into the image's memory; false when the file is
// missing, unreadable or not such a bitmap (the image is then not to be used).
bool LoadBmp24File(const std::string& path, Bitmap24& out);
// Only the size of such a file, from its headers (which also prove the pixels are all there).
bool ReadBmp24Size(const std::string& path, int& width, int& height);

// A sanity check of a cached icon file: the directory is well formed (reserved 0, type 1,
// at least one image) and every image lies within the file and starts like an icon image
// (a bitmap-info header or a PNG signature). A file failing it counts as missing.
bool IsValidIconFile(std::string_view bytes);

// A save cut short (a kill, a power cut) leaves its temporary file beside its target. True
// for exactly such names: a file the program writes in that folder ("tessara.ini" and
// "tswin.ini" in the program folder; the tile data, icon and layer files in "settings")
// followed by the temporary infix and a process id. Anything else is someone else's.
bool IsLeftoverTemporaryFile(std::string_view name, bool inSettingsFolder);
// Removes those files from the program folder and its settings folder, never a folder. Only
// for a process that holds the program folder, so no other copy's save is under way.
void RemoveLeftoverTemporaryFiles(const std::string& programFolder);

// Writes through WriteFileAtomic; throws Error "Cannot create file <path>" on failure.
void SaveFileOrThrow(const std::string& path, std::string_view bytes);

}  // namespace tessara
