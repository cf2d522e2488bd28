// The tile data reader. Input: a tile data file.
// Properties: no crash; every record read lies in the tile array with texts within their
// capacities and a drive letter or none; writing what was read and reading it again gives
// the same tiles, and writing those gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzcheck.h"
#include "settings/tiledata.h"

namespace {

using namespace tessara;

std::string Encode(const std::vector<DecodedTile>& tiles) {
  std::string bytes;
  char record[kTileRecordSize];
  for (const DecodedTile& t : tiles) {
    EncodeTileRecord(t.Col, t.Row, t.Tile, record);
    bytes.append(record, kTileRecordSize);
  }
  return bytes;
}

bool Same(const TTileRecord& a, const TTileRecord& b) {
  return a.Filename == b.Filename && a.Description == b.Description && a.StartIn == b.StartIn &&
         a.IconFile == b.IconFile && a.IconIndex == b.IconIndex && a.LibIcon == b.LibIcon && a.Drive == b.Drive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<DecodedTile> tiles = DecodeTileData(bytes);
  FUZZ_CHECK(tiles.size() <= size / kTileRecordSize);
  for (const DecodedTile& t : tiles) {
    FUZZ_CHECK(t.Col >= 1 && t.Col <= kGridMax && t.Row >= 1 && t.Row <= kGridMax);
    FUZZ_CHECK(t.Tile.Filename.size() <= kFilenameCap && t.Tile.Description.size() <= kDescriptionCap);
    FUZZ_CHECK(t.Tile.StartIn.size() <= kStartInCap && t.Tile.IconFile.size() <= kIconFileCap);
    FUZZ_CHECK(t.Tile.Drive <= 26);
    // An empty cell carries nothing.
    if (t.Tile.Empty()) FUZZ_CHECK(Same(t.Tile, TTileRecord()));
  }

  const std::string written = Encode(tiles);
  const std::vector<DecodedTile> again = DecodeTileData(written);
  FUZZ_CHECK(again.size() == tiles.size());
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    FUZZ_CHECK(again[i].Col == tiles[i].Col && again[i].Row == tiles[i].Row);
    FUZZ_CHECK(Same(again[i].Tile, tiles[i].Tile));
  }
  FUZZ_CHECK(Encode(again) == written);
  return 0;
}
