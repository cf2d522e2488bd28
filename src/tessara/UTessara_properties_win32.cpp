// The tessara's side of the window properties: its dialog and the drive letter font.
#include "dialogs/UTSProperties_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

std::unique_ptr<ITSPropertiesView> TessaraWindow::MakePropertiesView() {
  return std::make_unique<TSPropertiesWindow>(instance_, ApplicationWindow());
}

void TessaraWindow::SetLetterFont(const FontSpec& font) {
  if (font == letter_font_) return;
  letter_font_ = font;
  font_.Reset();  // made again at the next drive letter
}

HFONT TessaraWindow::CreateLetterFont() {
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  if (letter_font_.Face.empty()) {
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(mem_dc_.Get(), LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
  } else {
    lf.lfHeight = letter_font_.Height;
    lf.lfWeight = letter_font_.Weight;
    lf.lfItalic = letter_font_.Italic ? TRUE : FALSE;
    lstrcpynA(lf.lfFaceName, letter_font_.Face.c_str(), LF_FACESIZE);
  }
  return CreateFontIndirectA(&lf);
}

}  // namespace tessara
