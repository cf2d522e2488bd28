#pragma once
// How a tile's file becomes a command line for the legacy command-line starter.
#include <functional>
#include <string>

namespace tessara {

// The starter splits an unquoted command line at the first blank, so "C:\Program Files\a.exe"
// could start "C:\Program.exe". A Filename that as a whole names an existing file or folder
// and holds a blank is quoted; anything else (a program followed by arguments, a drive tile's
// "EXPLORER.EXE X:\") passes unchanged.
std::string QuotedCommand(const std::string& filename,
                          const std::function<bool(const std::string&)>& exists);

// Whether a file or a folder of that name exists: what QuotedCommand asks in the program.
bool FileOrFolderExists(const std::string& name);

// A name put in double quotes as one argument, read back whole by the Windows command-line
// rules.
std::string Quoted(const std::string& name);

}  // namespace tessara
