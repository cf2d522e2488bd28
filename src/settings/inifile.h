#pragma once
// A profile (INI) file held in memory as its original lines, so that writing back one
// group of entries leaves every other section, comment and unknown line exactly as the
// user or another window left it.
#include <cstddef>
#include <cstdint>
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

  // Replaces the content with the lines of bytes ("\r\n", "\n" or "\r" end a line). The
  // memory taken is the bytes plus a few bytes per line, whatever the file holds; more than
  // 1 GiB throws std::length_error (the store never reads a settings file that large).
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
  // Drops the first matching entry of the first matching section, if there is one.
  void Remove(std::string_view section, std::string_view key);

 private:
  // A line is a piece of text_: the original bytes, with the text of every changed or added
  // line appended after them.
  struct Line {
    std::uint32_t offset;
    std::uint32_t length : 30;  // without the line break
    std::uint32_t eol : 2;      // index into kLineEnds: none (a last line with no break), "\r\n", "\n", "\r"
  };
  std::string_view Text(const Line& line) const { return std::string_view(text_).substr(line.offset, line.length); }
  Line Append(std::string_view text, std::uint8_t eol);
  // Index of the first line of the first matching section's header, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the first matching entry line inside the section starting at header, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  void InsertLine(std::size_t at, std::string_view text);

  std::string text_;
  std::vector<Line> lines_;
};

// Compares two names with ASCII letters folded to one case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace tessara
