#pragma once
// Turns a system icon into the program's own image of it, once, at the size it is drawn.
#include <windows.h>

#include "render/iconbitmap.h"
#include "shell/handles_win32.h"

namespace tessara {

// The icon as DrawIconEx with DI_NORMAL draws it at size x size (stretched as it stretches
// it); an empty image when there is no icon, the size is outside 1..256 or GDI refuses.
IconBitmap IconBitmapFromIcon(HICON icon, int size);

// The same for many icons one after another: the device context and the two pictures each
// image is taken from are made once and kept while the size stays.
class IconImager {
 public:
  IconBitmap Make(HICON icon, int size);

 private:
  UniqueDC dc_;
  Bitmap24 black_, white_;
};

}  // namespace tessara
