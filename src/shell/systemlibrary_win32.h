#pragma once
// Libraries the program loads while it runs come from the system folder only. A library of a
// system name beside the program (a downloads folder) or in the current folder is never
// loaded in its place: Windows 7 has no shcore.dll, so a bare name would find such a file.
#include <windows.h>

namespace tessara {

// Makes the system folder the only place searched for the libraries loaded from now on, also
// those the system's own libraries load for the program; Windows 7 without its update
// KB2533623 cannot, and only the current folder is taken out. Called first at start.
void SearchLibrariesInSystemFolderOnly();

// The library of this name in the system folder, loaded; nullptr when it has none there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a loaded library as its pointer type; nullptr when the library or the function
// is missing (an older Windows), so the caller takes its fallback.
template <class F>
F LibraryFunction(HMODULE library, const char* name) {
  return library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace tessara
