#pragma once
// The program's own tile clipboard, shared by every tessara. It holds the persistent fields
// of one tile and never an icon; it lives in memory only and is emptied at start-up.
#include "base/tile.h"

namespace tessara {

extern TTileRecord TileClipboard;

}  // namespace tessara
