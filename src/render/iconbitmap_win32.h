#pragma once
// Turns a system icon into the program's own image of it, once, at the size it is drawn.
#include <windows.h>

#include "render/iconbitmap.h"

namespace tessara {

// The icon as DrawIconEx with DI_NORMAL draws it at size x size (stretched as it stretches
// it); an empty image when there is no icon, the size is outside 1..256 or GDI refuses.
IconBitmap IconBitmapFromIcon(HICON icon, int size);

}  // namespace tessara
