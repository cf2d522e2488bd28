// The start-up check of the program's folder against a legacy code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/filenames_win32.h"

namespace tessara {
namespace {

TEST(ProgramFolderCheck, AFolderNamedOutsideALegacyCodePageIsNamedWholeInTheMessage) {
  const std::wstring greekChinese = L"C:\\Users\\\u0394\u03ae\u03bc\u03b7\u03c4\u03c1\u03b1 \u6d4b\u8bd5\\";
  const struct {
    std::wstring folder;
    UINT codePage;
    bool refused;
  } cases[] = {
      {L"C:\\Tessara\\", 1252, false},
      {L"C:\\Users\\Jos\u00e9 M\u00fcller\\", 1252, false},
      {greekChinese, 1252, true},
      {L"C:\\Users\\\u0394\u03ae\u03bc\u03b7\u03c4\u03c1\u03b1\\", 1253, false},
      {greekChinese, 1253, true},
      {greekChinese, CP_UTF8, false},
      {greekChinese, CP_ACP, false},  // the program's own: UTF-8 under its manifest
  };
  for (const auto& c : cases) {
    const std::wstring problem = ProgramFolderProblem(c.folder + L"tessara.exe", c.codePage);
    EXPECT_EQ(!problem.empty(), c.refused) << c.codePage;
    if (c.refused) EXPECT_NE(problem.find(L"\n" + c.folder + L"\n"), std::wstring::npos);
  }
  EXPECT_NE(GetFileAttributesW(ProgramPathWide().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tessara
