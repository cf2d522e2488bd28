#include "shell/commondialogs_win32.h"

#include "shell/late_win32.h"
#include "shell/systemlibrary_win32.h"

namespace tessara {
namespace {

FARPROC CommonDialogProc(const char* name) {
  static const HMODULE library = LoadSystemLibrary(L"comdlg32.dll");
  return library ? GetProcAddress(library, name) : nullptr;
}

template <typename Arg>
BOOL Call(const char* name, Arg* arg) {
  using Fn = BOOL(WINAPI*)(Arg*);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(CommonDialogProc(name)));
  // The dialogs use COM: the thread joins an apartment, as the shell's functions do.
  EnterComApartment();
  return fn ? fn(arg) : FALSE;
}

}  // namespace

BOOL CommonChooseColor(CHOOSECOLORA* cc) { return Call("ChooseColorA", cc); }
BOOL CommonChooseFont(CHOOSEFONTW* cf) { return Call("ChooseFontW", cf); }
BOOL CommonOpenFileName(OPENFILENAMEW* ofn) { return Call("GetOpenFileNameW", ofn); }

}  // namespace tessara
