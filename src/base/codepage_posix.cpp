#include "base/codepage.h"

namespace tessara {

const CodePageRule& ProgramCodePage() {
  static const CodePageRule rule = CodePageRule::Utf8Rule();
  return rule;
}

}  // namespace tessara
