#pragma once
// How a tile, and a file dropped on it, become a request to the shell to start something.
#include <functional>
#include <string>

namespace tessara {

// What the shell is asked to open: a program, a document or a folder, the rest of the
// command line for a program, and the folder it starts in (empty: the shell's default).
// The program's own current folder is never changed for it.
struct LaunchRequest {
  std::string File;
  std::string Parameters = {};
  std::string Directory = {};
  bool operator==(const LaunchRequest&) const = default;
};

// The request for a tile's Filename, started in `startIn`, with `dropped` (when not empty)
// handed over as one more argument. A Filename that as a whole names an existing file or
// folder is the file, blanks and all. Otherwise it is a program followed by arguments: a
// quoted program ends at its closing quote; an unquoted one is the longest part before a
// blank that names an existing file or folder, as earlier tiles were typed ("C:\Program
// Files\a.exe -x"), else the part before the first blank (a drive tile's "EXPLORER.EXE X:\",
// a program found on the path). An empty Filename gives an empty File: nothing to start.
LaunchRequest TileLaunch(const std::string& filename, const std::string& startIn, const std::string& dropped,
                         const std::function<bool(const std::string&)>& exists);

// Whether a file or a folder of that name exists: what TileLaunch asks in the program.
bool FileOrFolderExists(const std::string& name);

// A name put in double quotes as one argument, read back whole by the Windows command-line
// rules.
std::string Quoted(const std::string& name);

}  // namespace tessara
