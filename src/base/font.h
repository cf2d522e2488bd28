#pragma once
// A font as the user picks it in the font dialog: face, height in the LOGFONT sense
// (negative: character height in pixels), weight and slant. An empty face means "the
// default font of whoever draws".
#include <string>

namespace tessara {

struct FontSpec {
  std::string Face;
  int Height = -11;
  int Weight = 400;
  bool Italic = false;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace tessara
