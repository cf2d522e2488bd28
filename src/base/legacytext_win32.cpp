#include "base/legacytext_win32.h"

#include <windows.h>

namespace tessara {
namespace {

std::wstring Wide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring out(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0)), L'\0');
  if (!out.empty()) MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string Narrow(UINT codePage, std::wstring_view text, DWORD flags) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string out(
      static_cast<std::size_t>(WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr)),
      '\0');
  if (!out.empty())
    WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

// A full path, so that a short name is never looked up relative to the current folder.
bool AbsolutePath(std::wstring_view name) {
  return (name.size() >= 3 && name[1] == L':' && (name[2] == L'\\' || name[2] == L'/')) ||
         name.substr(0, 2) == L"\\\\";
}

class LegacyCodePage : public LegacyCodec {
 public:
  explicit LegacyCodePage(UINT codePage)
      : code_page_(codePage),
        rule_(CodePageRule::ByLeadBytes([codePage](unsigned char b) { return IsDBCSLeadByteEx(codePage, b) != FALSE; })) {}

  std::string ToProgram(std::string_view legacy) const override { return Narrow(CP_UTF8, Wide(code_page_, legacy), 0); }

  LegacyForm ToLegacy(std::string_view text, bool name) const override {
    const std::wstring wide = Wide(CP_UTF8, text);
    // Lossless only when the bytes read back give the very text (invalid UTF-8 included).
    std::string exact = Narrow(code_page_, wide, WC_NO_BEST_FIT_CHARS);
    if (ToProgram(exact) == text) return {std::move(exact), true};
    if (name && AbsolutePath(wide)) {
      std::wstring shortName(MAX_PATH, L'\0');
      const DWORD n = GetShortPathNameW(wide.c_str(), shortName.data(), MAX_PATH);
      if (n > 0 && n < MAX_PATH) {
        shortName.resize(n);
        std::string bytes = Narrow(code_page_, shortName, WC_NO_BEST_FIT_CHARS);
        if (Wide(code_page_, bytes) == shortName) return {std::move(bytes), false};
      }
    }
    return {Narrow(code_page_, wide, 0), false};
  }

  const CodePageRule& Rule() const override { return rule_; }

 private:
  UINT code_page_;
  CodePageRule rule_;
};

const LegacyCodec& MakeSystemCodec() {
  static const SameCodePage same;
  // The manifest not honoured: the program already holds its texts in the legacy code page.
  if (GetACP() != CP_UTF8) return same;
  DWORD codePage = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) == 0 ||
      codePage == 0 || codePage == CP_UTF8 || !IsValidCodePage(codePage))
    return same;
  static const LegacyCodePage legacy(codePage);
  return legacy;
}

}  // namespace

std::unique_ptr<LegacyCodec> MakeLegacyCodec(unsigned codePage) { return std::make_unique<LegacyCodePage>(codePage); }

const LegacyCodec& SystemFileCodec() {
  static const LegacyCodec& codec = MakeSystemCodec();
  return codec;
}

}  // namespace tessara
