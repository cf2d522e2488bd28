#pragma once
// The text forms of the typed settings values, as the files store them. Every parser takes
// text straight from a file a user may have edited: anything it cannot read gives nullopt.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessara {

// Decimal with an optional sign, or "$" and up to 32 bits of hexadecimal digits ("$FFFFFFFF"
// is -1). Decimal text outside the 32-bit range is not an integer (it is never wrapped).
std::optional<std::int32_t> ParseInteger(std::string_view text);
// The same, and C-style hexadecimal ("0x10") as stored text may also hold.
std::optional<std::int32_t> ParseStoredInteger(std::string_view text);
// Decimal text with '.' whatever the user's locale, blanks around it ignored; no "inf",
// "nan" or hexadecimal floats, nothing beyond the finite range.
std::optional<long double> ParseFloat(std::string_view text);
// General format with 15 significant digits ("0", "1.25", "1E20", "1.5E-7").
std::string FormatFloat(long double value);

}  // namespace tessara
