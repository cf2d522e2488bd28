#pragma once
// The drawings of the program icon, the tray icon and the icon library.
#include <vector>

#include "canvas.h"

namespace icongen {

struct LibraryIcon {
  const char* file;  // name of the .ico written for it
  void (*draw)(Canvas&);
};

// In library order: position 0 is the generic document that stands in for missing icons.
const std::vector<LibraryIcon>& LibraryIcons();

void DrawProgramIcon(Canvas& c);
// 16 x 16, drawn only in the 16 standard colours.
tessara::IconImage TrayIcon();
// 32 x 32: the pointer's arrow with a small tile below it, shown while a tile is dragged.
// Its hot spot is the arrow's tip at (0, 0).
tessara::IconImage DragCursor();

}  // namespace icongen
