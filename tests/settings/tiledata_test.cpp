#include "settings/tiledata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "render/icofile.h"
#include "settings/atomicfile.h"
#include "shell/error.h"
#include "testutil.h"

namespace {

using namespace tessara;
namespace rec = tessara::tilerecord;

std::uint32_t U8(const std::string& b, std::size_t at) { return static_cast<unsigned char>(b.at(at)); }
std::uint32_t U16(const std::string& b, std::size_t at) { return U8(b, at) | U8(b, at + 1) << 8; }
std::uint32_t U32(const std::string& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }
void Set32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

void Fill(TTileRecord& t, std::string file, std::string desc, std::string startIn, std::string iconFile,
          std::uint16_t index, std::uint8_t lib, std::uint8_t drive) {
  t.Filename = std::move(file);
  t.Description = std::move(desc);
  t.StartIn = std::move(startIn);
  t.IconFile = std::move(iconFile);
  t.IconIndex = index;
  t.LibIcon = lib;
  t.Drive = drive;
}

std::string Record(int col, int row, const TTileRecord& t) {
  std::string r(kTileRecordSize, '\x55');
  EncodeTileRecord(col, row, t, r.data());
  return r;
}

std::string OneTile(int col, int row, const std::string& filename = "C:\\x.exe") {
  TTileRecord t;
  t.Filename = filename;
  return Record(col, row, t);
}

// The bytes of a text field: length, text, zeros to the end of the field.
void ExpectText(const std::string& r, std::size_t at, std::size_t field, const std::string& text) {
  ASSERT_EQ(U8(r, at), text.size());
  EXPECT_EQ(r.substr(at + 1, text.size()), text);
  EXPECT_EQ(r.substr(at + 1 + text.size(), field - 1 - text.size()), std::string(field - 1 - text.size(), '\0'));
}

TEST(TileDataFormat, TwoTilesOfAFourByFourGridMakeTwoRecordsInCellOrder) {
  TileGrid m;
  // Filled in reverse visiting order: the file must still start with (1,1).
  Fill(m.Tile(3, 2), "C:\\Tools\\b.exe", std::string(45, 'd'), "C:\\Tools", "C:\\Tools\\b.exe", 0x1234, 7, 0);
  Fill(m.Tile(1, 1), "EXPLORER.EXE C:\\", "Drive C:", "", "", 0, 0, 3);

  const std::string file = EncodeTileData(m);
  ASSERT_EQ(file.size(), 1642u);
  const std::string first = file.substr(0, kTileRecordSize);
  const std::string second = file.substr(kTileRecordSize);

  EXPECT_EQ(U32(first, 0), 1u);
  EXPECT_EQ(U32(first, 4), 1u);
  ExpectText(first, 8, 256, "EXPLORER.EXE C:\\");
  ExpectText(first, 264, 41, "Drive C:");
  EXPECT_EQ(U8(first, 820), 3u);

  EXPECT_EQ(U32(second, 0), 3u);
  EXPECT_EQ(U32(second, 4), 2u);
  ExpectText(second, 8, 256, "C:\\Tools\\b.exe");
  ExpectText(second, 264, 41, std::string(40, 'd'));
  ExpectText(second, 305, 256, "C:\\Tools");
  ExpectText(second, 561, 256, "C:\\Tools\\b.exe");
  EXPECT_EQ(U8(second, 817), 0x34u);
  EXPECT_EQ(U8(second, 818), 0x12u);
  EXPECT_EQ(U8(second, 819), 7u);
  EXPECT_EQ(U8(second, 820), 0u);
}

TEST(TileDataFormat, RecordOverwritesEveryByteAndCutsTextsToCapacity) {
  TTileRecord t;
  Fill(t, std::string(300, 'f'), std::string(41, 'e'), std::string(256, 's'), std::string(255, 'i'), 0xFFFF,
       255, 26);
  const std::string r = Record(64, 64, t);
  EXPECT_EQ(r.find('\x55'), std::string::npos);
  EXPECT_EQ(U32(r, rec::kCol), 64u);
  EXPECT_EQ(U32(r, rec::kRow), 64u);
  ExpectText(r, rec::kFilename, 256, std::string(255, 'f'));
  ExpectText(r, rec::kDescription, 41, std::string(40, 'e'));
  ExpectText(r, rec::kStartIn, 256, std::string(255, 's'));
  ExpectText(r, rec::kIconFile, 256, std::string(255, 'i'));
  EXPECT_EQ(U16(r, rec::kIconIndex), 0xFFFFu);
  EXPECT_EQ(U8(r, rec::kLibIcon), 255u);
  EXPECT_EQ(U8(r, rec::kDrive), 26u);
}

TEST(TileDataFormat, EmptyWindowGivesEmptyFileAndTilesBeyondGridAreKept) {
  TileGrid m;
  EXPECT_TRUE(EncodeTileData(m).empty());

  m.Tile(64, 64).Filename = "far.exe";
  m.Tile(3, 2).Filename = "outside.exe";
  m.Tile(2, 1).Description = "no file name: empty";
  const std::string file = EncodeTileData(m);
  ASSERT_EQ(file.size(), 2 * kTileRecordSize);
  EXPECT_EQ(U32(file, 0), 3u);
  EXPECT_EQ(U32(file, kTileRecordSize), 64u);
  EXPECT_EQ(U32(file, kTileRecordSize + 4), 64u);
}

TEST(TileDataFormat, DecodingSkipsOnlyRecordsForCellsOutsideTheArray) {
  auto corrupt = [](std::size_t at, char length) {
    std::string r = OneTile(2, 2);
    r[at] = length;
    return r;
  };
  auto at = [](int col, int row) {
    std::string r = OneTile(1, 1);
    Set32(r, rec::kCol, static_cast<std::uint32_t>(col));
    Set32(r, rec::kRow, static_cast<std::uint32_t>(row));
    return r;
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::pair<int, int>> cells;
  } cases[] = {
      {"empty file", "", {}},
      {"short file", OneTile(1, 1).substr(0, 820), {}},
      {"trailing piece", OneTile(4, 5) + OneTile(1, 1).substr(0, 400), {{4, 5}}},
      {"column 0", at(0, 1), {}},
      {"row 65", at(1, 65), {}},
      {"column 65", at(65, 3), {}},
      {"column 257 is column 1", at(257, 2), {{1, 2}}},
      {"row -255 is row 1", at(3, -255), {{3, 1}}},
      {"column 256 is column 0", at(256, 2), {}},
      {"file name length 255 fits", corrupt(rec::kFilename, '\xFF'), {{2, 2}}},
      {"description length 40", corrupt(rec::kDescription, 40), {{2, 2}}},
      {"bad record among good ones", OneTile(1, 1) + at(1, 99) + OneTile(1, 2), {{1, 1}, {1, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto tiles = DecodeTileData(c.bytes);
    ASSERT_EQ(tiles.size(), c.cells.size());
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      EXPECT_EQ(tiles[i].Col, c.cells[i].first);
      EXPECT_EQ(tiles[i].Row, c.cells[i].second);
      EXPECT_FALSE(tiles[i].Tile.Filename.empty());
    }
  }
}

TEST(TileDataFormat, OverlongDescriptionIsCutAndOddDriveIsNone) {
  TTileRecord t;
  Fill(t, "a.exe", "", "C:\\start", "C:\\icons.dll", 7, 2, 3);
  std::string r = Record(5, 6, t);
  r[rec::kDescription] = static_cast<char>(99);  // runs into the StartIn field
  for (std::size_t i = 1; i <= 40; ++i) r[rec::kDescription + i] = 'd';
  struct Case {
    std::uint8_t drive, expected;
  } drives[] = {{0, 0}, {26, 26}, {27, 0}, {255, 0}};
  for (const Case& c : drives) {
    r[rec::kDrive] = static_cast<char>(c.drive);
    const auto tiles = DecodeTileData(r);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].Col, 5);
    EXPECT_EQ(tiles[0].Tile.Description, std::string(40, 'd'));
    EXPECT_EQ(tiles[0].Tile.StartIn, "C:\\start");
    EXPECT_EQ(tiles[0].Tile.IconIndex, 7);
    EXPECT_EQ(tiles[0].Tile.Drive, c.expected) << int(c.drive);
  }
  r[rec::kDescription + 40] = '\xC3';  // a character the field cannot finish
  EXPECT_EQ(DecodeTileData(r).at(0).Tile.Description, std::string(39, 'd'));
}

TEST(TextCut, EndsOnACharacterBoundaryOfEachKindOfCodePage) {
  const CodePageRule utf8 = CodePageRule::Utf8Rule(), single = CodePageRule::ByLeadBytes([](unsigned char) { return false; });
  // Shift-JIS; "\x88\x9F" is one character whose trail byte is also a lead byte.
  const CodePageRule dbcs = CodePageRule::ByLeadBytes([](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; });
  std::string kanji;
  for (int i = 0; i < 20; ++i) kanji += "\x88\x9F";
  const std::string a36(36, 'a'), a38(38, 'a'), a39(39, 'a');
  const struct { const char* what; std::string text; const CodePageRule& rule; std::size_t kept; } rows[] = {
      {"empty", "", utf8, 0}, {"exactly 40", a39 + "b", utf8, 40}, {"41", a39 + "bc", utf8, 40},
      {"UTF-8 pair across the cut", a39 + "\xC3\xA9", utf8, 39},
      {"UTF-8 triple across the cut", a38 + "\xE2\x82\xAC", utf8, 38},
      {"UTF-8 four bytes ending at the cut", a36 + "\xF0\x9F\x98\x80" + "x", utf8, 40},
      {"UTF-8 lead byte last, another field beyond", a39 + "\xC3" + "\x08", utf8, 39},
      {"double-byte lead at the cut", "x" + kanji, dbcs, 39},
      {"double-byte trail at the cut", kanji + "x", dbcs, 40},
      {"single-byte code page cuts by bytes", a39 + "\xE9\xA9", single, 40},
  };
  for (const auto& r : rows) EXPECT_EQ(CharacterCut(r.text, 40, r.rule), r.kept) << r.what;
}

TEST(TileDataFormat, RecordWithoutFileNameEmptiesItsCell) {
  TTileRecord blank;
  blank.Description = "left over";
  blank.Drive = 3;
  const auto tiles = DecodeTileData(OneTile(2, 3, "old.exe") + Record(2, 3, blank) + OneTile(4, 4));
  ASSERT_EQ(tiles.size(), 3u);
  TileGrid m;
  for (const auto& t : tiles) m.Tile(t.Col, t.Row).AssignFields(t.Tile);
  const TTileRecord& cell = m.Tile(2, 3);
  EXPECT_TRUE(cell.Empty());
  EXPECT_EQ(cell.Description, "");
  EXPECT_EQ(cell.Drive, 0);
  EXPECT_EQ(m.Tile(4, 4).Filename, "C:\\x.exe");
}

TEST(TileDataFormat, LaterRecordForTheSameCellComesLater) {
  const auto tiles = DecodeTileData(OneTile(2, 3, "old.exe") + OneTile(1, 1) + OneTile(2, 3, "new.exe"));
  ASSERT_EQ(tiles.size(), 3u);
  TileGrid m;
  for (const auto& t : tiles) m.Tile(t.Col, t.Row).AssignFields(t.Tile);
  EXPECT_EQ(m.Tile(2, 3).Filename, "new.exe");
}

TEST(TileDataFormat, RoundTripOfRandomTiles) {
  std::mt19937 rng(20240611);
  auto text = [&](std::size_t maxLen) {
    std::string s(rng() % (maxLen + 1), '\0');
    for (char& ch : s) ch = static_cast<char>(1 + rng() % 255);  // any ANSI byte but zero
    return s;
  };
  for (int round = 0; round < 5; ++round) {
    TileGrid m;
    for (int i = 0; i < 200; ++i) {
      const int col = 1 + static_cast<int>(rng() % 64), row = 1 + static_cast<int>(rng() % 64);
      std::string file = text(300);
      if (file.empty()) file = "x";
      Fill(m.Tile(col, row), file, text(60), text(300), text(300), static_cast<std::uint16_t>(rng()),
           static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng() % 27));
    }
    TileGrid back;
    std::string beside, bytes = EncodeTileData(m, &beside);
    for (const auto& t : DecodeTileData(bytes, beside)) back.Tile(t.Col, t.Row).AssignFields(t.Tile);
    for (int col = 1; col <= kGridMax; ++col)
      for (int row = 1; row <= kGridMax; ++row) {
        const TTileRecord& a = m.Tile(col, row);
        const TTileRecord& b = back.Tile(col, row);
        ASSERT_EQ(b.Filename, FitText(a.Filename, kFilenameCap)) << col << "," << row;
        if (a.Empty()) continue;
        EXPECT_EQ(b.Description, FitText(a.Description, kDescriptionCap));
        EXPECT_EQ(b.StartIn, FitText(a.StartIn, kStartInCap));
        EXPECT_EQ(b.IconFile, FitText(a.IconFile, kIconFileCap));
        EXPECT_EQ(b.IconIndex, a.IconIndex);
        EXPECT_EQ(b.LibIcon, a.LibIcon);
        EXPECT_EQ(b.Drive, a.Drive);
      }
  }
}

std::string Times(int n, const std::string& text) { return n > 0 ? text + Times(n - 1, text) : ""; }

TEST(TileFileBoundary, RecordsHoldTheLegacyFormAndTheNamesFileTheRest) {
  const tessara::testing::Latin1Codec codec;
  const ScopedFileCodec scoped(codec);
  const struct { std::string file, description, fileBytes, descriptionBytes; bool beside; } rows[] = {
      {"C:\\Tools\\a.exe", "Tool", "C:\\Tools\\a.exe", "Tool", false},
      {"C:\\Café\\menü.exe", "Über", "C:\\Caf\xE9\\men\xFC.exe", "\xDC" "ber", false},
      {"C:\\Ελλάδα.exe", "Ελλάδα", "C:\\??????.exe", "??????", true},
      {"C:\\文档\\报告.txt", "报告", "C:\\??\\??.txt", "??", true},
      {"C:\\x.exe", "😀 fun\t%", "C:\\x.exe", "? fun\t%", true},
      {Times(255, "à"), Times(40, "é"), std::string(255, '\xE0'), std::string(40, '\xE9'), false},
      {"C:\\x.exe", Times(41, "é"), "C:\\x.exe", std::string(40, '\xE9'), true},  // longer than its field
  };
  for (const auto& r : rows) {
    TileGrid grid;
    Fill(grid.Tile(2, 3), r.file, r.description, "", "", 0, 0, 0);
    std::string beside, bytes = EncodeTileData(grid, &beside);
    ExpectText(bytes, rec::kFilename, 256, r.fileBytes);
    ExpectText(bytes, rec::kDescription, 41, r.descriptionBytes);
    EXPECT_EQ(!beside.empty(), r.beside);
    EXPECT_EQ(DecodeTileData(bytes, beside).at(0).Tile.Filename + "|" + DecodeTileData(bytes, beside).at(0).Tile.Description,
              r.file + "|" + r.description);
    // A cell an earlier build changed keeps that build's text, in the field it changed only.
    bytes.replace(rec::kFilename, 9, "\x08" "C:\\y.exe");
    EXPECT_EQ(DecodeTileData(bytes, beside).at(0).Tile.Filename + DecodeTileData(bytes, beside).at(0).Tile.Description,
              "C:\\y.exe" + r.description);
  }
}

TEST(TileFileBoundary, AnEarlierBuildsFileComesBackByteForByte) {
  TileGrid earlier;  // written with its texts' bytes as they are
  Fill(earlier.Tile(1, 1), "C:\\Caf\xE9\\a.exe", std::string(40, '\xFC'), "C:\\Caf\xE9", "C:\\i\xF1.dll", 3, 0, 0);
  Fill(earlier.Tile(4, 2), "EXPLORER.EXE C:\\", "Drive C:", "", "", 0, 2, 3);
  const std::string bytes = EncodeTileData(earlier);
  tessara::testing::Latin1Codec codec;
  const ScopedFileCodec scoped(codec);
  TileGrid grid;
  for (const auto& t : DecodeTileData(bytes)) grid.Tile(t.Col, t.Row).AssignFields(t.Tile);
  EXPECT_EQ(grid.Tile(1, 1).Description, Times(40, "ü")) << "forty characters of eighty bytes";
  std::string beside;
  EXPECT_EQ(EncodeTileData(grid, &beside) + beside, bytes);
}

TEST(TileDataFileNames, UseTheFoldersOwnSeparatorAndPlainDecimals) {
  EXPECT_EQ(TileDataFile("C:\\Apps\\Tessara\\", 3), "C:\\Apps\\Tessara\\settings\\tessara3.dat");
  EXPECT_EQ(IconCacheFile("C:\\T\\", 3, 2, 5), "C:\\T\\settings\\tessara3_2_5.ico");
  EXPECT_EQ(LayerCacheFile("C:\\T\\", 16, 0), "C:\\T\\settings\\tessara16_0.bmp");
  EXPECT_EQ(TileDataFile("/opt/t/", 10), "/opt/t/settings/tessara10.dat");
  EXPECT_EQ(IconCacheFile("/opt/t/", 2, 64, 10), "/opt/t/settings/tessara2_64_10.ico");
  EXPECT_EQ(LayerCacheFile("/opt/t/", 1, 2), "/opt/t/settings/tessara1_2.bmp");
}

// --- layer cache bitmaps ---

Bitmap24 Pattern(int w, int h) {
  Bitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k) b.Pixel(x, y)[k] = static_cast<std::uint8_t>(x * 7 + y * 13 + k * 101);
  return b;
}

void ExpectSamePixels(const Bitmap24& a, const Bitmap24& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(a.Row(y)), 3 * a.Width()),
              std::string(reinterpret_cast<const char*>(b.Row(y)), 3 * b.Width()))
        << "row " << y;
}

TEST(Bmp24File, HeadersAndRoundTripWithRowPadding) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 7}, {76, 112}, {33, 4}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Bitmap24 image = Pattern(w, h);
    const std::string file = EncodeBmp24(image);
    const std::size_t stride = static_cast<std::size_t>((3 * w + 3) / 4 * 4);
    ASSERT_EQ(file.size(), 54 + stride * h);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(U32(file, 2), file.size());
    EXPECT_EQ(U32(file, 10), 54u);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), static_cast<std::uint32_t>(w));
    EXPECT_EQ(U32(file, 22), static_cast<std::uint32_t>(h));
    EXPECT_EQ(U16(file, 26), 1u);
    EXPECT_EQ(U16(file, 28), 24u);
    EXPECT_EQ(U32(file, 30), 0u);
    // The bottom row comes first.
    EXPECT_EQ(U8(file, 54), image.Pixel(0, h - 1)[0]);

    Bitmap24 back;
    ASSERT_TRUE(DecodeBmp24(file, back));
    ExpectSamePixels(image, back);
  }
}

TEST(Bmp24File, ReadsTopDownFiles) {
  const Bitmap24 image = Pattern(5, 3);
  std::string file = EncodeBmp24(image);
  // Reverse the stored rows and negate the height.
  const std::size_t stride = 16;
  std::string flipped = file.substr(0, 54);
  for (int i = 2; i >= 0; --i) flipped += file.substr(54 + stride * i, stride);
  Set32(flipped, 22, static_cast<std::uint32_t>(-3));
  Bitmap24 back;
  ASSERT_TRUE(DecodeBmp24(flipped, back));
  ExpectSamePixels(image, back);
}

TEST(Bmp24File, RejectsShortCorruptAndOtherFilesWithoutTouchingTheImage) {
  const std::string good = EncodeBmp24(Pattern(6, 5));
  auto with32 = [&](std::size_t at, std::uint32_t v) {
    std::string f = good;
    Set32(f, at, v);
    return f;
  };
  auto with16 = [&](std::size_t at, std::uint32_t v) {
    std::string f = good;
    f[at] = static_cast<char>(v & 0xFF);
    f[at + 1] = static_cast<char>(v >> 8);
    return f;
  };
  std::string bits8 = with16(28, 8);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"header only", good.substr(0, 53)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"not BM", "XM" + good.substr(2)},
      {"8 bits per pixel", bits8},
      {"32 bits per pixel", with16(28, 32)},
      {"compressed", with32(30, 1)},
      {"two planes", with16(26, 2)},
      {"width 0", with32(18, 0)},
      {"negative width", with32(18, static_cast<std::uint32_t>(-6))},
      {"height 0", with32(22, 0)},
      {"height INT_MIN", with32(22, 0x80000000u)},
      {"huge width", with32(18, 0x7FFFFFFFu)},
      {"huge height", with32(22, 0x40000000u)},
      {"side just over the limit", with32(18, kMaxBmpSide + 1)},
      {"taller than the pixels", with32(22, 6)},
      {"pixel offset past the end", with32(10, 0xFFFFFFF0u)},
      {"pixel offset inside the header", with32(10, 20)},
      {"header size below 40", with32(14, 12)},
      {"header size past the end", with32(14, 0xFFFFFFFFu)},
      {"file size beyond the bytes", with32(2, static_cast<std::uint32_t>(good.size() + 1))},
      {"image size too small", with32(34, 20)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap24 out = Pattern(2, 2);
    EXPECT_FALSE(DecodeBmp24(c.bytes, out));
    EXPECT_EQ(out.Width(), 2);
    EXPECT_EQ(out.Height(), 2);
  }
}

TEST(Bmp24File, AcceptsZeroImageSizeAndLargerHeaders) {
  const Bitmap24 image = Pattern(3, 3);
  std::string file = EncodeBmp24(image);
  Set32(file, 34, 0);  // allowed for uncompressed files
  Bitmap24 back;
  ASSERT_TRUE(DecodeBmp24(file, back));
  ExpectSamePixels(image, back);

  // A 124-byte header: the pixels follow it.
  std::string v5 = file.substr(0, 54) + std::string(84, '\0') + file.substr(54);
  Set32(v5, 14, 124);
  Set32(v5, 10, 14 + 124);
  Set32(v5, 2, static_cast<std::uint32_t>(v5.size()));
  Bitmap24 back5;
  ASSERT_TRUE(DecodeBmp24(v5, back5));
  ExpectSamePixels(image, back5);
}

// --- cached icons ---

std::string SampleIcon() {
  return EncodeIcon({{IconImage{32, 32, std::vector<std::uint32_t>(32 * 32, 0xFF336699)}, IconDepth::Argb32},
                     {IconImage{16, 16, std::vector<std::uint32_t>(16 * 16, 0xFF000000)}, IconDepth::Indexed4}});
}

TEST(IconCacheFileCheck, AcceptsWrittenIconsAndPng) {
  EXPECT_TRUE(IsValidIconFile(SampleIcon()));
  std::string png = std::string("\0\0\1\0\1\0", 6) + std::string(8, '\0') + std::string(8, '\0');
  png += "\x89PNG\r\n\x1A\n";
  png += "rest";
  Set32(png, 6 + 8, 12);
  Set32(png, 6 + 12, 22);
  EXPECT_TRUE(IsValidIconFile(png));
}

TEST(IconCacheFileCheck, RejectsTruncatedAndCorruptFiles) {
  const std::string good = SampleIcon();
  auto with = [&](std::size_t at, std::uint32_t v, int bytes) {
    std::string f = good;
    for (int k = 0; k < bytes; ++k) f[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    return f;
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"directory cut", good.substr(0, 5)},
      {"entries cut", good.substr(0, 30)},
      {"last image cut", good.substr(0, good.size() - 1)},
      {"reserved not zero", with(0, 1, 2)},
      {"a cursor", with(2, 2, 2)},
      {"no images", with(4, 0, 2)},
      {"more entries than bytes", with(4, 500, 2)},
      {"offset into the directory", with(6 + 12, 6, 4)},
      {"offset overflow", with(6 + 12, 0xFFFFFFFFu, 4)},
      {"size overflow", with(6 + 8, 0xFFFFFFFFu, 4)},
      {"image is neither bitmap nor png", with(38, 0x12345678u, 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(IsValidIconFile(c.bytes));
  }
}

// --- saving ---

TEST(TileDataSave, WritesBytesOrThrowsWithTheFileName) {
  tessara::testing::TempFolder folder;
  const std::string path = folder.Path() + "tessara1.dat";
  const std::string bytes("a\0b", 3);
  SaveFileOrThrow(path, bytes);
  EXPECT_EQ(tessara::testing::ReadText(path), bytes);

  const std::string missing = folder.Path() + "no such folder/tessara1_0.bmp";
  try {
    SaveFileOrThrow(missing, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
  }
}

// Only the exact names a cut-short save leaves go; near misses, real files and folders stay.
TEST(LeftoverTemporaryFiles, AreRemovedAtStartAndNothingElse) {
  struct Case { std::string name; bool settings; bool removed; } const cases[] = {
      {"tswin.ini.tmp4242", false, true}, {"tessara.ini.tmp1", false, true}, {"tswin.ini", false, false},
      {"tswin.ini.tmp", false, false}, {"tswin.ini.tmp12a", false, false}, {"tswin.ini.tmp012", false, false},
      {"tswin.ini.tmp0", false, false}, {"tswin.ini.TMP12", false, false}, {"tswin.ini.tmp12.bak", false, false},
      {"notes.ini.tmp12", false, false}, {"xtswin.ini.tmp12", false, false}, {"tessara3.dat.tmp7", false, false},
      {"tessara3.dat.tmp7", true, true}, {"tessara16_64_64.ico.tmp1", true, true}, {"tessara2_0.bmp.tmp9", true, true},
      {"tessara2_2.bmp.tmp4294967295", true, true}, {"tessara2_3.bmp.tmp9", true, false},
      {"tswin.ini.tmp5", true, false}, {"tessara0.dat.tmp7", true, false}, {"tessara3_0_1.ico.tmp7", true, false},
      {"tessara3_1.ico.tmp7", true, false}, {"tessara3.dat.tmp12345678901", true, false}, {"tessara3.dat", true, false},
      {"tessara3.utf8.tmp7", true, true}, {"tessara3.utf8x.tmp7", true, false}};
  tessara::testing::TempFolder folder;
  const std::string settings = folder.Path() + "settings/";
  std::filesystem::create_directories(settings + "sub");
  std::filesystem::create_directory(settings + "tessara9.dat.tmp8");
  tessara::testing::WriteText(settings + "sub/tessara1.dat.tmp8", "x");
  for (const Case& c : cases) tessara::testing::WriteText((c.settings ? settings : folder.Path()) + c.name, "x");
  RemoveLeftoverTemporaryFiles(folder.Path());
  for (const Case& c : cases)
    EXPECT_NE(FileExists((c.settings ? settings : folder.Path()) + c.name), c.removed) << c.name << " " << c.settings;
  EXPECT_TRUE(DirectoryExists(settings + "tessara9.dat.tmp8") && FileExists(settings + "sub/tessara1.dat.tmp8"));
}

}  // namespace

namespace tessara {
namespace {

// The file reader must give exactly what the in-memory decoder gives, and refuse the same.
TEST(Bmp24File, FileReaderAgreesWithTheDecoder) {
  const std::string path = std::filesystem::temp_directory_path().string() + "/tessara_bmp_reader_" +
                           std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".bmp";
  const Bitmap24 image = Pattern(7, 5);  // odd width: padded rows
  const std::string good = EncodeBmp24(image);
  std::string topDown = good.substr(0, 54);
  const std::size_t stride = 24;
  for (int i = 4; i >= 0; --i) topDown += good.substr(54 + stride * i, stride);
  Set32(topDown, 22, static_cast<std::uint32_t>(-5));
  for (const std::string& bytes : {good, topDown}) {
    std::ofstream(path, std::ios::binary) << bytes;
    Bitmap24 back;
    ASSERT_TRUE(LoadBmp24File(path, back));
    ExpectSamePixels(image, back);
    EXPECT_EQ(back.Row(0)[21], 0) << "padding is zeroed";
  }
  for (const std::string& bad : {good.substr(0, good.size() - 1), good.substr(0, 40), std::string()}) {
    std::ofstream(path, std::ios::binary) << bad;
    Bitmap24 back;
    EXPECT_FALSE(LoadBmp24File(path, back)) << bad.size();
  }
  std::filesystem::remove(path);
  Bitmap24 none;
  EXPECT_FALSE(LoadBmp24File(path, none));
}

}  // namespace
}  // namespace tessara
