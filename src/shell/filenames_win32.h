#pragma once
// File names from the shell arrive in UTF-16; the program keeps them as ANSI texts of at most
// 255 characters. A name that does not fit is replaced by the file's short (8.3) name when
// that fits; otherwise the name cannot be kept and the caller is told why.
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

// A text that is only shown (a description), whole, in the code page: a character the code
// page lacks becomes its nearest look-alike or the default character. Unlike a name it is
// never refused; the caller cuts it to its field.
std::string AnsiText(const std::wstring& wide, UINT codePage = CP_ACP);

struct OpenDialogSettings {
  const char* Title = nullptr;   // nullptr: the dialog's own title
  const char* Filter = "";       // "Name|*.ext|Name|*.ext"
  const char* DefaultExt = nullptr;
  DWORD Flags = 0;               // OFN_EXPLORER is always added
};

// Shows the open-file dialog preset to `name` (opening in `initialFolder` when given). On OK
// `name` becomes the chosen full name; a name that cannot be kept is reported with a message
// box and counts as cancelled.
bool RunOpenDialog(HWND owner, const OpenDialogSettings& settings, const std::string& initialFolder,
                   std::string& name);

}  // namespace tessara
