#pragma once
// A tile icon held by the program at the size it is drawn, and the blend that puts it on a
// layer exactly as the system's normal icon drawing does, without a device context.
//
// Every byte of a drawn icon is a function of the layer byte beneath it, of one of two forms:
//  - icons without alpha: the AND mask, then the colour XORed in: out = (dst & keep) ^ paint;
//  - icons with alpha: premultiplied colour over the layer: out = paint + dst * keep / 255,
//    the quotient rounded to nearest, keep being 255 - alpha.
// So an icon is kept as two planes of bytes laid out like a layer's row (blue, green, red per
// pixel), which the blend walks byte by byte.
#include <cstdint>
#include <optional>
#include <vector>

#include "render/bitmap24.h"

namespace tessara {

class IconBitmap {
 public:
  enum class Kind { Mask, Alpha };

  IconBitmap() = default;

  // The icon from two pictures of it drawn the normal way at its size, over black and over
  // white: over black every byte shows `paint`, over white it shows what keep makes of 255.
  // Both pictures must be width x height; gives an empty icon otherwise.
  static IconBitmap FromDrawnOver(const Bitmap24& overBlack, const Bitmap24& overWhite, Kind kind);

  // The kind the two pictures prove, where they do. A mask only ever keeps a whole byte or
  // none (the byte over white is the one over black, or its complement) and alpha only adds
  // to the background, so a byte that fits one form alone decides; where both forms draw
  // every byte alike either serves (Mask). nullopt when they would draw it differently and
  // only the icon's own format can tell.
  static std::optional<Kind> KindShownBy(const Bitmap24& overBlack, const Bitmap24& overWhite);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  Kind GetKind() const { return kind_; }
  // Row y (top first): 3 * Width() bytes each.
  const std::uint8_t* PaintRow(int y) const { return paint_.data() + RowOffset(y); }
  const std::uint8_t* KeepRow(int y) const { return keep_.data() + RowOffset(y); }
  std::size_t MemoryBytes() const { return paint_.capacity() + keep_.capacity(); }

 private:
  std::size_t RowOffset(int y) const { return 3 * static_cast<std::size_t>(width_) * static_cast<std::size_t>(y); }

  int width_ = 0;
  int height_ = 0;
  Kind kind_ = Kind::Mask;
  std::vector<std::uint8_t> paint_;
  std::vector<std::uint8_t> keep_;
};

// Draws the icon with its top-left corner at (x, y) of the layer; what falls outside the
// layer is cut off. Gives the bytes the system's normal icon drawing gives on a 24-bit layer.
void DrawIconBitmap(Bitmap24& layer, int x, int y, const IconBitmap& icon);

}  // namespace tessara
