#pragma once
// Shell shortcut (.lnk) files, made through the shell's link object (IShellLinkA) and read
// through its Unicode interface.
// COM must already be initialised on the calling thread.
#include <windows.h>

#include <string>

namespace tessara {

// Saves a shortcut at `file` that opens `target`, with the given description; an existing file
// of that name is replaced. Only the path and description are set. Returns the first failing
// HRESULT, or the result of the save.
HRESULT CreateShortcut(const std::string& target, const std::string& file,
                       const std::string& description);

// What a shortcut gives; a text the shortcut does not give (or that cannot be read) stays empty.
struct ShortcutInfo {
  std::string Target, WorkingFolder, Description, IconLocation;
  int IconNumber = 1;  // the icon index plus 1; 1 when no index was read
  // When a name cannot be kept in the code page: why, and every other field is empty.
  std::string Problem;
};

// Loads and resolves the shortcut at `file`. Resolving may show the shell's own search dialog,
// owned by `owner`, when the target has moved.
ShortcutInfo ResolveShortcut(HWND owner, const std::string& file);

}  // namespace tessara
