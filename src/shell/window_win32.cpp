#include "shell/window_win32.h"

#include "shell/error.h"

namespace tessara {
namespace {
HWND g_application_window = nullptr;
}

HWND ApplicationWindow() { return g_application_window; }
void SetApplicationWindow(HWND window) { g_application_window = window; }

int MessageBoxWithTitle(const std::string& text, UINT flags) {
  return MessageBoxA(g_application_window, text.c_str(), ApplicationTitle().c_str(),
                     flags | MB_SETFOREGROUND);
}

void InstallMessageBoxes() {
  SetMessageHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK); });
  SetErrorHandler([](const std::string& text) { MessageBoxWithTitle(text, MB_OK | MB_ICONERROR); });
}

void ReportHandlerError(const char* text) { ShowError(text ? text : ""); }

}  // namespace tessara
