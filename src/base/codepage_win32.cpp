#include "base/codepage.h"

#include <windows.h>

namespace tessara {

const CodePageRule& ProgramCodePage() {
  static const CodePageRule rule = [] {
    const UINT acp = GetACP();
    if (acp == CP_UTF8) return CodePageRule::Utf8Rule();
    return CodePageRule::ByLeadBytes([acp](unsigned char b) { return IsDBCSLeadByteEx(acp, b) != FALSE; });
  }();
  return rule;
}

}  // namespace tessara
