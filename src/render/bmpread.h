#pragma once
// Reading a Windows bitmap file of any kind the format defines into 24-bit pixels: palettes
// of 1, 4 or 8 bits (3-byte entries after the 12-byte OS/2 header, 4-byte ones otherwise),
// run-length 4 and 8 bits, 16 and 32 bits with or without bit fields (alpha ignored), 24
// bits; every header size (12, 16, 40, 52, 56, 64, 108, 124); rows bottom-up or top-down.
// Every table and row is checked against the file's bytes before it is read.
#include <string_view>

#include "render/bitmap24.h"

namespace tessara {

// The largest picture read: 16384 pixels a side and 256 MB as 24-bit pixels. A background
// larger than that is surely a broken or hostile file; it is refused before any pixel is
// allocated or decoded.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr long long kMaxPictureBytes = 256LL << 20;

// True when both sides are 1 to kMaxPictureSide and the 24-bit image fits kMaxPictureBytes.
bool PictureSizeAllowed(long long width, long long height);

// The size a bitmap file's headers declare, uncapped, read from its first bytes alone (the
// file header, the info header and any bit masks after it: 170 bytes are always enough).
// False when the headers are short or of a kind this reader does not decode.
bool ReadBitmapFileSize(std::string_view head, long long& width, long long& height);

// False for anything not decodable (unknown header or compression, short data, a size
// refused by PictureSizeAllowed); `out` is then not to be used.
bool DecodeBitmapFile(std::string_view bytes, Bitmap24& out);

}  // namespace tessara
