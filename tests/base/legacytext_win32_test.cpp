// Code page 1252 at the file boundary, through the system's own conversion tables.
#include "base/legacytext_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tessara {
namespace {

std::string Utf8(const std::wstring& wide) {
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.pop_back();
  return out;
}

TEST(LegacyCodePageWin32, Windows1252KeepsWhatItCanHoldAndGivesShortNamesForTheRest) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tessara_cp_" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::wstring chinese = folder.wstring() + L"\\\u62A5\u544A\u6587\u6863.txt";
  std::ofstream(std::filesystem::path(chinese)) << "x";
  std::wstring shortName(MAX_PATH, L'\0');
  shortName.resize(GetShortPathNameW(chinese.c_str(), shortName.data(), MAX_PATH));
  ASSERT_FALSE(shortName.empty());

  const auto codec = MakeLegacyCodec(1252);
  const struct {
    const char* what;
    std::string text;
    bool name;
    std::string bytes;
    bool lossless;
  } rows[] = {
      {"plain", "C:\\Tools\\a.exe", true, "C:\\Tools\\a.exe", true},
      {"accents", "C:\\Café\\menü.exe", true, "C:\\Caf\xE9\\men\xFC.exe", true},
      {"the code page's own euro sign", "5 €", false, "5 \x80", true},
      {"Chinese file by its short name", Utf8(chinese), true, Utf8(shortName), false},
      {"Chinese text, no file", "报告", false, "??", false},
      {"Greek", "Ελλάδα", false, "??????", false},
      {"outside the BMP", "x😀", false, "x??", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    const LegacyForm form = codec->ToLegacy(r.text, r.name);
    EXPECT_EQ(form.Bytes, r.bytes);
    EXPECT_EQ(form.Lossless, r.lossless);
    EXPECT_EQ(codec->ToProgram(form.Bytes) == r.text, r.lossless);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessara
