#include "render/bmpread.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessara {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12;  // OS/2 1.x: 16-bit sides, 3-byte palette entries
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

std::uint32_t U32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
  return v;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}

bool KnownHeaderSize(std::uint32_t size) {
  switch (size) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124:
      return true;
    default:
      return false;
  }
}

struct Header {
  std::uint32_t offBits = 0;
  long long width = 0;  // as declared; capped only by PictureSizeAllowed
  long long height = 0;
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteAt = 0;
  std::size_t entrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

// Everything but the palette and the pixels, checked against the header's own bytes only.
bool ParseHeader(std::string_view b, Header& h) {
  if (b.size() < kFileHeader + 4 || b[0] != 'B' || b[1] != 'M') return false;
  h.offBits = U32(b, 10);
  const std::uint32_t size = U32(b, kFileHeader);
  if (!KnownHeaderSize(size) || size > b.size() - kFileHeader) return false;
  const std::size_t at = kFileHeader;
  if (size == kCoreHeader) {
    h.width = U16(b, at + 4);
    h.height = U16(b, at + 6);
    h.bits = U16(b, at + 10);
    h.entrySize = 3;
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24) return false;
  } else {
    h.width = static_cast<std::int32_t>(U32(b, at + 4));
    h.height = static_cast<std::int32_t>(U32(b, at + 8));
    h.bits = U16(b, at + 14);
    // The OS/2 2.x header may end after any field; what it leaves out is zero.
    if (size >= 20) h.compression = U32(b, at + 16);
    if (size >= 36) h.colorsUsed = U32(b, at + 32);
  }
  h.topDown = h.height < 0;
  if (h.topDown) h.height = -h.height;
  h.paletteAt = at + size;

  switch (h.compression) {
    case kBiRgb:
      if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) return false;
      if (h.bits == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
      } else if (h.bits == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
      }
      return true;
    case kBiRle8:
    case kBiRle4:
      // Run-length data builds rows from the bottom; a top-down one is not defined.
      return h.bits == (h.compression == kBiRle8 ? 8 : 4) && !h.topDown;
    case kBiBitfields:
    case kBiAlphaBitfields: {
      // In the OS/2 2.x header 3 means Huffman coding, which is not read.
      if ((h.bits != 16 && h.bits != 32) || size < kInfoHeader || size == 64) return false;
      // The masks sit inside a longer header, or follow the 40-byte one.
      const std::size_t masksAt = at + kInfoHeader;
      if (masksAt + 12 > b.size()) return false;
      for (std::size_t c = 0; c < 3; ++c) h.masks[c] = U32(b, masksAt + 4 * c);
      if (size == kInfoHeader) h.paletteAt += h.compression == kBiBitfields ? 12 : 16;
      return true;
    }
    default:
      return false;
  }
}

// One channel given by a bit mask, widened exactly to 0..255.
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
    // max is odd (all ones) for every real mask, so no value lies halfway.
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

using Palette = std::array<std::uint8_t, 3 * 256>;  // b, g, r; entries beyond the table are black

void Put(Bitmap24& out, const Palette& palette, long long x, long long row, unsigned index) {
  if (x < 0 || x >= out.Width() || row < 0 || row >= out.Height()) return;
  std::uint8_t* dst = out.Pixel(static_cast<int>(x), out.Height() - 1 - static_cast<int>(row));
  for (unsigned c = 0; c < 3; ++c) dst[c] = palette[3 * index + c];
}

// Run-length data: pixels a delta or an early end of line skips keep palette entry 0.
// Data that ends without its end mark leaves the rest of the picture that way as well.
void DecodeRunLength(std::string_view b, const Header& h, const Palette& palette, Bitmap24& out) {
  for (int x = 0; x < out.Width(); ++x) Put(out, palette, x, 0, 0);
  const auto rowBytes = static_cast<std::size_t>(out.Stride());
  for (int y = 0; y + 1 < out.Height(); ++y) std::memcpy(out.Row(y), out.Row(out.Height() - 1), rowBytes);
  const bool four = h.compression == kBiRle4;
  auto nibble = [four](unsigned value, long long k) {
    return four ? (k % 2 == 0 ? value >> 4 : value & 15u) : value;
  };
  long long x = 0, row = 0;  // row 0 is the bottom one
  std::size_t p = h.offBits;
  while (p + 2 <= b.size() && row < h.height) {
    const unsigned count = static_cast<unsigned char>(b[p]);
    const unsigned value = static_cast<unsigned char>(b[p + 1]);
    p += 2;
    if (count > 0) {
      for (unsigned k = 0; k < count; ++k) Put(out, palette, x++, row, nibble(value, k));
    } else if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (p + 2 > b.size()) return;
      x += static_cast<unsigned char>(b[p]);
      row += static_cast<unsigned char>(b[p + 1]);
      p += 2;
    } else {
      // An absolute run of `value` pixels, padded to a whole number of 16-bit words.
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (p + bytes > b.size()) return;
      for (unsigned k = 0; k < value; ++k) {
        const unsigned byte = static_cast<unsigned char>(b[p + (four ? k / 2 : k)]);
        Put(out, palette, x++, row, four ? nibble(byte, k) : byte);
      }
      p += (bytes + 1) & ~std::size_t{1};
    }
  }
}

}  // namespace

bool PictureSizeAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<long long>(Bitmap24Stride(static_cast<int>(width))) * height <= kMaxPictureBytes;
}

bool ReadBitmapFileSize(std::string_view head, long long& width, long long& height) {
  Header h;
  if (!ParseHeader(head, h)) return false;
  width = h.width;
  height = h.height;
  return true;
}

bool DecodeBitmapFile(std::string_view bytes, Bitmap24& out) {
  Header h;
  // The one size check, before any table is read or pixel allocated.
  if (!ParseHeader(bytes, h) || !PictureSizeAllowed(h.width, h.height)) return false;
  const int width = static_cast<int>(h.width);
  const int height = static_cast<int>(h.height);

  Palette palette{};
  if (h.bits <= 8) {
    const std::uint32_t full = 1u << h.bits;
    const std::uint32_t count = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
    if (h.paletteAt > bytes.size() || count * h.entrySize > bytes.size() - h.paletteAt) return false;
    for (std::uint32_t i = 0; i < count; ++i)
      for (std::size_t c = 0; c < 3; ++c)
        palette[3 * i + c] = static_cast<std::uint8_t>(bytes[h.paletteAt + h.entrySize * i + c]);
  }
  if (h.offBits > bytes.size()) return false;
  if (h.compression == kBiRle8 || h.compression == kBiRle4) {
    out.Resize(width, height);
    DecodeRunLength(bytes, h, palette, out);
    return true;
  }

  const std::size_t stride = ((static_cast<std::size_t>(width) * static_cast<std::size_t>(h.bits) + 31) / 32) * 4;
  if (stride * static_cast<std::size_t>(height) > bytes.size() - h.offBits) return false;

  out.Resize(width, height);
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  for (int i = 0; i < height; ++i) {
    const int y = h.topDown ? i : height - 1 - i;
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data() + h.offBits + stride * static_cast<std::size_t>(i));
    std::uint8_t* dst = out.Row(y);
    for (int x = 0; x < width; ++x, dst += 3) {
      if (h.bits <= 8) {
        const int perByte = 8 / h.bits;
        const int shift = 8 - h.bits * (x % perByte + 1);
        const unsigned index = (src[x / perByte] >> shift) & ((1u << h.bits) - 1);
        for (unsigned c = 0; c < 3; ++c) dst[c] = palette[3 * index + c];
      } else if (h.bits == 24) {
        for (int c = 0; c < 3; ++c) dst[c] = src[3 * x + c];
      } else {
        const unsigned char* p = src + static_cast<std::size_t>(x) * static_cast<std::size_t>(h.bits / 8);
        const std::uint32_t v = h.bits == 16 ? static_cast<std::uint32_t>(p[0] | (p[1] << 8))
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
