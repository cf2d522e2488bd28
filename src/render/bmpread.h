#pragma once
// Reading a Windows bitmap file of any uncompressed kind into 24-bit pixels: palettes of 1,
// 4 or 8 bits, 16 and 32 bits with or without bit masks, 24 bits; any header version from
// the 40-byte one on; rows stored bottom-up or top-down. Every table and row is checked
// against the file's bytes before it is read.
#include <string_view>

#include "render/bitmap24.h"

namespace tessara {

// The largest picture read: a side of 16384 and 64 million pixels (192 MB as 24-bit pixels).
inline constexpr int kMaxPictureSide = 16384;
inline constexpr long long kMaxPicturePixels = 1LL << 26;

// False for anything else (compressed, another header, short, absurd sizes); `out` is then
// not to be used.
bool DecodeBitmapFile(std::string_view bytes, Bitmap24& out);

}  // namespace tessara
