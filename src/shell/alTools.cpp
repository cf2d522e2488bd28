#include "shell/alTools.h"

#include <array>

namespace alTools {

namespace {

// Windows-1253 upper-case fold. Accented small and capital letters land on the plain capital,
// so names compare equal whatever their case or accents. Bytes not set here map to themselves.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 0x61; c <= 0x7A; ++c) t[c] = static_cast<unsigned char>(c - 0x20);  // a..z
  for (int c = 0xE1; c <= 0xF1; ++c) t[c] = static_cast<unsigned char>(c - 0x20);  // alpha..rho
  t[0xF2] = 0xD3;                                                                   // final sigma
  t[0xF3] = 0xD3;                                                                   // sigma
  for (int c = 0xF4; c <= 0xF9; ++c) t[c] = static_cast<unsigned char>(c - 0x20);  // tau..omega
  // Small letters with tonos.
  t[0xDC] = 0xC1;
  t[0xDD] = 0xC5;
  t[0xDE] = 0xC7;
  t[0xDF] = 0xC9;
  t[0xFC] = 0xCF;
  t[0xFD] = 0xD5;
  t[0xFE] = 0xD9;
  // Small letters with dialytika.
  t[0xFA] = 0xC9;
  t[0xFB] = 0xD5;
  // Capital letters with tonos.
  t[0xA2] = 0xC1;
  t[0xB8] = 0xC5;
  t[0xB9] = 0xC7;
  t[0xBA] = 0xC9;
  t[0xBC] = 0xCF;
  t[0xBE] = 0xD5;
  t[0xBF] = 0xD9;
  return t;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

}  // namespace

std::string WithTrailingBackslash(const std::string& text) {
  if (text.empty() || text.back() == '\\') return text;
  return text + '\\';
}

unsigned char UpperCaseFoldByte(unsigned char c) { return kFold[c]; }

std::string UpperCaseFold(const std::string& text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(kFold[static_cast<unsigned char>(ch)]);
  return out;
}

std::string LowerCaseAscii(const std::string& text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

}  // namespace alTools
