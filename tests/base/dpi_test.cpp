// The one scaling rule of stored lengths, at the common display scales.
#include <gtest/gtest.h>

#include "base/dpi.h"

namespace tessara {
namespace {

TEST(Dpi, EachScaleRoundsEveryLengthOneWay) {
  // At 100, 125, 150, 175 and 200 %: the stored lengths below, then a position of -1000 from
  // an unaware build.
  const int stored[] = {1, 2, 3, 32, 36, -11};
  const int rows[][8] = {{96, 1, 2, 3, 32, 36, -11, -1000},  {120, 1, 3, 4, 40, 45, -14, -1250},
                         {144, 2, 3, 5, 48, 54, -17, -1500}, {168, 2, 4, 5, 56, 63, -19, -1750},
                         {192, 2, 4, 6, 64, 72, -22, -2000}};
  for (const auto& r : rows) {
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ScaleLength(stored[i], r[0]), r[i + 1]) << r[0] << " dpi, " << stored[i];
    EXPECT_EQ(PositionFromUnaware(-1000, r[0]), r[7]);
  }
  EXPECT_EQ(ScaleLength(36, 0), 36) << "a DPI no screen reports counts as 96";
}

}  // namespace
}  // namespace tessara
