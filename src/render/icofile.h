#pragma once
// Icon files in the Windows icon format: a directory of images, each a bitmap-info header
// with doubled height, the colour bits (bottom row first) and a 1-bit AND mask. The icon
// generator writes the program's icons with it, and the icon cache saves tile icons with it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessara {

// One square-or-not image, top row first, each pixel 0xAARRGGBB (straight alpha).
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// How an image is stored. 4-bit images take the nearest of the 16 standard colours; 4- and
// 24-bit images are transparent exactly where the mask is set (alpha below 128), 32-bit
// images keep their alpha and carry the same mask for readers that ignore alpha.
enum class IconDepth { Indexed4 = 4, Rgb24 = 24, Argb32 = 32 };

struct IconEntry {
  IconImage image;
  IconDepth depth = IconDepth::Argb32;
};

// The 16 colours of the standard palette, 0x00RRGGBB, in palette order.
const std::array<std::uint32_t, 16>& StandardPalette();

// Index of the palette colour nearest to an 0x..RRGGBB colour (alpha ignored).
int NearestStandardColour(std::uint32_t argb);

// The bytes of an icon file holding the entries in order. Throws std::invalid_argument for an
// empty list, a size outside 1..256 or a pixel count that does not match the size.
std::string EncodeIcon(const std::vector<IconEntry>& entries);

}  // namespace tessara
