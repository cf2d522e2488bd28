#include "tessara/launch.h"

#include <gtest/gtest.h>

#include <set>

namespace tessara {
namespace {

TEST(QuotedCommand, QuotesOnlyAWholeExistingFileNameWithABlank) {
  const std::set<std::string> files = {"C:\\Program Files\\Tool\\tool.exe", "C:\\Tools\\tool.exe",
                                       "C:\\My Files\\a b.txt", "C:\\My Folder\\"};
  const auto exists = [&](const std::string& f) { return files.count(f) != 0; };
  const struct {
    const char* filename;
    const char* expected;
  } cases[] = {
      {"C:\\Program Files\\Tool\\tool.exe", "\"C:\\Program Files\\Tool\\tool.exe\""},
      {"C:\\My Files\\a b.txt", "\"C:\\My Files\\a b.txt\""},
      {"C:\\My Folder\\", "\"C:\\My Folder\\\\\""},  // a folder, its closing backslash doubled
      {"C:\\Tools\\tool.exe", "C:\\Tools\\tool.exe"},                  // no blank
      {"C:\\Tools\\tool.exe /s C:\\x", "C:\\Tools\\tool.exe /s C:\\x"},  // program and arguments
      {"EXPLORER.EXE D:\\", "EXPLORER.EXE D:\\"},                        // drive tile
      {"\"C:\\Program Files\\Tool\\tool.exe\" -a", "\"C:\\Program Files\\Tool\\tool.exe\" -a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedCommand(c.filename, exists), c.expected) << c.filename;
}

TEST(Quoted, IsReadBackWholeByTheCommandLineRules) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"C:\\My Files\\a b.txt", "\"C:\\My Files\\a b.txt\""},
      {"D:\\", "\"D:\\\\\""},                           // a drive root
      {"C:\\My Files\\\\", "\"C:\\My Files\\\\\\\\\""},  // two before the closing quote
      {"a\\\"b", "\"a\\\\\\\"b\""},                       // a quote after a backslash
      {"\\\\server\\share", "\"\\\\server\\share\""},   // backslashes elsewhere stay
      {"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Quoted(c.name), c.expected) << c.name;
}

}  // namespace
}  // namespace tessara
