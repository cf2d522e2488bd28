#include "render/bmpread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string L16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string L32(std::uint32_t v) { return L16(v & 0xFFFF) + L16(v >> 16); }
std::string Bytes(std::initializer_list<int> b) { return std::string(b.begin(), b.end()); }
// A whole file: the 14-byte file header, then the info header, tables and pixels.
std::string File(const std::string& header, const std::string& tables, const std::string& pixels) {
  const auto off = static_cast<std::uint32_t>(14 + header.size() + tables.size());
  return "BM" + L32(off + static_cast<std::uint32_t>(pixels.size())) + L32(0) + L32(off) + header + tables + pixels;
}
// An info header of `size` bytes (12 is OS/2 1.x); `masks` start at its byte 40.
std::string Info(std::uint32_t size, int w, int h, int bits, int compression = 0, int colors = 0, const std::string& masks = "") {
  if (size == 12) return L32(12) + L16(w) + L16(h) + L16(1) + L16(bits);
  std::string s = L32(size) + L32(w) + L32(h) + L16(1) + L16(bits) + L32(compression) + std::string(12, '\0') + L32(colors);
  s.resize(std::min(size, 40u), '\0');
  s += masks;
  s.resize(size, '\0');
  return s;
}
// Palette entry i is blue i, green 2i, red 255 - i; 3-byte entries after the 12-byte header.
std::string Ramp(int entries, int entrySize) {
  std::string s;
  for (int i = 0; i < entries; ++i) s += Bytes({i, 2 * i & 0xFF, 255 - i}).append(entrySize - 3u, '\0');
  return s;
}
std::string Masks(std::vector<std::uint32_t> masks) {
  std::string s;
  for (std::uint32_t m : masks) s += L32(m);
  return s;
}

using Bgr = std::array<int, 3>;
constexpr Bgr k0{0, 0, 255}, k1{1, 2, 254}, k2{2, 4, 253};
// A run-length picture of palette entry 0 only: its end mark alone.
std::string Blank(int w, int h) { return File(Info(40, w, h, 8, 1, 1), Ramp(1, 4), Bytes({0, 1})); }

TEST(BitmapFile, DecodesEveryDepthCompressionAndHeaderToTheWorkedPixels) {
  const struct {
    const char* name;
    std::string file;
    int width, height;     // 0: refused
    std::vector<Bgr> top;  // the pixels, top row first
  } cases[] = {
      {"8 bits declaring 300 colours reads the 256 of its depth", File(Info(40, 2, 1, 8, 0, 300), Ramp(256, 4), Bytes({1, 255, 0, 0})), 2, 1,
       {k1, {255, 254, 0}}},
      {"1 bit, 40-byte header, bottom-up", File(Info(40, 3, 2, 1), Ramp(2, 4), Bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0})), 3, 2, {k0, k1, k0, k1, k0, k1}},
      {"4 bits, OS/2 2.x 16-byte header", File(Info(16, 2, 1, 4), Ramp(16, 4), Bytes({0x1F, 0, 0, 0})), 2, 1, {k1, {15, 30, 240}}},
      {"8 bits, 12-byte header and 3-byte palette", File(Info(12, 2, 1, 8), Ramp(256, 3), Bytes({1, 255, 0, 0})), 2, 1, {k1, {255, 254, 0}}},
      // Bottom row: two 1s, a delta one right, one 2, end of line; top row: the absolute run
      // 2 0 1 (padded), end of picture. Skipped pixels keep entry 0.
      {"run-length 8 bits", File(Info(40, 4, 2, 8, 1, 3), Ramp(3, 4), Bytes({2, 1, 0, 2, 1, 0, 1, 2, 0, 0, 0, 3, 2, 0, 1, 0, 0, 1})), 4, 2,
       {k2, k0, k1, k0, k1, k1, k0, k2}},
      {"run-length 4 bits", File(Info(40, 6, 1, 4, 2, 3), Ramp(3, 4), Bytes({3, 0x12, 0, 3, 0x20, 0x10, 0, 1})), 6, 1, {k1, k2, k1, k2, k0, k1}},
      // An absolute run of 5 (3 bytes and a pad byte), then a run of two 1s.
      {"run-length 4 bits, odd absolute run", File(Info(40, 7, 1, 4, 2, 3), Ramp(3, 4), Bytes({0, 5, 0x12, 0x01, 0x20, 0, 2, 0x11, 0, 1})), 7, 1,
       {k1, k2, k0, k1, k2, k1, k1}},
      {"16 bits 5-6-5 masks inside a 52-byte header", File(Info(52, 2, 1, 16, 3, 0, Masks({0xF800, 0x07E0, 0x1F})), "", L16(0xF800) + L16(0x1F)), 2, 1,
       {{0, 0, 255}, {255, 0, 0}}},
      // Six green bits: 62 -> 251, 1 -> 4; five red and blue bits: 1 -> 8.
      {"16 bits 5-6-5 masks after the header", File(Info(40, 4, 1, 16, 3), Masks({0xF800, 0x07E0, 0x1F}), L16(0x07C0) + L16(0x20) + L16(0x0801) + L16(0xFFFF)),
       4, 1, {{0, 251, 0}, {0, 4, 0}, {8, 0, 8}, {255, 255, 255}}},
      {"16 bits without masks is 5-5-5, 124-byte header", File(Info(124, 2, 1, 16), "", L16(0x7FFF) + L16(0x0401)), 2, 1, {{255, 255, 255}, {8, 0, 8}}},
      {"32 bits 10-10-10 and alpha, 56-byte header", File(Info(56, 1, 1, 32, 3, 0, Masks({0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000})), "", L32(0xFFF80001)), 1, 1,
       {{0, 128, 255}}},
      {"32 bits 8-8-8 and alpha, 108-byte header", File(Info(108, 1, 1, 32, 3, 0, Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000})), "", L32(0x80112233)), 1, 1,
       {{0x33, 0x22, 0x11}}},
      {"24 bits top-down, OS/2 2.x 64-byte header", File(Info(64, 1, -2, 24), "", Bytes({1, 2, 3, 0, 4, 5, 6, 0})), 1, 2, {{1, 2, 3}, {4, 5, 6}}},
      {"a few bytes declaring 16384 x 16384 (768 MB)", File(Info(40, 16384, 16384, 8, 1), Ramp(256, 4), Bytes({0, 1})), 0, 0, {}},
      {"16384 pixels wide", Blank(16384, 1), 16384, 1, std::vector<Bgr>(16384, k0)},
      {"16385 pixels wide", Blank(16385, 1), 0, 0, {}},
      {"16384 pixels high", Blank(1, 16384), 1, 16384, std::vector<Bgr>(16384, k0)},
      {"16385 pixels high", Blank(1, 16385), 0, 0, {}},
      {"short pixel rows", File(Info(40, 2, 2, 24), "", std::string(15, '\0')), 0, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tessara::Bitmap24 out;
    ASSERT_EQ(tessara::DecodeBitmapFile(c.file, out), c.width > 0);
    if (c.width == 0) continue;
    long long w = 0, h = 0;
    EXPECT_TRUE(tessara::ReadBitmapFileSize(c.file.substr(0, 170), w, h) && w == c.width && h == c.height) << "size from the headers";
    std::vector<Bgr> got;
    for (int y = 0; y < out.Height(); ++y)
      for (int x = 0; x < out.Width(); ++x) got.push_back({out.Pixel(x, y)[0], out.Pixel(x, y)[1], out.Pixel(x, y)[2]});
    EXPECT_EQ(got, c.top);
  }
}

}  // namespace
