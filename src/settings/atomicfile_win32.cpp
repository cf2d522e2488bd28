#include <windows.h>

#include <string>
#include <utility>

#include "settings/atomicfile.h"
#include "settings/replaceretry.h"

namespace tessara {

namespace {

ReplaceRefusal RefusalOf(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION: return ReplaceRefusal::SharingViolation;
    case ERROR_LOCK_VIOLATION: return ReplaceRefusal::LockViolation;
    case ERROR_ACCESS_DENIED: return ReplaceRefusal::AccessDenied;
    default: return ReplaceRefusal::Other;
  }
}

// A read-only target, or a folder in its place, refuses the replace for good.
bool CannotBeReplaced(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

bool ReplaceWithRetry(const std::string& temp, const std::string& path) {
  const ReplaceRetry retry;
  for (;;) {
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const ReplaceRefusal why = RefusalOf(GetLastError());
    const unsigned wait = retry.NextWait(why, why == ReplaceRefusal::AccessDenied && CannotBeReplaced(path));
    if (wait == 0) return false;
    Sleep(wait);
  }
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string temp = TemporaryFileFor(path, GetCurrentProcessId());
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && !bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
    if (ok) bytes.remove_prefix(written);
  }
  ok = ok && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && ReplaceWithRetry(temp, path);
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < 0x7FFFFFFF;
  std::string content;
  if (ok) {
    content.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (ok && done < content.size()) {
      DWORD got = 0;
      ok = ReadFile(file, content.data() + done, static_cast<DWORD>(content.size() - done), &got, nullptr);
      if (ok && got == 0) content.resize(done);  // the file shrank meanwhile
      done += got;
    }
  }
  CloseHandle(file);
  if (ok) bytes = std::move(content);
  return ok;
}

FileRead ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FileRead::Missing;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileRead::Failed;
  LARGE_INTEGER size{};
  FileRead result = GetFileSizeEx(file, &size) && size.QuadPart >= 0 ? FileRead::Ok : FileRead::Failed;
  if (result == FileRead::Ok && static_cast<unsigned long long>(size.QuadPart) > maxBytes) result = FileRead::TooLarge;
  std::string content;
  if (result == FileRead::Ok) {
    // One byte more than allowed shows a file that grew meanwhile.
    content.resize(static_cast<std::size_t>(size.QuadPart) + 1);
    std::size_t done = 0;
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, content.data() + done, static_cast<DWORD>(content.size() - done), &got, nullptr)) {
        result = FileRead::Failed;
        break;
      }
      done += got;
      if (got == 0 || done == content.size()) break;
    }
    if (result == FileRead::Ok && done > maxBytes) result = FileRead::TooLarge;
    content.resize(done);
  }
  CloseHandle(file);
  if (result == FileRead::Ok) bytes = std::move(content);
  return result;
}

std::optional<FileStamp> SettledStampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  const auto ticks = [](const FILETIME& t) {  // 100 ns each
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  if (ticks(now) - ticks(data.ftLastWriteTime) < 30000000) return std::nullopt;
  return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, ticks(data.ftLastWriteTime)};
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  const std::string prefix = folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + '\\';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) { return ReplaceWithRetry(from, to); }

}  // namespace tessara
