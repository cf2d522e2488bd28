#include "settings/inifile.h"

#include <array>
#include <limits>
#include <stdexcept>

namespace tessara {
namespace {

constexpr std::array<std::string_view, 4> kLineEnds = {"", "\r\n", "\n", "\r"};
constexpr std::uint8_t kNoBreak = 0;
constexpr std::uint8_t kNewLine = 1;
// What a line's length field can hold.
constexpr std::size_t kMaxText = (std::size_t{1} << 30) - 1;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The meaningful text of a line: a byte-order mark that an editor put before the first
// line must not hide the first section header.
std::string_view Content(std::string_view text, bool first) {
  if (first && text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  return Trim(text);
}

bool SectionHeader(std::string_view content, std::string_view& name) {
  if (content.empty() || content.front() != '[') return false;
  content.remove_prefix(1);
  const std::size_t close = content.find(']');
  name = Trim(content.substr(0, close));
  return true;
}

bool IsComment(std::string_view content) { return !content.empty() && content.front() == ';'; }

bool Entry(std::string_view content, std::string_view& key, std::string_view& value) {
  if (content.empty() || content.front() == '[' || IsComment(content)) return false;
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(content.substr(0, eq));
  value = Trim(content.substr(eq + 1));
  return true;
}

// Blanks around a value vanish on reading and a quoted value loses its quotes, so such
// values are written inside quotes to come back unchanged. A profile line cannot hold a
// line break; one inside a value is written as a blank rather than splitting the entry.
std::string Encode(std::string_view value) {
  std::string out(value);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  const bool quoted = out.size() >= 2 && out.front() == '"' && out.back() == '"';
  if (!out.empty() && (IsBlank(out.front()) || IsBlank(out.back()) || quoted)) out = '"' + out + '"';
  return out;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

void IniFile::Parse(std::string_view bytes) {
  if (bytes.size() > kMaxText) throw std::length_error("profile file too large");
  lines_.clear();
  text_.assign(bytes);
  // Counted first so the index is allocated once, at its final size.
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++count;
  if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') ++count;
  lines_.shrink_to_fit();
  lines_.reserve(count);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::uint8_t eol = kNoBreak;
    std::size_t next = end;
    if (end < bytes.size()) {
      if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
        eol = kNewLine;
        next += 2;
      } else {
        eol = bytes[end] == '\n' ? 2 : 3;
        next += 1;
      }
    }
    lines_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start), eol});
    start = next;
  }
}

std::string IniFile::Serialize() const {
  std::size_t size = 0;
  for (const Line& line : lines_) size += line.length + kLineEnds[line.eol].size();
  std::string out;
  out.reserve(size);
  for (const Line& line : lines_) {
    out += Text(line);
    out += kLineEnds[line.eol];
  }
  return out;
}

IniFile::Line IniFile::Append(std::string_view text, std::uint8_t eol) {
  if (text.size() > kMaxText || text_.size() > std::numeric_limits<std::uint32_t>::max() - text.size())
    throw std::length_error("profile file too large");
  const Line line{static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(text.size()), eol};
  text_ += text;
  return line;
}

std::size_t IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionHeader(Content(Text(lines_[i]), i == 0), name) && SameName(name, section)) return i;
  }
  return std::string::npos;
}

std::size_t IniFile::FindKey(std::size_t header, std::string_view key) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const std::string_view content = Content(Text(lines_[i]), false);
    std::string_view name, value;
    if (SectionHeader(content, name)) break;
    if (Entry(content, name, value) && SameName(name, key)) return i;
  }
  return std::string::npos;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  const std::size_t at = FindKey(header, key);
  if (at == std::string::npos) return std::nullopt;
  std::string_view name, value;
  Entry(Content(Text(lines_[at]), false), name, value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, kMaxValueLength));
}

void IniFile::InsertLine(std::size_t at, std::string_view text) {
  if (at > 0 && lines_[at - 1].eol == kNoBreak) lines_[at - 1].eol = kNewLine;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Append(text, kNewLine));
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string encoded = Encode(value);
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) {
    InsertLine(lines_.size(), std::string("[").append(section).append("]"));
    InsertLine(lines_.size(), std::string(key) + "=" + encoded);
    return;
  }
  const std::size_t at = FindKey(header, key);
  if (at != std::string::npos) {
    // The name keeps the spelling the file already uses.
    std::string_view name, old;
    Entry(Content(Text(lines_[at]), false), name, old);
    lines_[at] = Append(std::string(name) + "=" + encoded, lines_[at].eol);
    return;
  }
  // After the section's last entry, so that blank lines and comments leading into the next
  // section stay with it.
  std::size_t last = header;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const std::string_view content = Content(Text(lines_[i]), false);
    std::string_view name;
    if (SectionHeader(content, name)) break;
    if (!content.empty() && !IsComment(content)) last = i;
  }
  InsertLine(last + 1, std::string(key) + "=" + encoded);
}

void IniFile::Remove(std::string_view section, std::string_view key) {
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return;
  const std::size_t at = FindKey(header, key);
  if (at != std::string::npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace tessara
