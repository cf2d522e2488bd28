#pragma once
// The system's functions that a start from intact caches never calls: the shell's drop, icon,
// start and tray functions, COM and OLE automation, the common controls beyond the panel's
// buttons. Linked, their libraries (and the many those load) would be loaded before WinMain
// at every start; here each library is loaded from the system folder at its first use. Each
// function keeps the system's name and arguments; a library or function that cannot be loaded
// gives the function's failure, with ERROR_PROC_NOT_FOUND as the last error.
#include <windows.h>
#include <oaidl.h>
#include <shellapi.h>
#include <shtypes.h>

namespace tessara {

// The calling thread in a single-threaded apartment from now on, once per thread: the shell's
// functions and the COM objects need one; a start from the caches never does. True when the
// thread is in an apartment (of whatever kind it had joined before).
bool EnterComApartment();
// Ends the apartment that EnterComApartment began on this thread, if it began one.
void LeaveComApartment();

// The apartment of the program's main thread, left at the end of its scope.
class ComApartmentUntilExit {
 public:
  ComApartmentUntilExit() = default;
  ~ComApartmentUntilExit() { LeaveComApartment(); }
  ComApartmentUntilExit(const ComApartmentUntilExit&) = delete;
  ComApartmentUntilExit& operator=(const ComApartmentUntilExit&) = delete;
};

// The common controls the dialogs and hints use, registered before the first of them is made.
// The panel's buttons do not need this: the system loads their library when it makes them.
void UseCommonControls();

namespace late {

// A window that takes dropped files: only its style, which needs no shell library.
void DragAcceptFiles(HWND window, BOOL accept);
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT length);
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);

HICON ExtractIconA(HINSTANCE instance, LPCSTR file, UINT index);
DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags);
HINSTANCE FindExecutableW(LPCWSTR file, LPCWSTR directory, LPWSTR result);
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID folder, DWORD flags, HANDLE token, PWSTR* path);
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE ids, LPWSTR path);
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data);

HRESULT CoCreateInstance(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
void CoTaskMemFree(LPVOID memory);
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL free, LPSTREAM* stream);

BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void VariantInit(VARIANT* variant);
HRESULT OleLoadPicture(LPSTREAM stream, LONG size, BOOL runMode, REFIID iid, LPVOID* picture);

LRESULT LresultFromObject(REFIID iid, WPARAM wp, LPUNKNOWN object);
HRESULT AccessibleObjectFromWindow(HWND window, DWORD id, REFIID iid, void** object);

}  // namespace late

}  // namespace tessara
