#include "shell/dpi_win32.h"

#include "base/dpi.h"
#include "shell/systemlibrary_win32.h"

namespace tessara {
namespace {

// From the newer SDK headers; the values are fixed by the system.
using DpiContext = HANDLE;
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorAware = 2;
constexpr int kMonitorEffectiveDpi = 0;

template <class F>
F UserFunction(const char* name) {
  return LibraryFunction<F>(GetModuleHandleA("user32.dll"), name);
}

template <class F>
F ShcoreFunction(const char* name) {
  static const HMODULE shcore = LoadSystemLibrary(L"shcore.dll");
  return LibraryFunction<F>(shcore, name);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return SaneDpi(dpi);
}

int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor = ShcoreFunction<GetDpiForMonitorFn>("GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kMonitorEffectiveDpi, &x, &y)))
    return SaneDpi(static_cast<int>(y));
  return SystemDpi();
}

}  // namespace

void DeclareDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(DpiContext);
  if (const auto setContext = UserFunction<SetContextFn>("SetProcessDpiAwarenessContext"))
    if (setContext(kPerMonitorAwareV2)) return;
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  if (const auto setAwareness = ShcoreFunction<SetAwarenessFn>("SetProcessDpiAwareness")) {
    // E_ACCESSDENIED: the manifest or an earlier call has settled it already.
    const HRESULT result = setAwareness(kProcessPerMonitorAware);
    if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
  }
  SetProcessDPIAware();
}

bool PerMonitorAware() {
  using GetAwarenessFn = HRESULT(WINAPI*)(HANDLE, int*);
  if (const auto getAwareness = ShcoreFunction<GetAwarenessFn>("GetProcessDpiAwareness")) {
    int awareness = 0;
    if (SUCCEEDED(getAwareness(nullptr, &awareness))) return awareness >= kProcessPerMonitorAware;
  }
  return false;
}

int DpiOfWindow(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (window && getDpiForWindow) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return SaneDpi(static_cast<int>(dpi));
  }
  return window ? MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
}

int DpiOfRect(const RECT& rect) { return MonitorDpi(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST)); }

int SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem = UserFunction<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) return SaneDpi(static_cast<int>(getDpiForSystem()));
  return ScreenDpi();
}

HICON ExtractIconOfSize(const std::string& file, int index, int size) {
  if (index < 0 || file.empty()) return nullptr;
  // The file's own image of that size where it has one; only a file without one is scaled.
  HICON icon = nullptr;
  const UINT got = PrivateExtractIconsA(file.c_str(), index, size, size, &icon, nullptr, 1, LR_DEFAULTCOLOR);
  if (got == 0 || got == 0xFFFFFFFF) return nullptr;
  return icon;
}

void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  // Windows 10 1607 and later; before it frames come in the system's metrics only.
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = UserFunction<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT adjusted = rect;
  if (adjustForDpi && adjustForDpi(&adjusted, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    rect = adjusted;
    return;
  }
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

HICON LoadSmallIcon(HINSTANCE instance, int id) {
  // The common controls' own choice of image and scaling (version 6, Windows Vista and later).
  using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
  constexpr int kLimSmall = 0;
  // The program links the common controls: the version its manifest chose is loaded already.
  static const auto loadIconMetric =
      LibraryFunction<LoadIconMetricFn>(GetModuleHandleA("comctl32.dll"), "LoadIconMetric");
  HICON icon = nullptr;
  if (loadIconMetric && SUCCEEDED(loadIconMetric(instance, MAKEINTRESOURCEW(id), kLimSmall, &icon)) && icon)
    return icon;
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto metricsForDpi = UserFunction<MetricsForDpiFn>("GetSystemMetricsForDpi");
  const int size = metricsForDpi ? metricsForDpi(SM_CXSMICON, static_cast<UINT>(SystemDpi()))
                                 : GetSystemMetrics(SM_CXSMICON);
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

SIZE ScaledOuterSize(SIZE outer96, DWORD style, DWORD exStyle, int dpi) {
  auto frame = [&](RECT rc, int at) {
    AdjustFrameForDpi(rc, style, exStyle, at);
    return rc;
  };
  const RECT empty96 = frame(RECT{0, 0, 0, 0}, kBaseDpi);
  const int client96Width = outer96.cx - (empty96.right - empty96.left);
  const int client96Height = outer96.cy - (empty96.bottom - empty96.top);
  const RECT outer = frame(RECT{0, 0, ScaleLength(client96Width, dpi), ScaleLength(client96Height, dpi)}, dpi);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace tessara
