#pragma once
// Shell shortcut (.lnk) files, made and read through the shell link object's Unicode
// interface, so names outside the system's code page stay whole.
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
  int IconIndex = 0;  // as stored with IconLocation: a negative one is a resource id
  std::string Arguments;  // only tells that there are some, so kept with look-alikes
  bool IdListOnly = false;  // its ID list names no file (an app, a control panel item)
  bool Advertised = false;  // an installer's shortcut: the installer finds the program at start
  // When a name cannot be kept in the code page: why, and every other field is empty.
  std::string Problem;
};

// Loads the shortcut at `file` and lets the shell look for a moved target for a moment, without
// any dialog and without rewriting the file; the fields are those stored when it finds nothing.
ShortcutInfo ResolveShortcut(HWND owner, const std::string& file);

// The icon the shell shows for a file (for a shortcut: its target's or its own, found as the
// shell finds it, without the arrow), at the system's large-icon size; nullptr when none.
HICON ShellFileIcon(const std::string& file);

}  // namespace tessara
