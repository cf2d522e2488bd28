// The tessara's side of the window properties: its dialog and the drive letter font.
#include "dialogs/UTSProperties_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

std::unique_ptr<ITSPropertiesView> TessaraWindow::MakePropertiesView() {
  return std::make_unique<TSPropertiesWindow>(instance_, Handle());
}

void TessaraWindow::SetLetterFont(const FontSpec& font) {
  if (font == letter_font_) return;
  letter_font_ = font;
  font_.Reset();  // made again at the next drive letter
}

HFONT TessaraWindow::CreateLetterFont() {
  // An empty face: the letters' own default, 8 points at the window's scale. A chosen
  // font's height is in 96-dpi units, like every stored length.
  FontSpec font = letter_font_.Face.empty() ? FontSpec{"MS Sans Serif", -MulDiv(8, dpi_, 72), FW_NORMAL, false}
                                            : letter_font_;
  if (!letter_font_.Face.empty()) font.Height = ScaleLength(font.Height, dpi_);
  const LOGFONTW lf = LogFontOf(font);
  return CreateFontIndirectW(&lf);
}

}  // namespace tessara
