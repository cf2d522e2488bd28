#include "render/icofile.h"

#include <stdexcept>

namespace tessara {
namespace {

constexpr std::uint32_t kHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kDirSize = 6;
constexpr std::uint32_t kEntrySize = 16;

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Rows of every bitmap are padded to a multiple of four bytes.
std::uint32_t RowBytes(int width, int bits) {
  return ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4;
}

bool Transparent(std::uint32_t argb) { return (argb >> 24) < 128; }

std::uint32_t ImageBytes(const IconEntry& e) {
  const int bits = static_cast<int>(e.depth);
  std::uint32_t size = kHeaderSize + (e.depth == IconDepth::Indexed4 ? 16 * 4 : 0);
  size += RowBytes(e.image.width, bits) * e.image.height;
  size += RowBytes(e.image.width, 1) * e.image.height;
  return size;
}

void PutImage(std::string& out, const IconEntry& e) {
  const IconImage& img = e.image;
  const int bits = static_cast<int>(e.depth);
  const std::uint32_t xorRow = RowBytes(img.width, bits);
  const std::uint32_t andRow = RowBytes(img.width, 1);

  Put32(out, kHeaderSize);
  Put32(out, static_cast<std::uint32_t>(img.width));
  Put32(out, static_cast<std::uint32_t>(img.height * 2));  // colour bits and mask together
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bits));
  Put32(out, 0);  // uncompressed
  Put32(out, (xorRow + andRow) * img.height);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, e.depth == IconDepth::Indexed4 ? 16 : 0);
  Put32(out, 0);
  if (e.depth == IconDepth::Indexed4)
    for (std::uint32_t c : StandardPalette()) Put32(out, c);  // B, G, R, 0 in memory

  for (int y = img.height - 1; y >= 0; --y) {
    std::string row(xorRow, '\0');
    for (int x = 0; x < img.width; ++x) {
      const std::uint32_t p = img.pixels[static_cast<std::size_t>(y) * img.width + x];
      // Masked pixels stay black so that AND-then-XOR leaves the background untouched.
      const bool clear = Transparent(p);
      switch (e.depth) {
        case IconDepth::Indexed4: {
          const int index = clear ? 0 : NearestStandardColour(p);
          row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
          break;
        }
        case IconDepth::Rgb24:
          if (!clear)
            for (int k = 0; k < 3; ++k) row[x * 3 + k] = static_cast<char>((p >> (8 * k)) & 0xFF);
          break;
        case IconDepth::Argb32:
          if ((p >> 24) != 0)
            for (int k = 0; k < 4; ++k) row[x * 4 + k] = static_cast<char>((p >> (8 * k)) & 0xFF);
          break;
      }
    }
    out += row;
  }
  for (int y = img.height - 1; y >= 0; --y) {
    std::string row(andRow, '\0');
    for (int x = 0; x < img.width; ++x)
      if (Transparent(img.pixels[static_cast<std::size_t>(y) * img.width + x]))
        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    out += row;
  }
}

}  // namespace

const std::array<std::uint32_t, 16>& StandardPalette() {
  static const std::array<std::uint32_t, 16> palette = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  return palette;
}

int NearestStandardColour(std::uint32_t argb) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t c = StandardPalette()[i];
    long d = 0;
    for (int k = 0; k < 3; ++k) {
      const long delta = static_cast<long>((argb >> (8 * k)) & 0xFF) - static_cast<long>((c >> (8 * k)) & 0xFF);
      d += delta * delta;
    }
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

std::string EncodeIcon(const std::vector<IconEntry>& entries) {
  if (entries.empty() || entries.size() > 0xFFFF) throw std::invalid_argument("An icon needs at least one image");
  for (const IconEntry& e : entries) {
    const IconImage& img = e.image;
    if (img.width < 1 || img.width > 256 || img.height < 1 || img.height > 256)
      throw std::invalid_argument("Icon images are 1 to 256 pixels wide and high");
    if (img.pixels.size() != static_cast<std::size_t>(img.width) * img.height)
      throw std::invalid_argument("Icon image size does not match its pixels");
  }

  std::string out;
  Put16(out, 0);
  Put16(out, 1);  // icon, not cursor
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  std::uint32_t offset = kDirSize + kEntrySize * static_cast<std::uint32_t>(entries.size());
  for (const IconEntry& e : entries) {
    const std::uint32_t bytes = ImageBytes(e);
    out.push_back(static_cast<char>(e.image.width & 0xFF));  // 256 is written as 0
    out.push_back(static_cast<char>(e.image.height & 0xFF));
    out.push_back(static_cast<char>(e.depth == IconDepth::Indexed4 ? 16 : 0));
    out.push_back('\0');
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(e.depth));
    Put32(out, bytes);
    Put32(out, offset);
    offset += bytes;
  }
  for (const IconEntry& e : entries) PutImage(out, e);
  return out;
}

}  // namespace tessara
