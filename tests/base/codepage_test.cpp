// Texts cut to a field's bytes at a character boundary of each kind of code page.
#include <gtest/gtest.h>

#include <string>

#include "base/codepage.h"

namespace tessara {
namespace {

TEST(CodePage, CutEndsOnACharacterBoundary) {
  const CodePageRule utf8 = CodePageRule::Utf8Rule();
  // Shift-JIS: "\x88\x9F" is one character whose trail byte is also a lead byte.
  const CodePageRule dbcs = CodePageRule::ByLeadBytes([](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; });
  const CodePageRule single = CodePageRule::ByLeadBytes([](unsigned char) { return false; });
  std::string kanji;
  for (int i = 0; i < 20; ++i) kanji += "\x88\x9F";
  const std::string a38(38, 'a'), a39(39, 'a');
  const struct { const char* what; std::string text; const CodePageRule& rule; std::size_t kept; } rows[] = {
      {"empty", "", utf8, 0},
      {"exactly 40", a39 + "b", utf8, 40},
      {"41", a39 + "bc", utf8, 40},
      {"UTF-8 pair across the cut", a39 + "\xC3\xA9", utf8, 39},
      {"UTF-8 triple across the cut", a38 + "\xE2\x82\xAC", utf8, 38},
      {"UTF-8 four bytes ending at the cut", std::string(36, 'a') + "\xF0\x9F\x98\x80" + "x", utf8, 40},
      {"UTF-8 lead byte last, other bytes beyond", a39 + "\xC3" + "\x08", utf8, 39},
      {"double-byte lead at the cut", "x" + kanji, dbcs, 39},
      {"double-byte exactly 40", kanji + "x", dbcs, 40},
      {"single-byte code page cuts by bytes", a39 + "\xE9\xA9", single, 40},
  };
  for (const auto& r : rows) EXPECT_EQ(CharacterCut(r.text, 40, r.rule), r.kept) << r.what;
}

}  // namespace
}  // namespace tessara
