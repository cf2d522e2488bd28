#pragma once
// The files' code page in native tests: Latin-1 (the accents of Windows-1252), '?' for any
// other character, and short names from a table, as a file system gives them.
#include <map>
#include <string>

#include "base/legacytext.h"

namespace tessara::testing {

struct Latin1Codec : LegacyCodec {
  std::map<std::string, std::string, std::less<>> shortNames;

  std::string ToProgram(std::string_view legacy) const override {
    std::string out;
    for (const unsigned char c : legacy)
      out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string{static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return out;
  }
  LegacyForm ToLegacy(std::string_view text, bool name) const override {
    LegacyForm form;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      const bool latin1 = (c == 0xC2 || c == 0xC3) && i + 1 < text.size();
      form.Lossless = form.Lossless && (c < 0x80 || latin1);
      if (c < 0x80 || latin1) form.Bytes += static_cast<char>(c < 0x80 ? c : (c & 3) << 6 | (text[++i] & 0x3F));
      else if ((c & 0xC0) != 0x80) form.Bytes += '?';
    }
    if (const auto found = shortNames.find(text); name && !form.Lossless && found != shortNames.end()) form.Bytes = found->second;
    return form;
  }
  const CodePageRule& Rule() const override {
    static const CodePageRule single = CodePageRule::ByLeadBytes([](unsigned char) { return false; });
    return single;
  }
};

}  // namespace tessara::testing
