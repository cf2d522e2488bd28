#include "shell/late_win32.h"

#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>
#include <olectl.h>
#include <shlobj.h>

#include "shell/systemlibrary_win32.h"

namespace tessara {

namespace {

thread_local bool t_entered = false;

HMODULE Ole32() {
  static const HMODULE library = LoadSystemLibrary(L"ole32.dll");
  return library;
}

HMODULE Shell32() {
  static const HMODULE library = LoadSystemLibrary(L"shell32.dll");
  return library;
}

HMODULE OleAut32() {
  static const HMODULE library = LoadSystemLibrary(L"oleaut32.dll");
  return library;
}

HMODULE Oleacc() {
  static const HMODULE library = LoadSystemLibrary(L"oleacc.dll");
  return library;
}

// The function as its declared type, looked up once; nullptr when missing.
template <class F>
F Late(HMODULE (*load)(), const char* name) {
  return LibraryFunction<F>(load(), name);
}

// Whether the function is there, the reason as the last error when not. The functions of these
// libraries may use COM: the calling thread joins an apartment first.
template <class F>
bool Ready(F function) {
  EnterComApartment();
  if (!function) SetLastError(ERROR_PROC_NOT_FOUND);
  return function != nullptr;
}

}  // namespace

bool EnterComApartment() {
  if (t_entered) return true;
  using Initialize = decltype(&::CoInitializeEx);
  static const auto initialize = LibraryFunction<Initialize>(Ole32(), "CoInitializeEx");
  const HRESULT result = initialize ? initialize(nullptr, COINIT_APARTMENTTHREADED) : E_NOTIMPL;
  // Joined before in another kind: usable, but not ours to leave.
  if (result == RPC_E_CHANGED_MODE) return true;
  t_entered = SUCCEEDED(result);
  return t_entered;
}

void LeaveComApartment() {
  if (!t_entered) return;
  t_entered = false;
  using Uninitialize = decltype(&::CoUninitialize);
  static const auto uninitialize = LibraryFunction<Uninitialize>(Ole32(), "CoUninitialize");
  if (uninitialize) uninitialize();
}

void UseCommonControls() {
  static const bool registered = [] {
    // The program's manifest sends the name to version 6 in the side-by-side store.
    using Init = decltype(&::InitCommonControlsEx);
    const auto init = LibraryFunction<Init>(LoadSystemLibrary(L"comctl32.dll"), "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return init && init(&controls);
  }();
  (void)registered;
}

namespace late {

void DragAcceptFiles(HWND window, BOOL accept) {
  // All the shell's own function does: the style tells the system to send WM_DROPFILES.
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  SetWindowLongPtrW(window, GWL_EXSTYLE, accept ? style | WS_EX_ACCEPTFILES : style & ~WS_EX_ACCEPTFILES);
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT length) {
  static const auto f = Late<decltype(&::DragQueryFileW)>(Shell32, "DragQueryFileW");
  return Ready(f) ? f(drop, index, file, length) : 0;
}

BOOL DragQueryPoint(HDROP drop, POINT* point) {
  static const auto f = Late<decltype(&::DragQueryPoint)>(Shell32, "DragQueryPoint");
  return Ready(f) ? f(drop, point) : FALSE;
}

void DragFinish(HDROP drop) {
  static const auto f = Late<decltype(&::DragFinish)>(Shell32, "DragFinish");
  if (Ready(f)) f(drop);
}

HICON ExtractIconA(HINSTANCE instance, LPCSTR file, UINT index) {
  static const auto f = Late<decltype(&::ExtractIconA)>(Shell32, "ExtractIconA");
  return Ready(f) ? f(instance, file, index) : nullptr;
}

DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
  static const auto f = Late<decltype(&::SHGetFileInfoW)>(Shell32, "SHGetFileInfoW");
  return Ready(f) ? f(path, attributes, info, size, flags) : 0;
}

HINSTANCE FindExecutableW(LPCWSTR file, LPCWSTR directory, LPWSTR result) {
  static const auto f = Late<decltype(&::FindExecutableW)>(Shell32, "FindExecutableW");
  // Its failures are codes of 32 and below.
  return Ready(f) ? f(file, directory, result) : reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_NOASSOC));
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  static const auto f = Late<decltype(&::ShellExecuteExW)>(Shell32, "ShellExecuteExW");
  return Ready(f) ? f(info) : FALSE;
}

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID folder, DWORD flags, HANDLE token, PWSTR* path) {
  static const auto f = Late<decltype(&::SHGetKnownFolderPath)>(Shell32, "SHGetKnownFolderPath");
  if (Ready(f)) return f(folder, flags, token, path);
  *path = nullptr;
  return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE ids, LPWSTR path) {
  static const auto f = Late<decltype(&::SHGetPathFromIDListW)>(Shell32, "SHGetPathFromIDListW");
  return Ready(f) ? f(ids, path) : FALSE;
}

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
  static const auto f = Late<decltype(&::Shell_NotifyIconA)>(Shell32, "Shell_NotifyIconA");
  return Ready(f) ? f(message, data) : FALSE;
}

HRESULT CoCreateInstance(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
  static const auto f = Late<decltype(&::CoCreateInstance)>(Ole32, "CoCreateInstance");
  if (Ready(f)) return f(type, outer, context, iid, object);
  *object = nullptr;
  return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

void CoTaskMemFree(LPVOID memory) {
  // Nothing was handed out without the library.
  static const auto f = Late<decltype(&::CoTaskMemFree)>(Ole32, "CoTaskMemFree");
  if (Ready(f)) f(memory);
}

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL free, LPSTREAM* stream) {
  static const auto f = Late<decltype(&::CreateStreamOnHGlobal)>(Ole32, "CreateStreamOnHGlobal");
  if (Ready(f)) return f(memory, free, stream);
  *stream = nullptr;
  return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  static const auto f = Late<decltype(&::SysAllocStringLen)>(OleAut32, "SysAllocStringLen");
  return Ready(f) ? f(text, length) : nullptr;
}

void VariantInit(VARIANT* variant) {
  // All the system's function does, as documented: the contents are not looked at.
  variant->vt = VT_EMPTY;
}

HRESULT OleLoadPicture(LPSTREAM stream, LONG size, BOOL runMode, REFIID iid, LPVOID* picture) {
  static const auto f = Late<decltype(&::OleLoadPicture)>(OleAut32, "OleLoadPicture");
  if (Ready(f)) return f(stream, size, runMode, iid, picture);
  *picture = nullptr;
  return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

LRESULT LresultFromObject(REFIID iid, WPARAM wp, LPUNKNOWN object) {
  static const auto f = Late<decltype(&::LresultFromObject)>(Oleacc, "LresultFromObject");
  // A negative result is a failure code, as the function's own.
  return Ready(f) ? f(iid, wp, object) : static_cast<LRESULT>(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
}

HRESULT AccessibleObjectFromWindow(HWND window, DWORD id, REFIID iid, void** object) {
  static const auto f = Late<decltype(&::AccessibleObjectFromWindow)>(Oleacc, "AccessibleObjectFromWindow");
  if (Ready(f)) return f(window, id, iid, object);
  *object = nullptr;
  return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

}  // namespace late

}  // namespace tessara
