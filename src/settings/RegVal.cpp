#include "settings/RegVal.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "base/legacytext.h"
#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "settings/settingsbackend.h"
#include "settings/valuetext.h"
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

std::string IntegerIndexError(std::size_t index, const std::string& text) {
  return "Error in conversion of integer[" + std::to_string(index) + "], Value = \"" + text + "\"";
}

// Beside an INI value its legacy code page cannot hold: the full form, which earlier builds
// do not read.
constexpr std::string_view kFullFormSuffix = ".utf8";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

enum class Encoding { Legacy, Utf8, Utf16, Utf16BigEndian };

// A settings file as read: its lines and the encoding it keeps.
struct ParsedIni {
  IniFile file;
  Encoding encoding = Encoding::Legacy;
};

std::size_t parses = 0;

// Every window's settings lie in one file: it is read and parsed once, and every later
// store of the process shares that while the file on disk keeps its size and time of
// writing. A write of ours drops it; a file written moments ago is read every time.
std::map<std::string, std::pair<FileStamp, std::shared_ptr<const ParsedIni>>>& ParsedFiles() {
  static std::map<std::string, std::pair<FileStamp, std::shared_ptr<const ParsedIni>>> files;
  return files;
}

std::shared_ptr<const ParsedIni> ParsedFile(const std::string& path, bool forWriting) {
  auto& files = ParsedFiles();
  // Taken before the read: a file changed meanwhile shows another stamp next time.
  const std::optional<FileStamp> stamp = SettledStampOf(path);
  const auto at = files.find(path);
  if (stamp && at != files.end() && at->second.first == *stamp) return at->second.second;
  if (at != files.end()) files.erase(at);
  auto parsed = std::make_shared<ParsedIni>();
  std::string bytes;
  switch (ReadFileUpTo(path, TRegVal::kMaxFileSize, bytes)) {
    case FileRead::Ok:
      ++parses;
      if (bytes.starts_with(kUtf16Mark) || bytes.starts_with(kUtf16BigEndianMark)) {
        parsed->encoding = bytes.starts_with(kUtf16Mark) ? Encoding::Utf16 : Encoding::Utf16BigEndian;
        parsed->file.Parse(Utf8FromUtf16(std::string_view(bytes).substr(2), parsed->encoding == Encoding::Utf16BigEndian));
      } else {
        if (bytes.starts_with(kUtf8Mark)) parsed->encoding = Encoding::Utf8;
        parsed->file.Parse(bytes);
      }
      if (stamp) files[path] = {*stamp, parsed};
      break;
    case FileRead::Missing:
    case FileRead::TooLarge:  // nothing in it could be ours
      break;
    case FileRead::Failed:
      // Writing over a file we could not read would lose everything else in it.
      if (forWriting) throw Error("Unable to write to " + path);
      break;
  }
  return parsed;
}

// INI mode: the whole file is read once and, for a write, replaced once, so other windows'
// sections and the user's own lines survive and a failed write leaves the old file intact.
// A file an editor saved with a byte-order mark keeps its encoding; any other is in the
// legacy code page, converted here value by value.
class IniStore : public settings::SettingsStore {
 public:
  IniStore(std::string path, std::string prefix, bool forWriting)
      : path_(std::move(path)), prefix_(std::move(prefix)), codec_(FileCodec()), read_(ParsedFile(path_, forWriting)) {}
  std::optional<std::string> Read(const std::string& group, const std::string& name) override {
    const IniFile& file = edited_ ? *edited_ : read_->file;
    const std::optional<std::string> stored = file.Get(prefix_ + group, name);
    if (!stored) return stored;
    std::string text = read_->encoding == Encoding::Legacy ? codec_.ToProgram(*stored) : *stored;
    std::string legacy, full;
    if (const auto beside = file.Get(prefix_ + group, name + std::string(kFullFormSuffix)))
      if (ParseBesideText(*beside, legacy, full) && legacy == text) return full;
    return text;
  }
  void Write(const std::string& group, const std::string& name, const std::string& value) override {
    const std::string section = prefix_ + group, fullKey = name + std::string(kFullFormSuffix);
    // The shared lines stay as read: the changes go to this store's own copy.
    if (!edited_) edited_ = read_->file;
    IniFile& file = *edited_;
    if (read_->encoding == Encoding::Legacy) {
      const LegacyForm legacy = codec_.ToLegacy(value, true);
      file.Set(section, name, legacy.Bytes);
      if (!legacy.Lossless) return file.Set(section, fullKey, BesideText(codec_.ToProgram(legacy.Bytes), value));
    } else {
      file.Set(section, name, value);
    }
    file.Remove(section, fullKey);
  }
  void Commit() override {
    if (!edited_) return;
    std::string bytes = edited_->Serialize();
    if (read_->encoding == Encoding::Utf16) bytes = std::string(kUtf16Mark) + Utf16FromUtf8(bytes, false);
    if (read_->encoding == Encoding::Utf16BigEndian) bytes = std::string(kUtf16BigEndianMark) + Utf16FromUtf8(bytes, true);
    ParsedFiles().erase(path_);
    if (!WriteFileAtomic(path_, bytes)) throw Error("Unable to write to " + path_);
  }

 private:
  std::string path_, prefix_;
  const LegacyCodec& codec_;
  std::shared_ptr<const ParsedIni> read_;
  std::optional<IniFile> edited_;
};

std::unique_ptr<settings::SettingsStore> OpenStore(const TRegVal& store, bool forWriting) {
  if (store.UseRegistry) return settings::OpenRegistryStore(store.RegistryRoot, store.IniFileName, store.IniSection);
  return std::make_unique<IniStore>(store.FilePath(), store.IniSection.empty() ? "" : store.IniSection + "\\",
                                    forWriting);
}

}  // namespace

std::size_t TRegVal::IniFileParses() { return parses; }

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
