#include "shell/window_win32.h"

#include <commdlg.h>

#include "shell/commondialogs_win32.h"

#include "shell/error.h"
#include "shell/modal_win32.h"

namespace tessara {
namespace {
HWND g_application_window = nullptr;
}

HWND ApplicationWindow() { return g_application_window; }
void SetApplicationWindow(HWND window) { g_application_window = window; }

HWND ServedWindow() {
  HWND active = GetActiveWindow();
  return active && IsWindowVisible(active) ? active : g_application_window;
}

int MessageBoxWithTitle(const std::string& text, UINT flags, HWND owner) {
  if (!owner) owner = ServedWindow();
  ModalScope modal(owner);
  return MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), flags | MB_SETFOREGROUND);
}

void InstallMessageBoxes() {
  SetMessageHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK); });
  SetErrorHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK | MB_ICONERROR); });
}

void ReportHandlerError(const char* text) { ShowError(text ? text : ""); }

void RegisterClassOnce(WNDCLASSEXA wc) {
  wc.cbSize = sizeof wc;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExA(wc.hInstance, wc.lpszClassName, &existing)) RegisterClassExA(&wc);
}

LOGFONTA LogFontOf(const FontSpec& font) {
  LOGFONTA lf{};
  lf.lfHeight = font.Height;
  lf.lfWeight = font.Weight;
  lf.lfItalic = font.Italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, font.Face.c_str(), LF_FACESIZE);
  return lf;
}

HFONT CreateUiFont(int dpi, int weight) {
  return CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kUiFontFace);
}

bool ChooseColorFor(HWND owner, int& color, DWORD flags) {
  static COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = ToColorRef(color);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | flags;
  ModalScope modal(owner);
  if (!CommonChooseColor(&cc)) return false;
  color = static_cast<int>(cc.rgbResult & 0xFFFFFF);
  return true;
}

}  // namespace tessara
