#include "shell/dwm_win32.h"

#include <dwmapi.h>

#include "shell/systemlibrary_win32.h"

namespace tessara {
namespace {

HMODULE DwmLibrary() {
  static const HMODULE library = LoadSystemLibrary(L"dwmapi.dll");
  return library;
}

template <class F>
F DwmFunction(const char* name) {
  return LibraryFunction<F>(DwmLibrary(), name);
}

using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using FlushFn = HRESULT(WINAPI*)();
using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

bool SetBoolAttribute(HWND window, DWORD attribute, BOOL value) {
  static const auto set = DwmFunction<SetAttributeFn>("DwmSetWindowAttribute");
  return set && SUCCEEDED(set(window, attribute, &value, sizeof value));
}

}  // namespace

bool CompositionOn() {
  static const auto enabled = DwmFunction<IsCompositionEnabledFn>("DwmIsCompositionEnabled");
  BOOL on = FALSE;
  return enabled && SUCCEEDED(enabled(&on)) && on;
}

bool WaitForPresent() {
  static const auto flush = DwmFunction<FlushFn>("DwmFlush");
  return flush && SUCCEEDED(flush());
}

bool SetCloaked(HWND window, bool cloaked) { return SetBoolAttribute(window, DWMWA_CLOAK, cloaked); }

bool Cloaked(HWND window) {
  static const auto get = DwmFunction<GetAttributeFn>("DwmGetWindowAttribute");
  DWORD cloaked = 0;
  return get && SUCCEEDED(get(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

bool SetExcludedFromCapture(HWND window, bool excluded) {
  return SetWindowDisplayAffinity(window, excluded ? WDA_EXCLUDEFROMCAPTURE : WDA_NONE) != FALSE;
}

unsigned SystemBuild() {
  using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto get = LibraryFunction<GetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return get && get(&version) == 0 ? version.dwBuildNumber : 0;
}

void DisableTransitions(HWND window) { SetBoolAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE); }

}  // namespace tessara
