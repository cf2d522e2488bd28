// Draws the program's icons and writes them as .ico files into the folder named on the
// command line: tessara.ico (program), tray.ico (notification area), the library icons and
// drag.cur (the cursor of a dragged tile).
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "icons.h"
#include "render/icofile.h"

namespace {

using tessara::IconDepth;
using tessara::IconEntry;

tessara::IconImage Draw(void (*draw)(icongen::Canvas&), int size) {
  icongen::Canvas canvas(size);
  draw(canvas);
  return canvas.Image(true);
}

void Write(const std::string& folder, const std::string& name, const std::vector<IconEntry>& entries) {
  const std::string path = folder + "/" + name;
  const std::string bytes = tessara::EncodeIcon(entries);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Twice the size, each pixel a square of four: pixel art stays crisp where it is shown at
// 200 %, and the system scales the scales in between down from it rather than up.
tessara::IconImage Doubled(const tessara::IconImage& image) {
  tessara::IconImage big{2 * image.width, 2 * image.height, {}};
  for (int y = 0; y < big.height; ++y)
    for (int x = 0; x < big.width; ++x)
      big.pixels.push_back(image.pixels[static_cast<std::size_t>(y / 2 * image.width + x / 2)]);
  return big;
}

// A cursor file is an icon file with type 2 whose entries hold the hot spot where an icon's
// entries hold planes and bit count.
void WriteCursor(const std::string& folder, const std::string& name, const IconEntry& entry, int hotX, int hotY) {
  std::string bytes = tessara::EncodeIcon({entry});
  bytes[2] = 2;
  bytes[10] = static_cast<char>(hotX);
  bytes[11] = 0;
  bytes[12] = static_cast<char>(hotY);
  bytes[13] = 0;
  const std::string path = folder + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icongen <output folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  try {
    Write(folder, "tessara.ico",
          {{Draw(icongen::DrawProgramIcon, 32), IconDepth::Argb32}, {Draw(icongen::DrawProgramIcon, 16), IconDepth::Argb32}});
    Write(folder, "tray.ico",
          {{icongen::TrayIcon(), IconDepth::Indexed4}, {Doubled(icongen::TrayIcon()), IconDepth::Indexed4}});
    WriteCursor(folder, "drag.cur", {icongen::DragCursor(), IconDepth::Indexed4}, 0, 0);
    for (const icongen::LibraryIcon& icon : icongen::LibraryIcons())
      Write(folder, icon.file, {{Draw(icon.draw, 32), IconDepth::Argb32}, {Draw(icon.draw, 16), IconDepth::Argb32}});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "icongen: %s\n", e.what());
    return 1;
  }
  return 0;
}
