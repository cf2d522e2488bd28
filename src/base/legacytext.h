#pragma once
// The files keep their texts in the system's legacy ANSI code page, as earlier builds write
// and read them, while the program may hold its texts in UTF-8 (where Windows honours the
// manifest's code page). Every file kind converts here, at its boundary, both ways; a text
// the legacy code page cannot hold keeps its full form beside the legacy one, where earlier
// builds do not look.
#include <string>
#include <string_view>

#include "base/codepage.h"

namespace tessara {

struct LegacyForm {
  std::string Bytes;     // in the legacy code page
  bool Lossless = true;  // Bytes read back give exactly the text
};

class LegacyCodec {
 public:
  virtual ~LegacyCodec() = default;
  // A text stored by the files, in the program's code page.
  virtual std::string ToProgram(std::string_view legacy) const = 0;
  // The text as the files store it. One the code page cannot hold becomes, for a `name`, the
  // file system's short name where it has one, else the code page's nearest characters.
  virtual LegacyForm ToLegacy(std::string_view text, bool name) const = 0;
  // How the legacy code page splits a text into characters, to cut it to a field.
  virtual const CodePageRule& Rule() const = 0;
};

// Where the program's code page is the legacy one (the manifest not honoured, and natively):
// texts pass unchanged, so the program reads and writes its files exactly as before.
class SameCodePage : public LegacyCodec {
 public:
  std::string ToProgram(std::string_view legacy) const override { return std::string(legacy); }
  LegacyForm ToLegacy(std::string_view text, bool) const override { return {std::string(text), true}; }
  const CodePageRule& Rule() const override { return ProgramCodePage(); }
};

// The codec of the file boundaries: the system's, unless a test has put one in place.
const LegacyCodec& FileCodec();
// The system's codec, made once (a platform function).
const LegacyCodec& SystemFileCodec();

// Puts `codec` in place for its lifetime (tests of the boundaries with a code page of their own).
class ScopedFileCodec {
 public:
  explicit ScopedFileCodec(const LegacyCodec& codec);
  ~ScopedFileCodec();
  ScopedFileCodec(const ScopedFileCodec&) = delete;
  ScopedFileCodec& operator=(const ScopedFileCodec&) = delete;

 private:
  const LegacyCodec* previous_;
};

// A text's full form kept beside its legacy form: both in UTF-8, separated by a tab, each
// with '%', tabs and other control characters written as '%' and two hexadecimal digits, so
// any text fits on one line. `legacy` is the legacy form as the program reads it back.
std::string BesideText(std::string_view legacy, std::string_view full);
// False for a text that is no such pair (hand-edited, cut short).
bool ParseBesideText(std::string_view text, std::string& legacy, std::string& full);

// Profile files saved by an editor in UTF-16 (little-endian as Windows writes it, or
// big-endian): the text in UTF-8 and back. A lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian);
std::string Utf16FromUtf8(std::string_view text, bool bigEndian);

}  // namespace tessara
