#pragma once
// Background pictures of every kind the system's imaging services read (PNG, GIF, JPEG,
// icons and bitmaps through WIC; enhanced and Windows metafiles through OLE pictures).
#include <string>

#include "render/bitmap24.h"

namespace tessara {

// True when the file starts like a Windows bitmap file (".bmp" and ".dib" alike).
bool IsWindowsBitmapFile(const std::string& path);
// Reads the picture at its natural size; transparent parts show white. Throws Error
// ("Cannot load the picture <path>") when no imaging service can decode the file.
void LoadSystemPicture(const std::string& path, Bitmap24& picture);

}  // namespace tessara
