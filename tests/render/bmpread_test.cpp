#include "render/bmpread.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using tessara::Bitmap24;

std::string L16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string L32(std::uint32_t v) { return L16(v & 0xFFFF) + L16(v >> 16); }
std::string Bytes(std::initializer_list<int> b) { return std::string(b.begin(), b.end()); }

// A whole file: the 14-byte file header, then the info header, tables and pixels.
std::string File(const std::string& header, const std::string& tables, const std::string& pixels) {
  const auto off = static_cast<std::uint32_t>(14 + header.size() + tables.size());
  return "BM" + L32(off + static_cast<std::uint32_t>(pixels.size())) + L32(0) + L32(off) + header + tables + pixels;
}
// An info header of `size` bytes (40 and longer; 16 and 64 for OS/2 2.x); masks, when
// given, sit right after the first 40 bytes.
std::string Info(std::uint32_t size, int w, int h, int bits, int compression, std::uint32_t colors = 0,
                 const std::string& masks = "") {
  std::string s = L32(size) + L32(static_cast<std::uint32_t>(w)) + L32(static_cast<std::uint32_t>(h)) + L16(1) +
                  L16(static_cast<unsigned>(bits));
  if (size > 16) s += L32(static_cast<std::uint32_t>(compression)) + std::string(12, '\0') + L32(colors) + L32(0);
  s += masks;
  s.resize(size, '\0');
  return s;
}
// The 12-byte OS/2 1.x header.
std::string Core(int w, int h, int bits) { return L32(12) + L16(static_cast<unsigned>(w)) + L16(static_cast<unsigned>(h)) + L16(1) + L16(static_cast<unsigned>(bits)); }
// A palette whose entry i is blue i, green 2i, red 255 - i, in 3- or 4-byte entries.
std::string Ramp(int entries, int entrySize) {
  std::string s;
  for (int i = 0; i < entries; ++i) {
    s += Bytes({i, 2 * i & 0xFF, 255 - i});
    if (entrySize == 4) s += '\0';
  }
  return s;
}
std::string Masks(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a = 0) {
  return L32(r) + L32(g) + L32(b) + (a ? L32(a) : "");
}

using Bgr = std::array<int, 3>;
constexpr Bgr kRamp0{0, 0, 255}, kRamp1{1, 2, 254}, kRamp2{2, 4, 253};

struct Case {
  const char* name;
  std::string file;
  int width, height;      // 0: refused
  std::vector<Bgr> top;   // the pixels, top row first
};

TEST(BitmapFile, DecodesEveryDepthCompressionAndHeaderToTheWorkedPixels) {
  const Case cases[] = {
      {"1 bit, 40-byte header, bottom-up", File(Info(40, 3, 2, 1, 0, 2), Ramp(2, 4), Bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0})),
       3, 2, {kRamp0, kRamp1, kRamp0, kRamp1, kRamp0, kRamp1}},
      {"1 bit, OS/2 2.x 16-byte header", File(Info(16, 2, 1, 1, 0), Ramp(2, 4), Bytes({0x40, 0, 0, 0})), 2, 1,
       {kRamp0, kRamp1}},
      {"4 bits, OS/2 12-byte header, 3-byte palette", File(Core(2, 1, 4), Ramp(16, 3), Bytes({0x1F, 0, 0, 0})), 2, 1,
       {kRamp1, {15, 30, 240}}},
      {"8 bits, OS/2 12-byte header, 3-byte palette", File(Core(2, 1, 8), Ramp(256, 3), Bytes({1, 255, 0, 0})), 2, 1,
       {kRamp1, {255, 254, 0}}},
      {"8 bits, short palette: indexes beyond it are black", File(Info(40, 2, 1, 8, 0, 2), Ramp(2, 4), Bytes({1, 5, 0, 0})),
       2, 1, {kRamp1, {0, 0, 0}}},
      // Bottom row: run of two 1s, delta one right, one 2, end of line; top row: absolute
      // run 2 0 1 (padded), end of picture. Skipped pixels keep entry 0.
      {"run-length 8 bits with a delta and an absolute run",
       File(Info(40, 4, 2, 8, 1, 3), Ramp(3, 4),
            Bytes({2, 1, 0, 2, 1, 0, 1, 2, 0, 0, 0, 3, 2, 0, 1, 0, 0, 1})),
       4, 2, {kRamp2, kRamp0, kRamp1, kRamp0, kRamp1, kRamp1, kRamp0, kRamp2}},
      {"run-length 4 bits with an absolute run", File(Info(40, 6, 1, 4, 2, 3), Ramp(3, 4), Bytes({3, 0x12, 0, 3, 0x20, 0x10, 0, 1})),
       6, 1, {kRamp1, kRamp2, kRamp1, kRamp2, kRamp0, kRamp1}},
      // Green has six bits: 62 -> 251, 1 -> 4; red and blue five: 1 -> 8.
      {"16 bits 5-6-5 bit fields after a 40-byte header",
       File(Info(40, 5, 1, 16, 3), Masks(0xF800, 0x07E0, 0x001F), L16(0xFFFF) + L16(0x07C0) + L16(0x0020) + L16(0x0800) + L16(1) + L16(0)),
       5, 1, {{255, 255, 255}, {0, 251, 0}, {0, 4, 0}, {0, 0, 8}, {8, 0, 0}}},
      {"16 bits without masks is 5-5-5, 124-byte header", File(Info(124, 2, 1, 16, 0), "", L16(0x7FFF) + L16(0x0401)), 2, 1,
       {{255, 255, 255}, {8, 0, 8}}},
      {"16 bits 4-4-4-4 with alpha bit fields", File(Info(40, 1, 1, 16, 6), Masks(0x0F00, 0x00F0, 0x000F, 0xF000), L16(0xF18F) + L16(0)),
       1, 1, {{255, 136, 17}}},
      {"32 bits with an alpha mask, 108-byte header",
       File(Info(108, 1, 1, 32, 3, 0, Masks(0xFF0000, 0xFF00, 0xFF, 0xFF000000)), "", L32(0x80112233)), 1, 1, {{0x33, 0x22, 0x11}}},
      {"32 bits 10-10-10, 52-byte header",
       File(Info(52, 1, 1, 32, 3, 0, Masks(0x3FF00000, 0x000FFC00, 0x000003FF)), "", L32(0x3FF80001)), 1, 1, {{0, 128, 255}}},
      {"32 bits without masks ignores the top byte, 56-byte header", File(Info(56, 1, 1, 32, 0), "", L32(0xFF0A0B0C)), 1, 1,
       {{12, 11, 10}}},
      {"24 bits top-down, 64-byte OS/2 2.x header", File(Info(64, 1, -2, 24, 0), "", Bytes({1, 2, 3, 0, 4, 5, 6, 0})), 1, 2,
       {{1, 2, 3}, {4, 5, 6}}},
      {"24 bits, OS/2 12-byte header", File(Core(1, 1, 24), "", Bytes({7, 8, 9, 0})), 1, 1, {{7, 8, 9}}},
      // Refused: sizes beyond the cap (a few bytes declaring 768 MB), short pixels, odd kinds.
      {"run-length file declaring 16384 x 16384", File(Info(40, 16384, 16384, 8, 1), Ramp(256, 4), Bytes({0, 1})), 0, 0, {}},
      {"a side of 16385", File(Info(40, 16385, 1, 24, 0), "", std::string(49156, '\0')), 0, 0, {}},
      {"short pixel rows", File(Info(40, 2, 2, 24, 0), "", std::string(15, '\0')), 0, 0, {}},
      {"top-down run-length", File(Info(40, 1, -1, 8, 1, 1), Ramp(1, 4), Bytes({1, 0, 0, 1})), 0, 0, {}},
      {"OS/2 Huffman coding", File(Info(64, 1, 1, 1, 3), Ramp(2, 4), Bytes({0, 0, 0, 0})), 0, 0, {}},
      {"unknown header size 44", File(Info(44, 1, 1, 24, 0), "", Bytes({1, 2, 3, 0})), 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap24 out;
    const bool decoded = tessara::DecodeBitmapFile(c.file, out);
    ASSERT_EQ(decoded, c.width > 0);
    if (!decoded) continue;
    long long w = 0, h = 0;
    EXPECT_TRUE(tessara::ReadBitmapFileSize(c.file.substr(0, 170), w, h) && w == c.width && h == c.height)
        << "the size from the headers alone";
    ASSERT_EQ(std::make_pair(out.Width(), out.Height()), std::make_pair(c.width, c.height));
    std::vector<Bgr> got;
    for (int y = 0; y < out.Height(); ++y)
      for (int x = 0; x < out.Width(); ++x) got.push_back({out.Pixel(x, y)[0], out.Pixel(x, y)[1], out.Pixel(x, y)[2]});
    EXPECT_EQ(got, c.top);
  }
}

}  // namespace
