// The one scaling rule of stored lengths, and the size of a window it gives.
#include <gtest/gtest.h>

#include "base/dpi.h"
#include "tessara/model.h"

namespace tessara {
namespace {

TEST(Dpi, EachScaleRoundsEveryLengthOneWay) {
  struct Row {
    int percent, dpi;
    int one, two, three, icon, tile, font, position;  // 1, 2, 3, 32, 36, -11, 1000 stored
    int width, height;  // a 3 x 2 window of 36-px tiles with both borders
  };
  const Row rows[] = {
      {100, 96, 1, 2, 3, 32, 36, -11, 1000, 112, 76},  {125, 120, 1, 3, 4, 40, 45, -14, 1250, 141, 96},
      {150, 144, 2, 3, 5, 48, 54, -17, 1500, 168, 114}, {175, 168, 2, 4, 5, 56, 63, -19, 1750, 197, 134},
      {200, 192, 2, 4, 6, 64, 72, -22, 2000, 224, 152},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.percent);
    EXPECT_EQ(ScaleLength(1, r.dpi), r.one);
    EXPECT_EQ(ScaleLength(2, r.dpi), r.two);
    EXPECT_EQ(ScaleLength(3, r.dpi), r.three);
    EXPECT_EQ(ScaleLength(32, r.dpi), r.icon);
    EXPECT_EQ(ScaleLength(36, r.dpi), r.tile);
    EXPECT_EQ(ScaleLength(-11, r.dpi), r.font);
    EXPECT_EQ(PositionFromUnaware(1000, r.dpi), r.position);
    EXPECT_EQ(PositionFromUnaware(-1000, r.dpi), -r.position);
    TessaraModel model;
    model.Cols = 3;
    model.Rows = 2;
    model.BorderType = 3;
    model.Dpi = r.dpi;
    EXPECT_EQ(model.CalcWidth(), r.width);
    EXPECT_EQ(model.CalcHeight(), r.height);
    // The last cell ends where the border begins, and its last pixel is hit as that cell.
    const CellRect last = model.CellRectOf(3, 2);
    EXPECT_EQ(last.Left + last.Width + model.DeviceBorder(), r.width);
    EXPECT_EQ(model.CellAt(last.Left + last.Width - 1, last.Top + last.Height - 1).Col, 3);
  }
  EXPECT_EQ(ScaleLength(36, 0), 36) << "a DPI no screen reports counts as 96";
  EXPECT_EQ(ScaleLength(36, 5000), 36);
}

}  // namespace
}  // namespace tessara
