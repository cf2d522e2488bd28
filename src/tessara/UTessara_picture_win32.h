#pragma once
// Background pictures: Windows bitmaps through the program's own reader, so their pixels do
// not depend on the system's loader; every other kind the system's imaging services read
// (PNG, GIF, JPEG, icons through WIC; enhanced and Windows metafiles through OLE pictures).
#include <string>

#include "render/bitmap24.h"

namespace tessara {

// Reads the picture at its natural size; transparent parts show white. Throws Error
// ("Cannot load the picture <path>") when it cannot be decoded, and a clear error before
// any decoding when its size is beyond the cap of render/bmpread.h.
void LoadPictureFile(const std::string& path, Bitmap24& picture);

}  // namespace tessara
