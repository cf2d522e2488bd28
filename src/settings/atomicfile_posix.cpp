#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/atomicfile.h"

namespace tessara {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string temp = TemporaryFileFor(path, static_cast<unsigned long>(::getpid()));
  // A replaced file keeps the permissions the user gave it.
  mode_t mode = 0666;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return false;
    mode = st.st_mode & 07777;
  }
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself lasts only once the folder is on disk; a failure here changes nothing
  // the caller could act on.
  const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  if (!FileExists(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  bytes = std::move(content);
  return true;
}

FileRead ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return FileRead::Missing;
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return FileRead::TooLarge;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileRead::Failed;
  std::string content;
  content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > maxBytes - content.size()) return FileRead::TooLarge;  // it grew meanwhile
    content.append(buffer, got);
  }
  if (in.bad()) return FileRead::Failed;
  bytes = std::move(content);
  return FileRead::Ok;
}

std::optional<FileStamp> SettledStampOf(const std::string& path) {
  struct stat st {};
  timespec now{};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || ::clock_gettime(CLOCK_REALTIME, &now) != 0 ||
      now.tv_sec - st.st_mtim.tv_sec < 3)
    return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool DeleteFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
  while (const dirent* entry = ::readdir(dir)) {
    struct stat st {};
    if (::lstat((prefix + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tessara
