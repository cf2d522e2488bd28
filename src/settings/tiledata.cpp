#include "settings/tiledata.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <fstream>

#include "base/codepage.h"
#include "base/legacytext.h"
#include "settings/atomicfile.h"
#include "shell/error.h"

namespace tessara {
namespace {

std::string SettingsFolder(const std::string& programFolder) {
  std::string folder = programFolder;
  char sep = '/';
#ifdef _WIN32
  sep = '\\';
#endif
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
    sep = folder.back();
  else if (!folder.empty())
    folder += sep;
  return folder + "settings" + sep;
}

std::uint32_t Get8(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t Get16(std::string_view b, std::size_t at) { return Get8(b, at) | Get8(b, at + 1) << 8; }
std::uint32_t Get32(std::string_view b, std::size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }
std::int32_t GetSigned32(std::string_view b, std::size_t at) {
  return static_cast<std::int32_t>(Get32(b, at));  // two's complement, as C++20 defines it
}

void Set16(char* out, std::uint32_t v) {
  out[0] = static_cast<char>(v & 0xFF);
  out[1] = static_cast<char>((v >> 8) & 0xFF);
}
void Set32(char* out, std::uint32_t v) {
  Set16(out, v & 0xFFFF);
  Set16(out + 2, v >> 16);
}

void Put16(std::string& out, std::uint32_t v) {
  char b[2];
  Set16(b, v);
  out.append(b, 2);
}
void Put32(std::string& out, std::uint32_t v) {
  char b[4];
  Set32(b, v);
  out.append(b, 4);
}

// Takes a plain decimal from the front of `s` (no sign, no leading zero, as std::to_string
// writes it) and returns it; -1 when there is none.
long long TakeNumber(std::string_view& s) {
  std::size_t n = 0;
  while (n < s.size() && n < 10 && s[n] >= '0' && s[n] <= '9') ++n;
  if (n == 0 || (n > 1 && s[0] == '0') || (n < s.size() && s[n] >= '0' && s[n] <= '9')) return -1;
  const long long value = std::stoll(std::string(s.substr(0, n)));
  s.remove_prefix(n);
  return value;
}

bool Take(std::string_view& s, std::string_view part) {
  if (s.substr(0, part.size()) != part) return false;
  s.remove_prefix(part.size());
  return true;
}

// Length byte, then the text cut to the capacity; the rest of the field stays zero.
void PutText(char* field, const std::string& text, std::size_t capacity, const CodePageRule& rule) {
  const std::size_t n = CharacterCut(text, capacity, rule);
  field[0] = static_cast<char>(n);
  std::memcpy(field + 1, text.data(), n);
}

// A text is read "at most capacity characters": a length byte above the capacity (only the
// 40-character description can have one, the others hold 255) is cut to it, so the read
// never runs into the next field and the record keeps its tile; nor does it end inside a
// character.
std::string GetText(std::string_view record, std::size_t at, std::size_t capacity, const CodePageRule& rule) {
  const std::string_view text = record.substr(at + 1, Get8(record, at));
  return std::string(text.substr(0, CharacterCut(text, capacity, rule)));
}

struct TextField {
  const char* Name;
  std::string TTileRecord::*Text;
  std::size_t Offset, Capacity;
  bool FileName;  // a name the file system may know by a short name
};
constexpr TextField kTextFields[] = {
    {"Filename", &TTileRecord::Filename, tilerecord::kFilename, kFilenameCap, true},
    {"Description", &TTileRecord::Description, tilerecord::kDescription, kDescriptionCap, false},
    {"StartIn", &TTileRecord::StartIn, tilerecord::kStartIn, kStartInCap, true},
    {"IconFile", &TTileRecord::IconFile, tilerecord::kIconFile, kIconFileCap, true},
};

std::vector<std::string_view> SplitTabs(std::string_view line, std::size_t parts) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < parts) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return {};
    out.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  out.push_back(line);
  return out;
}

// Puts the full forms of a side file's lines into the tiles whose legacy texts are still
// those written beside them; the last record of a cell is the one that counts.
void TakeFullForms(std::string_view beside, std::vector<DecodedTile>& tiles) {
  std::vector<DecodedTile*> last(static_cast<std::size_t>(kGridMax) * kGridMax, nullptr);
  for (DecodedTile& tile : tiles) last[TileGrid::TileIndex(tile.Col, tile.Row)] = &tile;
  while (!beside.empty()) {
    const std::size_t end = beside.find('\n');
    std::string_view line = beside.substr(0, end);
    beside.remove_prefix(end == std::string_view::npos ? beside.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> parts = SplitTabs(line, 4);
    if (parts.empty()) continue;
    std::string_view colText = parts[0], rowText = parts[1];
    const long long col = TakeNumber(colText), row = TakeNumber(rowText);
    if (!colText.empty() || !rowText.empty() || col < 1 || col > kGridMax || row < 1 || row > kGridMax) continue;
    DecodedTile* tile = last[TileGrid::TileIndex(static_cast<int>(col), static_cast<int>(row))];
    std::string legacy, full;
    if (!tile || !ParseBesideText(parts[3], legacy, full)) continue;
    for (const TextField& field : kTextFields)
      if (parts[2] == field.Name && tile->Tile.*field.Text == legacy) tile->Tile.*field.Text = std::move(full);
  }
}

// "tessara<n>.dat", "tessara<n>.utf8", "tessara<n>_<col>_<row>.ico" or "tessara<n>_<m>.bmp".
bool IsSettingsFileName(std::string_view s) {
  if (!Take(s, "tessara") || TakeNumber(s) < 1) return false;
  if (s == ".dat" || s == kTileNamesExtension) return true;
  if (!Take(s, "_")) return false;
  const long long first = TakeNumber(s);
  if (first >= 0 && first <= 2 && s == ".bmp") return true;
  return first >= 1 && Take(s, "_") && TakeNumber(s) >= 1 && s == ".ico";
}

constexpr std::size_t kBmpFileHeader = 14;
constexpr std::size_t kBmpInfoHeader = 40;

}  // namespace

std::string TileDataFile(const std::string& programFolder, int n) {
  return SettingsFolder(programFolder) + "tessara" + std::to_string(n) + ".dat";
}

std::string TileNamesFile(const std::string& programFolder, int n) {
  return SettingsFolder(programFolder) + "tessara" + std::to_string(n) + std::string(kTileNamesExtension);
}

std::string IconCacheFile(const std::string& programFolder, int n, int col, int row) {
  return SettingsFolder(programFolder) + "tessara" + std::to_string(n) + "_" + std::to_string(col) + "_" +
         std::to_string(row) + ".ico";
}

std::string LayerCacheFile(const std::string& programFolder, int n, int m) {
  return SettingsFolder(programFolder) + "tessara" + std::to_string(n) + "_" + std::to_string(m) + ".bmp";
}

void EncodeTileRecord(int col, int row, const TTileRecord& tile, char out[kTileRecordSize], std::string* beside) {
  using namespace tilerecord;
  const LegacyCodec& codec = FileCodec();
  std::memset(out, 0, kTileRecordSize);
  Set32(out + kCol, static_cast<std::uint32_t>(col));
  Set32(out + kRow, static_cast<std::uint32_t>(row));
  for (const TextField& field : kTextFields) {
    const std::string& text = tile.*field.Text;
    const LegacyForm legacy = codec.ToLegacy(text, field.FileName);
    PutText(out + field.Offset, legacy.Bytes, field.Capacity, codec.Rule());
    const std::size_t kept = Get8(std::string_view(out + field.Offset, 1), 0);
    if (beside && (!legacy.Lossless || kept < legacy.Bytes.size()))
      *beside += std::to_string(col) + "\t" + std::to_string(row) + "\t" + field.Name + "\t" +
                 BesideText(codec.ToProgram(std::string_view(legacy.Bytes).substr(0, kept)), text) + "\r\n";
  }
  Set16(out + kIconIndex, tile.IconIndex);
  out[kLibIcon] = static_cast<char>(tile.LibIcon);
  out[kDrive] = static_cast<char>(tile.Drive);
}

bool DecodeTileRecord(std::string_view record, DecodedTile& out) {
  using namespace tilerecord;
  if (record.size() < kTileRecordSize) return false;
  // Only the low byte of each position counts; older files may carry junk above it.
  const int col = static_cast<int>(Get8(record, kCol));
  const int row = static_cast<int>(Get8(record, kRow));
  if (col < 1 || col > kGridMax || row < 1 || row > kGridMax) return false;

  const LegacyCodec& codec = FileCodec();
  TTileRecord tile;
  // A record with no Filename empties its cell: it stays in the list so that it replaces an
  // earlier record for the cell, with every field cleared so the cell is wholly empty.
  const auto text = [&](const TextField& field) {
    return codec.ToProgram(GetText(record, field.Offset, field.Capacity, codec.Rule()));
  };
  tile.Filename = text(kTextFields[0]);
  if (!tile.Filename.empty()) {
    for (const TextField& field : kTextFields) tile.*field.Text = text(field);
    tile.IconIndex = static_cast<std::uint16_t>(Get16(record, kIconIndex));
    tile.LibIcon = static_cast<std::uint8_t>(Get8(record, kLibIcon));
    // Only 1..26 name a drive letter; anything else would draw a character that is none.
    const std::uint32_t drive = Get8(record, kDrive);
    tile.Drive = static_cast<std::uint8_t>(drive <= 26 ? drive : 0);
  }

  out.Col = col;
  out.Row = row;
  out.Tile = std::move(tile);
  return true;
}

std::string EncodeTileData(const TileGrid& tiles, std::string* beside) {
  std::string bytes;
  char record[kTileRecordSize];
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row) {
      const TTileRecord& tile = tiles.Tile(col, row);
      if (tile.Empty()) continue;
      EncodeTileRecord(col, row, tile, record, beside);
      bytes.append(record, kTileRecordSize);
    }
  return bytes;
}

std::vector<DecodedTile> DecodeTileData(std::string_view bytes, std::string_view beside) {
  std::vector<DecodedTile> tiles;
  for (std::size_t at = 0; bytes.size() - at >= kTileRecordSize; at += kTileRecordSize) {
    DecodedTile tile;
    if (DecodeTileRecord(bytes.substr(at, kTileRecordSize), tile)) tiles.push_back(std::move(tile));
  }
  TakeFullForms(beside, tiles);
  return tiles;
}

bool ReadTileNames(const std::string& programFolder, int n, std::string& bytes) {
  bytes.clear();
  const FileRead read = ReadFileUpTo(TileNamesFile(programFolder, n), kMaxTileFileSize, bytes);
  return read == FileRead::Ok || read == FileRead::Missing;
}

void SaveTileFiles(const std::string& programFolder, int n, const TileGrid& tiles) {
  std::string beside;
  SaveFileOrThrow(TileDataFile(programFolder, n), EncodeTileData(tiles, &beside));
  const std::string names = TileNamesFile(programFolder, n);
  if (!beside.empty())
    SaveFileOrThrow(names, beside);
  else if (FileExists(names) && !DeleteFileAt(names))
    throw Error("Cannot delete file " + names);
}

std::string EncodeBmp24(const Bitmap24& image) {
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(image.ByteSize());
  const std::uint32_t offset = kBmpFileHeader + kBmpInfoHeader;
  std::string out;
  out.reserve(offset + pixelBytes);
  // BITMAPFILEHEADER
  out += "BM";
  Put32(out, offset + pixelBytes);
  Put32(out, 0);  // two reserved words
  Put32(out, offset);
  // BITMAPINFOHEADER
  Put32(out, kBmpInfoHeader);
  Put32(out, static_cast<std::uint32_t>(image.Width()));
  Put32(out, static_cast<std::uint32_t>(image.Height()));  // positive: bottom-up
  Put16(out, 1);                                           // planes
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixelBytes);
  Put32(out, 0);  // no physical resolution
  Put32(out, 0);
  Put32(out, 0);  // no colour table
  Put32(out, 0);
  if (pixelBytes != 0) out.append(reinterpret_cast<const char*>(image.Bits()), pixelBytes);
  return out;
}

namespace {

struct BmpLayout {
  int Width = 0, Height = 0;
  bool TopDown = false;
  std::uint64_t Offset = 0, Stride = 0;
};

// Checks the headers at the start of a file of `fileBytes` bytes; `head` holds at least the
// two headers. Everything is checked before any memory is taken for the pixels.
bool ParseBmp24(std::string_view head, std::uint64_t fileBytes, BmpLayout& layout) {
  if (head.size() < kBmpFileHeader + kBmpInfoHeader) return false;
  if (head[0] != 'B' || head[1] != 'M') return false;
  const std::uint64_t fileSize = Get32(head, 2);
  const std::uint64_t offset = Get32(head, 10);
  const std::uint64_t infoSize = Get32(head, 14);
  // A file header claiming more bytes than there are means the file was cut short.
  if (fileSize > fileBytes) return false;
  // Later header versions only add fields after these, so any of them is readable.
  if (infoSize < kBmpInfoHeader || kBmpFileHeader + infoSize > fileBytes) return false;
  const std::int64_t width = GetSigned32(head, 18);
  const std::int64_t rawHeight = GetSigned32(head, 22);
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -rawHeight : rawHeight;  // 64 bits: no overflow at INT_MIN
  if (Get16(head, 26) != 1 || Get16(head, 28) != 24 || Get32(head, 30) != 0) return false;
  if (width < 1 || width > kMaxBmpSide || height < 1 || height > kMaxBmpSide) return false;

  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  const std::uint64_t stride = static_cast<std::uint64_t>(Bitmap24Stride(w));
  const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(h);
  const std::uint64_t imageSize = Get32(head, 34);  // may be 0 for uncompressed files
  if (imageSize != 0 && imageSize < pixelBytes) return false;
  if (offset < kBmpFileHeader + infoSize || offset + pixelBytes > fileBytes) return false;
  layout = {w, h, topDown, offset, stride};
  return true;
}

// Copies stored rows into the image: row i of the file is row i from the bottom, or from
// the top in a top-down file. The padding bytes of each row are zeroed.
void PlaceRows(const char* src, const BmpLayout& layout, Bitmap24& out) {
  const std::size_t rowBytes = static_cast<std::size_t>(3) * static_cast<std::size_t>(layout.Width);
  for (int i = 0; i < layout.Height; ++i) {
    std::uint8_t* dst = out.Row(layout.TopDown ? i : layout.Height - 1 - i);
    std::memcpy(dst, src + static_cast<std::size_t>(i) * layout.Stride, rowBytes);
    std::memset(dst + rowBytes, 0, static_cast<std::size_t>(layout.Stride) - rowBytes);
  }
}

}  // namespace

bool DecodeBmp24(std::string_view bytes, Bitmap24& out) {
  BmpLayout layout;
  if (!ParseBmp24(bytes, bytes.size(), layout)) return false;
  out.Resize(layout.Width, layout.Height);
  PlaceRows(bytes.data() + layout.Offset, layout, out);
  return true;
}

namespace {
// Opens a bitmap file and checks its headers against its real length.
bool OpenBmp24(const std::string& path, std::ifstream& in, BmpLayout& layout) {
  in.open(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0) return false;
  in.seekg(0);
  // Later header versions are longer than the first two; 256 bytes hold any of them.
  std::string head(static_cast<std::size_t>(std::min<std::streamoff>(size, 256)), '\0');
  if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
  return ParseBmp24(head, static_cast<std::uint64_t>(size), layout);
}
}  // namespace

bool ReadBmp24Size(const std::string& path, int& width, int& height) {
  std::ifstream in;
  BmpLayout layout;
  if (!OpenBmp24(path, in, layout)) return false;
  width = layout.Width;
  height = layout.Height;
  return true;
}

bool LoadBmp24File(const std::string& path, Bitmap24& out) {
  std::ifstream in;
  BmpLayout layout;
  if (!OpenBmp24(path, in, layout)) return false;
  out.Resize(layout.Width, layout.Height);
  in.seekg(static_cast<std::streamoff>(layout.Offset));
  const std::size_t pixelBytes = static_cast<std::size_t>(layout.Stride) * layout.Height;
  if (!layout.TopDown) {
    // Our own files: bottom-up rows with the image's stride, read straight into its memory.
    if (!in.read(reinterpret_cast<char*>(out.Bits()), static_cast<std::streamsize>(pixelBytes))) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(3) * static_cast<std::size_t>(layout.Width);
    for (int y = 0; y < layout.Height; ++y)
      std::memset(out.Row(y) + rowBytes, 0, static_cast<std::size_t>(layout.Stride) - rowBytes);
    return true;
  }
  std::string pixels(pixelBytes, '\0');
  if (!in.read(pixels.data(), static_cast<std::streamsize>(pixelBytes))) return false;
  PlaceRows(pixels.data(), layout, out);
  return true;
}

bool IsValidIconFile(std::string_view bytes) {
  constexpr std::size_t kDir = 6;
  constexpr std::size_t kEntry = 16;
  if (bytes.size() < kDir) return false;
  if (Get16(bytes, 0) != 0 || Get16(bytes, 2) != 1) return false;
  const std::size_t count = Get16(bytes, 4);
  if (count == 0) return false;
  const std::uint64_t images = kDir + kEntry * count;
  if (images > bytes.size()) return false;
  static constexpr char kPng[] = "\x89PNG\r\n\x1A\n";
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kDir + kEntry * i;
    const std::uint64_t size = Get32(bytes, entry + 8);
    const std::uint64_t offset = Get32(bytes, entry + 12);
    if (offset < images || offset + size > bytes.size()) return false;
    const std::string_view image = bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
    const bool dib = image.size() >= kBmpInfoHeader && Get32(image, 0) == kBmpInfoHeader;
    const bool png = image.size() >= 8 && image.substr(0, 8) == std::string_view(kPng, 8);
    if (!dib && !png) return false;
  }
  return true;
}

bool IsLeftoverTemporaryFile(std::string_view name, bool inSettingsFolder) {
  const std::size_t infix = name.rfind(kTemporaryInfix);
  if (infix == std::string_view::npos) return false;
  std::string_view pid = name.substr(infix + kTemporaryInfix.size());
  if (TakeNumber(pid) < 1 || !pid.empty()) return false;
  const std::string_view target = name.substr(0, infix);
  if (inSettingsFolder) return IsSettingsFileName(target);
  return target == "tessara.ini" || target == "tswin.ini";
}

void RemoveLeftoverTemporaryFiles(const std::string& programFolder) {
  for (const bool settings : {false, true}) {
    const std::string folder = settings ? SettingsFolder(programFolder) : programFolder;
    for (const std::string& name : FileNamesIn(folder))
      if (IsLeftoverTemporaryFile(name, settings)) DeleteFileAt(folder + name);
  }
}

void SaveFileOrThrow(const std::string& path, std::string_view bytes) {
  if (!WriteFileAtomic(path, bytes)) throw Error("Cannot create file " + path);
}

}  // namespace tessara
