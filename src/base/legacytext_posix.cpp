#include "base/legacytext.h"

namespace tessara {

// Natively the files hold what the program holds; tests put a code page of their own in place.
const LegacyCodec& SystemFileCodec() {
  static const SameCodePage codec;
  return codec;
}

}  // namespace tessara
