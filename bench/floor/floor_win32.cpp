// The start-up floor: the least a Win32 program does to put sixteen painted windows on the
// screen. Each window is a borderless popup showing a prepared 24-bit image of its size.
// Usage: tessara_floor.exe /startup-probe[:file] L,T,W,H [L,T,W,H ...]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/startupprobe_win32.h"

namespace {

struct FloorWindow {
  int left = 0, top = 0, width = 0, height = 0;
  HBITMAP image = nullptr;
  HWND hwnd = nullptr;
};

HDC g_memory_dc = nullptr;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<FloorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
      break;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && self && self->image) {
        HGDIOBJ old = SelectObject(g_memory_dc, self->image);
        BitBlt(dc, 0, 0, self->width, self->height, g_memory_dc, 0, 0, SRCCOPY);
        SelectObject(g_memory_dc, old);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A filled 24-bit bottom-up DIB section of the window's size.
HBITMAP PrepareImage(int width, int height, BYTE shade) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!image || !bits) return image;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  std::memset(bits, shade, stride * static_cast<std::size_t>(height));
  return image;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const tessara::StartupProbe probe(commandLine);

  std::vector<FloorWindow> windows;
  for (const char* at = commandLine; at && *at;) {
    while (*at == ' ' || *at == '\t') ++at;
    int left = 0, top = 0, width = 0, height = 0, used = 0;
    if (std::sscanf(at, "%d,%d,%d,%d%n", &left, &top, &width, &height, &used) == 4 && width > 0 &&
        height > 0) {
      windows.push_back({left, top, width, height, nullptr, nullptr});
      at += used;
    }
    while (*at && *at != ' ' && *at != '\t') ++at;
  }
  if (windows.empty()) {
    MessageBoxA(nullptr, "Usage: tessara_floor /startup-probe[:file] L,T,W,H ...", "tessara_floor", MB_OK);
    return 2;
  }

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "TessaraFloor";
  RegisterClassExA(&wc);
  g_memory_dc = CreateCompatibleDC(nullptr);

  BYTE shade = 0x40;
  for (FloorWindow& w : windows) {
    w.image = PrepareImage(w.width, w.height, shade);
    shade = static_cast<BYTE>(shade + 8);
    w.hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "TessaraFloor", "floor", WS_POPUP, w.left, w.top, w.width,
                             w.height, nullptr, nullptr, instance, &w);
    ShowWindow(w.hwnd, SW_SHOWNOACTIVATE);
  }
  probe.FinishIfRequested();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  for (FloorWindow& w : windows) {
    if (w.hwnd) DestroyWindow(w.hwnd);
    if (w.image) DeleteObject(w.image);
  }
  DeleteDC(g_memory_dc);
  return 0;
}
