#include "base/codepage.h"

namespace tessara {

namespace {

bool Continues(unsigned char b) { return (b & 0xC0) == 0x80; }

// The bytes a UTF-8 sequence starting with `b` claims; 1 for a byte that starts none.
std::size_t SequenceSize(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF7) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  return b >= 0xC0 ? 2 : 1;
}

}  // namespace

std::size_t CharacterCut(std::string_view text, std::size_t capacity, const CodePageRule& rule) {
  if (text.size() <= capacity) return text.size();
  if (capacity == 0) return 0;
  if (rule.Utf8) {
    // The last sequence that starts before the cut must end before it; what follows the cut
    // is not looked at, as it may be another field's bytes. Stray bytes are cut as bytes.
    std::size_t start = capacity - 1;
    while (start > 0 && capacity - start < 4 && Continues(static_cast<unsigned char>(text[start]))) --start;
    return start + SequenceSize(static_cast<unsigned char>(text[start])) > capacity ? start : capacity;
  }
  // A trail byte may look like a lead byte, so characters are counted from the start.
  std::size_t at = 0;
  while (at < capacity) {
    const std::size_t size = rule.Lead[static_cast<unsigned char>(text[at])] ? 2 : 1;
    if (at + size > capacity) break;
    at += size;
  }
  return at;
}

std::size_t FieldCut(std::string_view text, std::size_t characters, const CodePageRule& rule) {
  if (!rule.Utf8) return CharacterCut(text, characters, rule);
  std::size_t at = 0;
  for (std::size_t count = 0; at < text.size() && count < characters; ++count) {
    // A sequence cut short or a stray byte counts as one character of its own.
    const std::size_t size = SequenceSize(static_cast<unsigned char>(text[at]));
    std::size_t next = at + 1;
    while (next < at + size && next < text.size() && Continues(static_cast<unsigned char>(text[next]))) ++next;
    at = next;
  }
  return at;
}

}  // namespace tessara
