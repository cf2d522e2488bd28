#include "tessara/launch.h"

#include "tessara/fake_view.h"

#include <gtest/gtest.h>

#include <set>

namespace tessara {
namespace {

TEST(TileLaunch, SplitsTheProgramFromItsArgumentsAndHandsADroppedNameOverWhole) {
  const std::set<std::string> files = {"C:\\Program Files\\Tool\\tool.exe", "C:\\Tools\\tool.exe",
                                       "C:\\My Files\\a b.txt", "C:\\My Folder\\", "C:\\Docs"};
  const auto exists = [&](const std::string& f) { return files.count(f) != 0; };
  const struct {
    const char *filename, *dropped, *file, *parameters;
  } cases[] = {
      {"C:\\Program Files\\Tool\\tool.exe", "", "C:\\Program Files\\Tool\\tool.exe", ""},
      {"C:\\My Files\\a b.txt", "", "C:\\My Files\\a b.txt", ""},  // a document
      {"C:\\My Folder\\", "", "C:\\My Folder\\", ""},
      {"C:\\Docs", "", "C:\\Docs", ""},  // a folder without a blank
      {"C:\\Tools\\tool.exe", "", "C:\\Tools\\tool.exe", ""},
      {"C:\\Tools\\tool.exe /s  C:\\x", "", "C:\\Tools\\tool.exe", "/s  C:\\x"},
      {"EXPLORER.EXE D:\\", "", "EXPLORER.EXE", "D:\\"},  // a drive tile, the explorer found on the path
      {"\"C:\\Program Files\\Tool\\tool.exe\" -a", "", "C:\\Program Files\\Tool\\tool.exe", "-a"},
      {"C:\\Program Files\\Tool\\tool.exe -a b", "", "C:\\Program Files\\Tool\\tool.exe", "-a b"},
      {"C:\\Gone\\a.exe -a", "", "C:\\Gone\\a.exe", "-a"},  // left to the shell to report
      {"\"C:\\Open\\a.exe -a", "", "C:\\Open\\a.exe -a", ""},  // an unclosed quote runs to the end
      {"C:\\Tools\\tool.exe", "C:\\My Files\\a b.txt", "C:\\Tools\\tool.exe", "\"C:\\My Files\\a b.txt\""},
      {"C:\\Tools\\tool.exe /s", "D:\\", "C:\\Tools\\tool.exe", "/s \"D:\\\\\""},
      {"", "", "", ""},  // nothing to start
  };
  for (const auto& c : cases)
    EXPECT_EQ(TileLaunch(c.filename, "C:\\Work", c.dropped, exists), (LaunchRequest{c.file, c.parameters, "C:\\Work"}))
        << c.filename;
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
