#pragma once
// How the program's ANSI code page splits a text into characters, so a text cut to a field's
// byte capacity never ends inside a character (a lone lead byte, half a UTF-8 sequence).
#include <array>
#include <cstddef>
#include <string_view>

namespace tessara {

struct CodePageRule {
  bool Utf8 = true;
  // Other code pages: the bytes that begin a two-byte character (none in a single-byte one).
  std::array<bool, 256> Lead{};

  static CodePageRule Utf8Rule() { return {}; }
  template <class IsLead>
  static CodePageRule ByLeadBytes(IsLead isLead) {
    CodePageRule rule;
    rule.Utf8 = false;
    for (int b = 0x80; b <= 0xFF; ++b) rule.Lead[static_cast<std::size_t>(b)] = isLead(static_cast<unsigned char>(b));
    return rule;
  }
};

// The rule of the code page the program keeps its texts in (UTF-8 natively).
const CodePageRule& ProgramCodePage();

// How many leading bytes of `text` fit in `capacity` bytes without splitting a character.
std::size_t CharacterCut(std::string_view text, std::size_t capacity, const CodePageRule& rule);

// How many leading bytes of `text` hold at most `characters` characters of the program's
// texts. In UTF-8 a character is counted whatever its bytes, so a text read from a legacy
// field of that many characters still fits whole; other code pages count bytes as their
// fields do.
std::size_t FieldCut(std::string_view text, std::size_t characters, const CodePageRule& rule);

}  // namespace tessara
