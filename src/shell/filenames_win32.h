#pragma once
// File names from the shell arrive in UTF-16; the program keeps them as texts of its ANSI code
// page of at most 255 bytes. Where that code page is UTF-8 (the manifest's, where Windows
// honours it) every name is kept as it is. In a legacy code page a name that does not fit is
// replaced by the file's short (8.3) name when that fits; otherwise the name cannot be kept
// and the caller is told why.
#include <windows.h>

#include <string>

namespace tessara {

struct AnsiFileName {
  std::string Name;     // empty when the name cannot be kept
  std::string Problem;  // the user-facing reason, when Name is empty
};

// `codePage` is the program's ANSI code page unless a test names another.
AnsiFileName ToAnsiFileName(const std::wstring& wide, UINT codePage = CP_ACP);

// The ANSI text in UTF-16.
std::wstring WideFromAnsi(const std::string& text);

// The running program's full path, whatever its characters.
std::wstring ProgramPathWide();

// Where the program's texts are in a legacy code page (Windows ignores the manifest's UTF-8
// before Windows 10 1903), a program folder whose name that code page cannot hold leaves the
// program unable to name its own files. Then the message that says so, naming the folder
// whole; else empty. `codePage` is the program's unless a test names another.
std::wstring ProgramFolderProblem(const std::wstring& programPath, UINT codePage = CP_ACP);

// A text that is only shown (a description), whole, in the code page: a character the code
// page lacks becomes its nearest look-alike or the default character. Unlike a name it is
// never refused; the caller cuts it to its field.
std::string AnsiText(const std::wstring& wide, UINT codePage = CP_ACP);

struct OpenDialogSettings {
  const char* Title = nullptr;   // nullptr: the dialog's own title
  const char* Filter = "";       // "Name|*.ext|Name|*.ext"
  const char* DefaultExt = nullptr;
  DWORD Flags = 0;               // OFN_EXPLORER is always added
  DWORD FilterIndex = 1;         // the filter shown first, counted from 1
};

// Shows the open-file dialog preset to `name` (opening in `initialFolder` when given). On OK
// `name` becomes the chosen full name; a name that cannot be kept is reported with a message
// box and counts as cancelled.
bool RunOpenDialog(HWND owner, const OpenDialogSettings& settings, const std::string& initialFolder,
                   std::string& name);

}  // namespace tessara
