#include "render/bmpread.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace tessara {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t U32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
  return v;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}

// One channel given by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

}  // namespace

bool DecodeBitmapFile(std::string_view bytes, Bitmap24& out) {
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t offBits = U32(bytes, 10);
  const std::uint32_t headerSize = U32(bytes, 14);
  if (headerSize < kInfoHeader || headerSize > bytes.size() - kFileHeader) return false;
  const auto width = static_cast<std::int32_t>(U32(bytes, 18));
  const auto rawHeight = static_cast<std::int32_t>(U32(bytes, 22));
  const int bits = U16(bytes, 28);
  const std::uint32_t compression = U32(bytes, 30);
  const std::uint32_t colorsUsed = U32(bytes, 46);
  if (width <= 0 || rawHeight == 0 || rawHeight < -kMaxPictureSide || rawHeight > kMaxPictureSide ||
      width > kMaxPictureSide)
    return false;
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  if (static_cast<long long>(width) * height > kMaxPicturePixels) return false;

  // Masks follow a 40-byte header, or sit inside a longer one.
  std::size_t tables = kFileHeader + headerSize;
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (compression == kBiBitfields) {
    if (bits != 16 && bits != 32) return false;
    const std::size_t at = kFileHeader + kInfoHeader;
    if (headerSize == kInfoHeader) tables += 12;
    if (at + 12 > bytes.size()) return false;
    for (int c = 0; c < 3; ++c) masks[c] = U32(bytes, at + 4 * static_cast<std::size_t>(c));
  } else if (compression != kBiRgb) {
    return false;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

  std::array<std::uint8_t, 3 * 256> palette{};  // b, g, r; entries beyond the table are black
  if (bits <= 8) {
    const std::uint32_t full = 1u << bits;
    const std::uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
    if (tables > bytes.size() || count * 4 > bytes.size() - tables) return false;
    for (std::uint32_t i = 0; i < count; ++i)
      for (int c = 0; c < 3; ++c)
        palette[3 * i + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(bytes[tables + 4 * i + static_cast<std::size_t>(c)]);
  }

  const std::size_t stride = ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
  if (offBits > bytes.size() || stride * static_cast<std::size_t>(height) > bytes.size() - offBits) return false;

  out.Resize(width, height);
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int i = 0; i < height; ++i) {
    const int y = topDown ? i : height - 1 - i;
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data() + offBits + stride * static_cast<std::size_t>(i));
    std::uint8_t* dst = out.Row(y);
    for (int x = 0; x < width; ++x, dst += 3) {
      if (bits <= 8) {
        const int perByte = 8 / bits;
        const int shift = 8 - bits * (x % perByte + 1);
        const unsigned index = (src[x / perByte] >> shift) & ((1u << bits) - 1);
        for (int c = 0; c < 3; ++c) dst[c] = palette[3 * index + static_cast<unsigned>(c)];
      } else if (bits == 24 && compression == kBiRgb) {
        for (int c = 0; c < 3; ++c) dst[c] = src[3 * x + c];
      } else {
        const unsigned char* p = src + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits / 8);
        const std::uint32_t v = bits == 16 ? static_cast<std::uint32_t>(p[0] | (p[1] << 8))
                                           : static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                                 (static_cast<std::uint32_t>(p[2]) << 16) |
                                                 (static_cast<std::uint32_t>(p[3]) << 24);
        dst[0] = blue.Of(v);
        dst[1] = green.Of(v);
        dst[2] = red.Of(v);
      }
    }
  }
  return true;
}

}  // namespace tessara
