#pragma once
// Folder and case helpers. Texts are 8-bit strings in the program's ANSI code page.
#include <string>

namespace alTools {

// The program file's path up to and including its last backslash ('/' natively); empty if none.
std::string ProgramFolder();
// Full path of the running program's file.
std::string ProgramPath();
// The current user's Startup folder with a trailing backslash; empty when it cannot be found.
std::string StartupFolder();
// Whether the user turned the Startup folder entry of this shortcut file name ("x.lnk") off in
// Task Manager, so that Windows does not run it at log-on.
bool StartupEntryDisabled(const std::string& linkName);

// "" stays ""; a text ending in a backslash is unchanged; anything else gets "\" appended.
std::string WithTrailingBackslash(const std::string& text);
// Byte-wise upper-casing of ASCII and Windows-1253 Greek (accents dropped); length never changes.
std::string UpperCaseFold(const std::string& text);
// "A".."Z" to "a".."z"; every other byte unchanged.
std::string LowerCaseAscii(const std::string& text);

// Upper-case fold of one byte (the table behind UpperCaseFold).
unsigned char UpperCaseFoldByte(unsigned char c);

}  // namespace alTools
