#include "settings/valuetext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tessara {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Up to 32 bits of hexadecimal; the bits are the integer's, so "FFFFFFFF" is -1 exactly as
// a 32-bit hexadecimal literal would be. Wider values are not integers.
std::optional<std::uint32_t> ParseHex(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t acc = 0;
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    acc = acc * 16 + static_cast<unsigned>(d);
    if (acc > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(acc);
}

}  // namespace

// Decimal with an optional sign, or "$" and hexadecimal digits. Decimal text outside the
// 32-bit range is not an integer (it is never wrapped).
std::optional<std::int32_t> ParseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  if (text.front() == '$') {
    const auto bits = ParseHex(text.substr(1));
    if (!bits) return std::nullopt;
    return static_cast<std::int32_t>(negative ? 0u - *bits : *bits);
  }
  std::int64_t acc = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    acc = acc * 10 + (c - '0');
    if (acc > 2147483648LL) return std::nullopt;
  }
  if (negative) acc = -acc;
  if (acc > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(acc);
}

// Stored text may also be C-style hexadecimal ("0x10").
std::optional<std::int32_t> ParseStoredInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const auto bits = ParseHex(text.substr(2));
    if (!bits) return std::nullopt;
    return static_cast<std::int32_t>(*bits);
  }
  return ParseInteger(text);
}

// Decimal text with '.' whatever the user's locale, so the files read the same everywhere.
std::optional<long double> ParseFloat(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return std::nullopt;  // no "inf", "nan" or hexadecimal floats
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  long double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// General format with 15 significant digits: fixed notation while the integer part has at
// most 15 digits and the magnitude is at least 0.00001, otherwise "d.dddE[-]x"; no
// trailing zeros.
std::string FormatFloat(long double value) {
  if (value == 0) return "0";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  if (ec != std::errc()) return "0";
  const std::string_view sci(buf, static_cast<std::size_t>(end - buf));
  const bool negative = sci.front() == '-';
  const std::size_t e = sci.find_first_of("eE");
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c >= '0' && c <= '9') digits += c;
  const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out.append(".").append(digits, 1);
    out.append("E").append(std::to_string(exponent));
  } else if (exponent >= 0) {
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out.append(digits, 0, whole).append(".").append(digits, whole);
    }
  } else {
    out.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  }
  return out;
}

}  // namespace tessara
