#pragma once
// The files' code page in native tests: Latin-1 (the accents Windows-1252 holds), '?' for any
// other character, and short names from a table, as a file system would give them.
#include <map>
#include <string>

#include "base/legacytext.h"

namespace tessara::testing {

class Latin1Codec : public LegacyCodec {
 public:
  std::map<std::string, std::string, std::less<>> shortNames;

  std::string ToProgram(std::string_view legacy) const override {
    std::string out;
    for (const char ch : legacy) {
      const auto c = static_cast<unsigned char>(ch);
      if (c >= 0x80) out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(c >= 0x80 ? 0x80 | (c & 0x3F) : c);
    }
    return out;
  }
  LegacyForm ToLegacy(std::string_view text, bool name) const override {
    LegacyForm form;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
      if (at(i) < 0x80) {
        form.Bytes += text[i++];
      } else if ((at(i) == 0xC2 || at(i) == 0xC3) && i + 1 < text.size()) {
        form.Bytes += static_cast<char>((at(i) & 3) << 6 | (at(i + 1) & 0x3F));
        i += 2;
      } else {
        form.Bytes += '?';
        form.Lossless = false;
        for (++i; i < text.size() && (at(i) & 0xC0) == 0x80;) ++i;
      }
    }
    if (const auto found = shortNames.find(text); name && !form.Lossless && found != shortNames.end())
      form.Bytes = found->second;
    return form;
  }
  const CodePageRule& Rule() const override {
    static const CodePageRule single = CodePageRule::ByLeadBytes([](unsigned char) { return false; });
    return single;
  }
};

}  // namespace tessara::testing
