#pragma once
// Small helpers shared by the native tests.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/legacytext.h"

namespace tessara::testing {

// A fresh, empty folder for one test, removed afterwards. Path() ends in the separator, as
// the program folder does.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tessara_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Path() const { return path_.string() + "/"; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The files' code page in native tests: Latin-1, '?' for any other character.
struct Latin1Codec : LegacyCodec {
  std::string ToProgram(std::string_view legacy) const override {
    std::string out;
    for (const unsigned char c : legacy) out += c < 0x80 ? std::string(1, c) : std::string{char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    return out;
  }
  LegacyForm ToLegacy(std::string_view text, bool) const override {
    LegacyForm form;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      const bool kept = c < 0x80 || ((c == 0xC2 || c == 0xC3) && i + 1 < text.size());
      form.Lossless = form.Lossless && kept;
      if (kept || (c & 0xC0) != 0x80) form.Bytes += kept ? char(c < 0x80 ? c : (c & 3) << 6 | (text[++i] & 0x3F)) : '?';
    }
    return form;
  }
  const CodePageRule& Rule() const override {
    static const CodePageRule single = CodePageRule::ByLeadBytes([](unsigned char) { return false; });
    return single;
  }
};

#ifndef _WIN32
// Puts at `path` a socket: a file that exists but cannot be opened, even by root, as a file
// held by another program or offline is on Windows.
inline void MakeUnreadable(const std::string& path) {
  std::filesystem::remove(path);
  sockaddr_un address{AF_UNIX, {}};
  ASSERT_LT(path.copy(address.sun_path, sizeof address.sun_path), sizeof address.sun_path);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  EXPECT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) | ::close(socket), 0);
}
#endif

}  // namespace tessara::testing
