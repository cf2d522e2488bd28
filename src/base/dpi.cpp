#include "base/dpi.h"

#include <cstdint>

namespace tessara {

int SaneDpi(int dpi) { return dpi < 48 || dpi > 960 ? kBaseDpi : dpi; }

int ScaleLength(int length, int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == kBaseDpi) return length;
  const std::int64_t product = static_cast<std::int64_t>(length) * dpi;
  const std::int64_t half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

int PositionFromUnaware(int position, int systemDpi) { return ScaleLength(position, systemDpi); }

}  // namespace tessara
