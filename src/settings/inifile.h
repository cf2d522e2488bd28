#pragma once
// A profile (INI) file held in memory as its original lines, so that writing back one
// group of entries leaves every other section, comment and unknown line exactly as the
// user or another window left it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessara {

class IniFile {
 public:
  // Longest value a read gives back; anything beyond is cut.
  static constexpr std::size_t kMaxValueLength = 2047;

  IniFile() = default;
  explicit IniFile(std::string_view bytes) { Parse(bytes); }

  // Replaces the content with the lines of bytes ("\r\n", "\n" or "\r" end a line).
  void Parse(std::string_view bytes);
  // The file's bytes: untouched lines as they were read, changed and new lines after them.
  std::string Serialize() const;

  // The value of the first matching entry of the first matching section (names compared
  // without regard to case), blanks around it removed and one pair of enclosing double
  // quotes dropped; nullopt when the section or the entry is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Rewrites the first matching entry in place, or adds it at the end of its section, or
  // adds the section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    std::string text;  // without the line break
    std::string eol;   // "\r\n", "\n", "\r", or "" for a last line with no break
  };
  // Index of the first line of the first matching section's header, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the first matching entry line inside the section starting at header, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  void InsertLine(std::size_t at, std::string text);

  std::vector<Line> lines_;
};

// Compares two names with ASCII letters folded to one case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace tessara
