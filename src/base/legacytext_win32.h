#pragma once
// The codec of one legacy code page, whatever the process's own (FileCodec gives the system's).
#include <memory>

#include "base/legacytext.h"

namespace tessara {

std::unique_ptr<LegacyCodec> MakeLegacyCodec(unsigned codePage);

}  // namespace tessara
