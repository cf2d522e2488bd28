#include "base/legacytext.h"

#include <cstdint>

namespace tessara {
namespace {

const LegacyCodec* g_override = nullptr;

constexpr char kHex[] = "0123456789ABCDEF";

bool Escaped(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%'; }

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (!Escaped(c)) {
      out += ch;
      continue;
    }
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::string& out, std::uint32_t unit, bool bigEndian) {
  out += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
  out += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// The code point starting at text[at]; a malformed sequence gives U+FFFD for its first byte.
std::uint32_t DecodeUtf8(std::string_view text, std::size_t& at) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = b(at);
  std::size_t size = 1;
  std::uint32_t cp = lead;
  if (lead >= 0xF0 && lead <= 0xF4) size = 4, cp = lead & 0x07;
  else if (lead >= 0xE0 && lead <= 0xEF) size = 3, cp = lead & 0x0F;
  else if (lead >= 0xC2 && lead <= 0xDF) size = 2, cp = lead & 0x1F;
  else if (lead >= 0x80) size = 0;
  if (size == 0 || at + size > text.size()) {
    ++at;
    return lead < 0x80 ? lead : kReplacement;
  }
  for (std::size_t i = 1; i < size; ++i) {
    if ((b(at + i) & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    cp = cp << 6 | (b(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are no characters.
  const bool overlong = (size == 3 && cp < 0x800) || (size == 4 && cp < 0x10000);
  if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++at;
    return kReplacement;
  }
  at += size;
  return cp;
}

}  // namespace

const LegacyCodec& FileCodec() { return g_override ? *g_override : SystemFileCodec(); }

ScopedFileCodec::ScopedFileCodec(const LegacyCodec& codec) : previous_(g_override) { g_override = &codec; }
ScopedFileCodec::~ScopedFileCodec() { g_override = previous_; }

std::string BesideText(std::string_view legacy, std::string_view full) {
  std::string out;
  out.reserve(legacy.size() + full.size() + 1);
  AppendEscaped(out, legacy);
  out += '\t';
  AppendEscaped(out, full);
  return out;
}

bool ParseBesideText(std::string_view text, std::string& legacy, std::string& full) {
  const std::size_t tab = text.find('\t');
  if (tab == std::string_view::npos || text.find('\t', tab + 1) != std::string_view::npos) return false;
  return Unescape(text.substr(0, tab), legacy) && Unescape(text.substr(tab + 1), full);
}

std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) {
    const auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    return static_cast<std::uint32_t>(low | static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]) << 8);
  };
  const std::size_t end = bytes.size() & ~std::size_t{1};
  for (std::size_t i = 0; i < end; i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 4 <= end && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Utf16FromUtf8(std::string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t at = 0; at < text.size();) {
    const std::uint32_t cp = DecodeUtf8(text, at);
    if (cp < 0x10000) {
      AppendUtf16(out, cp, bigEndian);
    } else {
      AppendUtf16(out, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
      AppendUtf16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
    }
  }
  return out;
}

}  // namespace tessara
