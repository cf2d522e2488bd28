#include "shell/commondialogs_win32.h"

#include <string>

namespace tessara {
namespace {

// From the system folder only, never from the program's or the current one.
FARPROC CommonDialogProc(const char* name) {
  static HMODULE library = [] {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HMODULE{};
    return LoadLibraryW((std::wstring(folder, length) + L"\\comdlg32.dll").c_str());
  }();
  return library ? GetProcAddress(library, name) : nullptr;
}

template <typename Arg>
BOOL Call(const char* name, Arg* arg) {
  using Fn = BOOL(WINAPI*)(Arg*);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(CommonDialogProc(name)));
  return fn ? fn(arg) : FALSE;
}

}  // namespace

BOOL CommonChooseColor(CHOOSECOLORA* cc) { return Call("ChooseColorA", cc); }
BOOL CommonChooseFont(CHOOSEFONTA* cf) { return Call("ChooseFontA", cf); }
BOOL CommonOpenFileName(OPENFILENAMEA* ofn) { return Call("GetOpenFileNameA", ofn); }
BOOL CommonOpenFileName(OPENFILENAMEW* ofn) { return Call("GetOpenFileNameW", ofn); }

}  // namespace tessara
