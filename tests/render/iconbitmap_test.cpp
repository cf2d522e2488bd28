#include "render/iconbitmap.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "render/bitmap24.h"

namespace tessara {
namespace {

using Kind = IconBitmap::Kind;

TEST(IconBitmapKind, TheTwoPicturesTellTheKindWhereOnlyOneFormFits) {
  // Bytes over black and over white, laid into a picture whose other bytes are 0 over both.
  const struct Case {
    std::vector<std::pair<int, int>> bytes;
    std::optional<Kind> kind;
  } cases[] = {
      {{{5, 5}, {0, 255}}, Kind::Mask},     // painted, kept: both forms draw it alike
      {{{128, 127}}, Kind::Mask},           // below: alpha only adds
      {{{127, 128}}, std::nullopt},         // a kept byte with colour XORed in, or alpha: they differ
      {{{1, 254}}, std::nullopt},
      {{{1, 253}}, Kind::Alpha},            // neither the byte nor its complement
      {{{0, 254}}, Kind::Alpha},
      {{{1, 254}, {10, 20}}, Kind::Alpha},  // one byte that fits alpha alone decides
      {{{255, 0}}, Kind::Mask},
  };
  for (const Case& c : cases) {
    Bitmap24 black(3, 2), white(3, 2);
    for (std::size_t i = 0; i < c.bytes.size(); ++i) {
      black.Pixel(static_cast<int>(i), 1)[2] = static_cast<std::uint8_t>(c.bytes[i].first);
      white.Pixel(static_cast<int>(i), 1)[2] = static_cast<std::uint8_t>(c.bytes[i].second);
    }
    EXPECT_EQ(IconBitmap::KindShownBy(black, white), c.kind) << c.bytes[0].first << ", " << c.bytes[0].second;
  }
  EXPECT_EQ(IconBitmap::KindShownBy(Bitmap24(3, 2), Bitmap24(2, 3)), std::nullopt);
}

}  // namespace
}  // namespace tessara
