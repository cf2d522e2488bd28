#pragma once
// A tiny anti-aliased painter for the program's icons. Everything is drawn in a 32 x 32
// design space (y down) and scaled to the canvas, so one drawing serves 32 and 16 pixels.
#include <functional>
#include <vector>

#include "render/icofile.h"

namespace icongen {

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

// 0xRRGGBB with an opacity.
Rgba Hex(unsigned rgb, double alpha = 1.0);
Rgba Mix(const Rgba& a, const Rgba& b, double t);

struct Pt {
  double x, y;
};

using Shape = std::function<bool(double x, double y)>;
using Paint = std::function<Rgba(double x, double y)>;

Shape Rect(double x0, double y0, double x1, double y1);
Shape RoundRect(double x0, double y0, double x1, double y1, double radius);
Shape Ellipse(double cx, double cy, double rx, double ry, double angleDegrees = 0);
Shape Circle(double cx, double cy, double r);
Shape Polygon(std::vector<Pt> points);
// A stroked open path with round joins and caps.
Shape Polyline(std::vector<Pt> points, double width);
Shape Line(Pt a, Pt b, double width);
Shape Union(Shape a, Shape b);
Shape Minus(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);

Paint Solid(Rgba c);
// Linear gradient from c0 at p0 to c1 at p1, clamped beyond.
Paint Linear(Rgba c0, Pt p0, Rgba c1, Pt p1);

class Canvas {
 public:
  explicit Canvas(int size);
  int Size() const { return size_; }
  void Fill(const Shape& shape, const Paint& paint);
  void Fill(const Shape& shape, Rgba colour) { Fill(shape, Solid(colour)); }
  tessara::IconImage Image(bool dropShadow) const;

 private:
  struct Px {
    double r = 0, g = 0, b = 0, a = 0;  // premultiplied
  };
  int size_;
  double scale_;
  std::vector<Px> px_;
};

// Pixel art: one character per pixel, rows top first; ' ' and '.' are transparent, '0'-'9'
// and 'a'-'f' are indices of the standard 16-colour palette.
tessara::IconImage PixelArt(const std::vector<const char*>& rows);

}  // namespace icongen
