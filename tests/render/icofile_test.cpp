#include "render/icofile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using tessara::EncodeIcon;
using tessara::IconDepth;
using tessara::IconEntry;
using tessara::IconImage;

std::uint32_t U8(const std::string& b, std::size_t at) { return static_cast<unsigned char>(b.at(at)); }
std::uint32_t U16(const std::string& b, std::size_t at) { return U8(b, at) | U8(b, at + 1) << 8; }
std::uint32_t U32(const std::string& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

IconImage Image(int width, int height, std::vector<std::uint32_t> pixels) {
  return IconImage{width, height, std::move(pixels)};
}

// Offsets of one image's parts inside the file, from its directory entry.
struct Layout {
  std::size_t header, colours, mask;
};
Layout ImageAt(const std::string& file, int entry, std::size_t paletteBytes, std::size_t colourBytes) {
  const std::size_t header = U32(file, 6 + 16 * entry + 12);
  return {header, header + 40 + paletteBytes, header + 40 + paletteBytes + colourBytes};
}

TEST(IconFile, DirectoryListsEachImageWithItsSizeDepthAndOffset) {
  const std::string file = EncodeIcon({
      {Image(2, 2, std::vector<std::uint32_t>(4, 0xFF112233)), IconDepth::Argb32},
      {Image(3, 1, std::vector<std::uint32_t>(3, 0xFFFF0000)), IconDepth::Indexed4},
  });
  EXPECT_EQ(U16(file, 0), 0u);
  EXPECT_EQ(U16(file, 2), 1u);  // an icon, not a cursor
  EXPECT_EQ(U16(file, 4), 2u);

  // 32-bit 2 x 2: header 40, colour rows 8 bytes, mask rows padded to 4 bytes.
  const std::uint32_t first = 40 + 2 * 8 + 2 * 4;
  // 4-bit 3 x 1: header 40, palette 64, one colour row padded to 4, one mask row of 4.
  const std::uint32_t second = 40 + 64 + 4 + 4;
  const struct {
    std::size_t at;
    std::uint32_t width, height, colours, bits, bytes, offset;
  } expected[] = {{6, 2, 2, 0, 32, first, 38}, {22, 3, 1, 16, 4, second, 38 + first}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.at);
    EXPECT_EQ(U8(file, e.at), e.width);
    EXPECT_EQ(U8(file, e.at + 1), e.height);
    EXPECT_EQ(U8(file, e.at + 2), e.colours);
    EXPECT_EQ(U8(file, e.at + 3), 0u);
    EXPECT_EQ(U16(file, e.at + 4), 1u);
    EXPECT_EQ(U16(file, e.at + 6), e.bits);
    EXPECT_EQ(U32(file, e.at + 8), e.bytes);
    EXPECT_EQ(U32(file, e.at + 12), e.offset);
  }
  EXPECT_EQ(file.size(), 38u + first + second);
}

TEST(IconFile, ThirtyTwoBitImageStoresBottomRowFirstInBgraWithMaskForClearPixels) {
  // Top row: opaque red, clear; bottom row: half-transparent green, opaque blue.
  const std::string file =
      EncodeIcon({{Image(2, 2, {0xFFFF0000, 0x00ABCDEF, 0x6400FF00, 0xFF0000FF}), IconDepth::Argb32}});
  const Layout l = ImageAt(file, 0, 0, 16);
  EXPECT_EQ(U32(file, l.header), 40u);
  EXPECT_EQ(U32(file, l.header + 4), 2u);
  EXPECT_EQ(U32(file, l.header + 8), 4u);  // colour and mask heights together
  EXPECT_EQ(U16(file, l.header + 12), 1u);
  EXPECT_EQ(U16(file, l.header + 14), 32u);
  EXPECT_EQ(U32(file, l.header + 16), 0u);
  EXPECT_EQ(U32(file, l.header + 20), 16u + 8u);

  EXPECT_EQ(U32(file, l.colours), 0x6400FF00u);       // bottom row first, alpha kept
  EXPECT_EQ(U32(file, l.colours + 4), 0xFF0000FFu);
  EXPECT_EQ(U32(file, l.colours + 8), 0xFFFF0000u);       // then the top row
  EXPECT_EQ(U32(file, l.colours + 12), 0u);           // a fully clear pixel is zeroed
  // Mask: bottom row has the half-transparent pixel clear, top row its second pixel.
  EXPECT_EQ(U8(file, l.mask), 0x80u);
  EXPECT_EQ(U8(file, l.mask + 4), 0x40u);
  EXPECT_EQ(l.mask + 8, file.size());
}

TEST(IconFile, SixteenColourImagePacksNearestPaletteIndicesTwoToAByte) {
  // Near-white, near-maroon, clear; one row of 3 pixels.
  const std::string file = EncodeIcon({{Image(3, 1, {0xFFF0F0F0, 0xFF900000, 0x00FFFFFF}), IconDepth::Indexed4}});
  const Layout l = ImageAt(file, 0, 64, 4);
  EXPECT_EQ(U16(file, l.header + 14), 4u);
  EXPECT_EQ(U32(file, l.header + 32), 16u);  // colours used
  // Palette entries are blue, green, red, zero: entry 9 is pure red, entry 12 pure blue.
  EXPECT_EQ(U32(file, l.header + 40 + 4 * 9), 0x00FF0000u);
  EXPECT_EQ(U32(file, l.header + 40 + 4 * 12), 0x000000FFu);
  EXPECT_EQ(U8(file, l.colours), 0xF1u);     // white (15), maroon (1)
  EXPECT_EQ(U8(file, l.colours + 1), 0x00u);  // the clear pixel stays black
  EXPECT_EQ(U8(file, l.colours + 2), 0u);     // row padding
  EXPECT_EQ(U8(file, l.mask), 0x20u);
}

TEST(IconFile, TwentyFourBitRowsArePaddedAndClearPixelsAreBlack) {
  const std::string file = EncodeIcon({{Image(3, 1, {0xFF102030, 0x7F405060, 0xFFFFFFFF}), IconDepth::Rgb24}});
  const Layout l = ImageAt(file, 0, 0, 12);
  const std::vector<std::uint32_t> row = {0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0};
  for (std::size_t i = 0; i < row.size(); ++i) EXPECT_EQ(U8(file, l.colours + i), row[i]) << i;
  EXPECT_EQ(U8(file, l.mask), 0x40u);
  EXPECT_EQ(l.mask + 4, file.size());
}

TEST(IconFile, NearestStandardColourPicksTheClosestOfSixteen) {
  const struct {
    std::uint32_t colour;
    int index;
  } cases[] = {{0x000000, 0}, {0x7F0000, 1}, {0x00FF10, 10}, {0xC8C8C8, 7}, {0x909090, 8}, {0xF0F0F0, 15}, {0x0000E0, 12}};
  for (const auto& c : cases) EXPECT_EQ(tessara::NearestStandardColour(c.colour), c.index) << std::hex << c.colour;
}

TEST(IconFile, SizesOutsideTheFormatAreRefusedAnd256IsWrittenAsZero) {
  EXPECT_THROW(EncodeIcon({}), std::invalid_argument);
  EXPECT_THROW(EncodeIcon({{Image(0, 0, {}), IconDepth::Argb32}}), std::invalid_argument);
  EXPECT_THROW(EncodeIcon({{Image(257, 1, std::vector<std::uint32_t>(257)), IconDepth::Argb32}}), std::invalid_argument);
  EXPECT_THROW(EncodeIcon({{Image(2, 2, std::vector<std::uint32_t>(3)), IconDepth::Argb32}}), std::invalid_argument);

  const std::string file = EncodeIcon({{Image(256, 1, std::vector<std::uint32_t>(256)), IconDepth::Argb32}});
  EXPECT_EQ(U8(file, 6), 0u);
  EXPECT_EQ(U8(file, 7), 1u);
}

}  // namespace
