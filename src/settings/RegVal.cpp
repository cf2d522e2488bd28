#include "settings/RegVal.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "settings/settingsbackend.h"
#include "shell/alTools.h"
#include "shell/error.h"

namespace tessara {
namespace {

constexpr const char* kBooleans = "Booleans";
constexpr const char* kFloats = "Floats";
constexpr const char* kIntegers = "Integers";
constexpr const char* kStrings = "Strings";

// A line is a key only when it has an "="; the name is everything before the first one.
bool SplitLine(const std::string& line, std::string& name, std::string& value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  name = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

std::size_t FindLine(const TRegVal::Lines& lines, const std::string& name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t eq = lines[i].find('=');
    if (eq != std::string::npos && SameName(std::string_view(lines[i]).substr(0, eq), name)) return i;
  }
  return std::string::npos;
}

std::string ValueOf(const std::string& line) { return line.substr(line.find('=') + 1); }

void SetValue(std::string& line, const std::string& value) { line = line.substr(0, line.find('=') + 1) + value; }

// The passes that walk the lists by position take an empty text as false as well.
bool PositionalBoolean(const std::string& value) { return !(value.empty() || value == "0"); }

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

std::string IntegerIndexError(std::size_t index, const std::string& text) {
  return "Error in conversion of integer[" + std::to_string(index) + "], Value = \"" + text + "\"";
}

// INI mode: the whole file is read once and, for a write, replaced once, so other windows'
// sections and the user's own lines survive and a failed write leaves the old file intact.
class IniStore : public settings::SettingsStore {
 public:
  IniStore(std::string path, std::string prefix, bool forWriting)
      : path_(std::move(path)), prefix_(std::move(prefix)) {
    std::string bytes;
    if (ReadWholeFile(path_, bytes)) {
      file_.Parse(bytes);
    } else if (forWriting && FileExists(path_)) {
      // Writing over a file we could not read would lose everything else in it.
      throw Error("Unable to write to " + path_);
    }
  }
  std::optional<std::string> Read(const std::string& group, const std::string& name) override {
    return file_.Get(prefix_ + group, name);
  }
  void Write(const std::string& group, const std::string& name, const std::string& value) override {
    file_.Set(prefix_ + group, name, value);
    changed_ = true;
  }
  void Commit() override {
    if (changed_ && !WriteFileAtomic(path_, file_.Serialize())) throw Error("Unable to write to " + path_);
  }

 private:
  std::string path_, prefix_;
  IniFile file_;
  bool changed_ = false;
};

std::unique_ptr<settings::SettingsStore> OpenStore(const TRegVal& store, bool forWriting) {
  if (store.UseRegistry) return settings::OpenRegistryStore(store.RegistryRoot, store.IniFileName, store.IniSection);
  return std::make_unique<IniStore>(store.FilePath(), store.IniSection.empty() ? "" : store.IniSection + "\\",
                                    forWriting);
}

}  // namespace

std::string TRegVal::FilePath() const {
  return UseStartUpDir ? alTools::ProgramFolder() + IniFileName : IniFileName;
}

void TRegVal::ReadSettings() {
  const auto store = OpenStore(*this, false);
  std::string name, value;

  for (std::string& line : booleans_) {
    if (!SplitLine(line, name, value)) continue;
    bool result = PositionalBoolean(value);
    if (const auto stored = store->Read(kBooleans, name))
      if (const auto number = ParseStoredInteger(*stored)) result = *number != 0;
    line = name + "=" + (result ? "1" : "0");
  }

  for (std::string& line : floats_) {
    if (!SplitLine(line, name, value)) continue;
    const std::string text = store->Read(kFloats, name).value_or(value);
    auto number = ParseFloat(text);
    if (!number) number = ParseFloat(value);
    if (!number) {
      ShowMessage("Error in default value of Float \"" + name + "\". Value = \"" + value + "\". Value set to 0.0");
      number = 0;
    }
    line = name + "=" + FormatFloat(*number);
  }

  for (std::size_t i = 0; i < integers_.size(); ++i) {
    if (!SplitLine(integers_[i], name, value)) continue;
    const auto fallback = ParseInteger(value);
    if (!fallback) throw Error(IntegerIndexError(i, value));
    std::int32_t result = *fallback;
    if (const auto stored = store->Read(kIntegers, name))
      if (const auto number = ParseStoredInteger(*stored)) result = *number;
    integers_[i] = name + "=" + std::to_string(result);
  }

  for (std::string& line : strings_) {
    if (!SplitLine(line, name, value)) continue;
    line = name + "=" + store->Read(kStrings, name).value_or(value);
  }
}

void TRegVal::WriteSettings() {
  const auto store = OpenStore(*this, true);
  std::string name, value;
  for (const std::string& line : booleans_)
    if (SplitLine(line, name, value)) store->Write(kBooleans, name, PositionalBoolean(value) ? "1" : "0");
  for (const std::string& line : floats_)
    if (SplitLine(line, name, value)) store->Write(kFloats, name, value);
  for (std::size_t i = 0; i < integers_.size(); ++i) {
    if (!SplitLine(integers_[i], name, value)) continue;
    const auto number = ParseInteger(value);
    if (!number) throw Error(IntegerIndexError(i, value));
    store->Write(kIntegers, name, std::to_string(*number));
  }
  for (const std::string& line : strings_)
    if (SplitLine(line, name, value)) store->Write(kStrings, name, value);
  store->Commit();
}

bool TRegVal::BooleanValue(const std::string& name) const {
  const std::size_t i = FindLine(booleans_, name);
  if (i == std::string::npos) throw Error("Boolean Field \"" + name + "\" not found");
  return ValueOf(booleans_[i]) != "0";
}

int TRegVal::IntegerValue(const std::string& name) const {
  const std::size_t i = FindLine(integers_, name);
  if (i == std::string::npos) throw Error("Integer Field \"" + name + "\" not found");
  const std::string text = ValueOf(integers_[i]);
  const auto number = ParseInteger(text);
  if (!number) throw Error("Error in conversion of integer \"" + name + "\", Value = \"" + text + "\"");
  return *number;
}

std::string TRegVal::StringValue(const std::string& name) const {
  const std::size_t i = FindLine(strings_, name);
  if (i == std::string::npos) throw Error("String Field \"" + name + "\" not found");
  return ValueOf(strings_[i]);
}

void TRegVal::StoreBoolean(const std::string& name, bool value) {
  const std::size_t i = FindLine(booleans_, name);
  if (i == std::string::npos) throw Error("Boolean Field \"" + name + "\" not found");
  SetValue(booleans_[i], value ? "1" : "0");
}

void TRegVal::StoreInteger(const std::string& name, int value) {
  const std::size_t i = FindLine(integers_, name);
  if (i == std::string::npos) throw Error("Integer Field \"" + name + "\" not found");
  SetValue(integers_[i], std::to_string(value));
}

void TRegVal::StoreString(const std::string& name, const std::string& value) {
  const std::size_t i = FindLine(strings_, name);
  if (i == std::string::npos) throw Error("String Field \"" + name + "\" not found");
  SetValue(strings_[i], value);
}

}  // namespace tessara
