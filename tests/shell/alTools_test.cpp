#include "shell/alTools.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using alTools::LowerCaseAscii;
using alTools::UpperCaseFold;
using alTools::UpperCaseFoldByte;
using alTools::WithTrailingBackslash;

TEST(alToolsTest, WithTrailingBackslashCompletesFolderNames) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"C:\\Programs", "C:\\Programs\\"},
      {"C:\\Programs\\", "C:\\Programs\\"},
      {"\\", "\\"},
      {"C:", "C:\\"},
      {"a/b/", "a/b/\\"},            // only a backslash counts as a separator
      {"C:\\x\\\\", "C:\\x\\\\"},    // never strips, never adds a second
  };
  for (const auto& c : cases) EXPECT_EQ(WithTrailingBackslash(c.in), c.out) << c.in;
}

// Every entry of the Windows-1253 fold, written out byte by byte.
const std::map<unsigned char, unsigned char> kFoldTable = {
    // a..z
    {0x61, 0x41}, {0x62, 0x42}, {0x63, 0x43}, {0x64, 0x44}, {0x65, 0x45}, {0x66, 0x46},
    {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x4A}, {0x6B, 0x4B}, {0x6C, 0x4C},
    {0x6D, 0x4D}, {0x6E, 0x4E}, {0x6F, 0x4F}, {0x70, 0x50}, {0x71, 0x51}, {0x72, 0x52},
    {0x73, 0x53}, {0x74, 0x54}, {0x75, 0x55}, {0x76, 0x56}, {0x77, 0x57}, {0x78, 0x58},
    {0x79, 0x59}, {0x7A, 0x5A},
    // small alpha..rho
    {0xE1, 0xC1}, {0xE2, 0xC2}, {0xE3, 0xC3}, {0xE4, 0xC4}, {0xE5, 0xC5}, {0xE6, 0xC6},
    {0xE7, 0xC7}, {0xE8, 0xC8}, {0xE9, 0xC9}, {0xEA, 0xCA}, {0xEB, 0xCB}, {0xEC, 0xCC},
    {0xED, 0xCD}, {0xEE, 0xCE}, {0xEF, 0xCF}, {0xF0, 0xD0}, {0xF1, 0xD1},
    // final sigma and sigma
    {0xF2, 0xD3}, {0xF3, 0xD3},
    // small tau..omega
    {0xF4, 0xD4}, {0xF5, 0xD5}, {0xF6, 0xD6}, {0xF7, 0xD7}, {0xF8, 0xD8}, {0xF9, 0xD9},
    // small with tonos
    {0xDC, 0xC1}, {0xDD, 0xC5}, {0xDE, 0xC7}, {0xDF, 0xC9}, {0xFC, 0xCF}, {0xFD, 0xD5},
    {0xFE, 0xD9},
    // small with dialytika
    {0xFA, 0xC9}, {0xFB, 0xD5},
    // capital with tonos
    {0xA2, 0xC1}, {0xB8, 0xC5}, {0xB9, 0xC7}, {0xBA, 0xC9}, {0xBC, 0xCF}, {0xBE, 0xD5},
    {0xBF, 0xD9},
};

TEST(alToolsTest, UpperCaseFoldMapsEveryByteByTheTable) {
  ASSERT_EQ(kFoldTable.size(), 67u);
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    const auto it = kFoldTable.find(c);
    const unsigned char want = it == kFoldTable.end() ? c : it->second;
    EXPECT_EQ(UpperCaseFoldByte(c), want) << "byte " << b;
    // The string form must agree with the byte form, one byte in, one byte out.
    const std::string folded = UpperCaseFold(std::string(1, static_cast<char>(c)));
    ASSERT_EQ(folded.size(), 1u) << "byte " << b;
    EXPECT_EQ(static_cast<unsigned char>(folded[0]), want) << "byte " << b;
  }
}

TEST(alToolsTest, UpperCaseFoldTexts) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"notepad.exe", "NOTEPAD.EXE"},
      {"My Docs 2\\read-me_1.txt", "MY DOCS 2\\READ-ME_1.TXT"},
      {"ALREADY.LNK", "ALREADY.LNK"},
      // small alpha, epsilon, eta, iota with tonos, then capital alpha with tonos
      {"\xDC\xDD\xDE\xDF\xA2", "\xC1\xC5\xC7\xC9\xC1"},
      // not in the table: iota and upsilon with dialytika and tonos, $DA, $DB
      {"\xC0\xE0\xDA\xDB", "\xC0\xE0\xDA\xDB"},
      // embedded zero byte keeps its place and the length
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(UpperCaseFold(c.in), c.out) << c.in;
}

TEST(alToolsTest, LowerCaseAsciiLowersOnlyAsciiCapitals) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string lowered = LowerCaseAscii(all);
  ASSERT_EQ(lowered.size(), 256u);
  for (int b = 0; b < 256; ++b) {
    const int want = (b >= 'A' && b <= 'Z') ? b + 32 : b;
    EXPECT_EQ(static_cast<unsigned char>(lowered[b]), want) << "byte " << b;
  }
  EXPECT_EQ(LowerCaseAscii("Read Me 2.TXT"), "read me 2.txt");
  EXPECT_EQ(LowerCaseAscii("\xC1\xE1"), "\xC1\xE1");  // Greek capitals stay
}

TEST(alToolsTest, ProgramFolderIsTheFolderOfProgramPath) {
  const std::string path = alTools::ProgramPath();
  const std::string folder = alTools::ProgramFolder();
  ASSERT_FALSE(path.empty());
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
  EXPECT_EQ(path.find_first_of("/\\", folder.size()), std::string::npos);
}

}  // namespace
