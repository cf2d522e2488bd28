#pragma once
// Every file the program writes goes through here: the bytes are written to a temporary
// file beside the target, flushed to disk, and only then replace the target, so a crash,
// a full disk or a read-only folder never leaves a truncated or half-written file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessara {

// The temporary file a write of `path` by the process `pid` goes through: the target's name,
// kTemporaryInfix, then the process id in plain decimals.
inline constexpr std::string_view kTemporaryInfix = ".tmp";
inline std::string TemporaryFileFor(const std::string& path, unsigned long pid) {
  return path + std::string(kTemporaryInfix) + std::to_string(pid);
}

// Returns false (and leaves any existing target untouched) when the file cannot be written.
bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads a whole file; false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

enum class FileRead { Ok, Missing, TooLarge, Failed };
// Reads a whole file of at most maxBytes bytes; a larger one is never read into memory and
// `bytes` is left untouched unless the result is Ok.
FileRead ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& bytes);

// What tells one version of a file from another without reading it.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t written = 0;  // the last write, in the platform's finest unit
  bool operator==(const FileStamp&) const = default;
};
// The file's stamp once its last write lies a few seconds back; nullopt for a file written
// since (a next write in the same tick of the file system's clock, of the same size, would
// bear the same stamp), a missing one, a folder or a file that cannot be asked.
std::optional<FileStamp> SettledStampOf(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates one folder level; false on failure (including when it already exists).
bool CreateFolder(const std::string& path);
bool DeleteFileAt(const std::string& path);
// The names of the files (not the folders) directly inside a folder; empty when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);
// Gives a file another name in the same folder, replacing a file of that name; false (and
// nothing changed) when it cannot be done.
bool MoveFileReplacing(const std::string& from, const std::string& to);

}  // namespace tessara
