// The profile reader and editor. Input: the file's bytes, optionally followed by "\xFF\xFE"
// and edits "section\x02key\x02value" separated by "\x01".
// Properties: an untouched file is written back byte for byte; after the edits, a read of the
// written file gives each edited value (line breaks as blanks, cut at 2047) and every entry
// of the other sections as before, and those sections' bytes are unchanged.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzzcheck.h"
#include "settings/inifile.h"

namespace {

using tessara::IniFile;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// A name the format can hold: no line break, nothing that ends or starts something else, no
// blanks around it.
std::string CleanName(std::string_view raw, bool key) {
  std::string out;
  for (char c : raw)
    if (c != '\r' && c != '\n' && c != ']' && c != '=' && c != '\0') out += c;
  std::string_view name = Trim(out);
  while (!name.empty() && (name.front() == '[' || (key && name.front() == ';'))) name = Trim(name.substr(1));
  return std::string(name);
}

struct Block {
  std::string name;  // folded; "\x01" for the lines before the first header
  bool header = false;
  std::string bytes;
  std::vector<std::string> keys;
};

// The file cut into sections the way a reader sees them.
std::vector<Block> Blocks(std::string_view bytes) {
  std::vector<Block> blocks(1);
  blocks[0].name = "\x01";
  std::size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::size_t next = end;
    if (end < bytes.size()) next += (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
    std::string_view text = bytes.substr(start, end - start);
    if (first && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    first = false;
    const std::string_view content = Trim(text);
    if (!content.empty() && content.front() == '[') {
      Block b;
      const std::string_view rest = content.substr(1);
      b.name = Fold(Trim(rest.substr(0, rest.find(']'))));
      b.header = true;
      blocks.push_back(std::move(b));
    } else if (!content.empty() && content.front() != ';' && content.find('=') != std::string_view::npos) {
      blocks.back().keys.emplace_back(Trim(content.substr(0, content.find('='))));
    }
    blocks.back().bytes.append(bytes.substr(start, next - start));
    start = next;
  }
  return blocks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t mark = input.find("\xFF\xFE");
  const std::string_view file = input.substr(0, mark);

  IniFile ini(file);
  FUZZ_CHECK(ini.Serialize() == file);

  // The edits, the last one per entry winning.
  std::map<std::pair<std::string, std::string>, std::string> expected;
  std::vector<std::string> touched;
  if (mark != std::string_view::npos) {
    std::string_view edits = input.substr(mark + 2);
    for (int n = 0; n < 8 && !edits.empty(); ++n) {
      const std::size_t end = edits.find('\x01');
      const std::string_view edit = edits.substr(0, end);
      edits = end == std::string_view::npos ? std::string_view() : edits.substr(end + 1);
      const std::size_t a = edit.find('\x02');
      const std::size_t b = a == std::string_view::npos ? a : edit.find('\x02', a + 1);
      if (b == std::string_view::npos) continue;
      const std::string section = CleanName(edit.substr(0, a), false);
      const std::string key = CleanName(edit.substr(a + 1, b - a - 1), true);
      if (section.empty() || key.empty()) continue;
      std::string value(edit.substr(b + 1));
      ini.Set(section, key, value);
      for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
      if (value.size() > IniFile::kMaxValueLength) value.resize(IniFile::kMaxValueLength);
      expected[{Fold(section), Fold(key)}] = {value};
      touched.push_back(Fold(section));
    }
  }
  auto isTouched = [&](const std::string& name) {
    for (const std::string& t : touched)
      if (t == name) return true;
    return false;
  };

  const std::string written = ini.Serialize();
  const IniFile back(written);
  FUZZ_CHECK(back.Serialize() == written);
  for (const auto& [entry, value] : expected) {
    const auto got = back.Get(entry.first, entry.second);
    FUZZ_CHECK(got.has_value());
    FUZZ_CHECK(*got == value);
  }

  // Other sections: the same entries and the same bytes. The file's last line gains a line
  // break when a section is added after it.
  const IniFile original(file);
  const std::vector<Block> before = Blocks(file);
  std::vector<const Block*> keptBefore, keptAfter;
  const std::vector<Block> after = Blocks(written);
  for (const Block& b : before)
    if (!isTouched(b.name)) keptBefore.push_back(&b);
  for (const Block& b : after)
    if (!isTouched(b.name)) keptAfter.push_back(&b);
  FUZZ_CHECK(keptBefore.size() == keptAfter.size());
  int checked = 0;
  for (std::size_t i = 0; i < keptBefore.size(); ++i) {
    const Block& b = *keptBefore[i];
    const std::string& got = keptAfter[i]->bytes;
    const bool last = &b == &before.back();
    FUZZ_CHECK(got == b.bytes || (last && got == b.bytes + "\r\n"));
    if (!b.header) continue;
    for (const std::string& key : b.keys) {
      if (++checked > 64) break;
      FUZZ_CHECK(original.Get(b.name, key) == back.Get(b.name, key));
    }
  }
  return 0;
}
