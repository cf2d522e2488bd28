#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>

namespace icongen {
namespace {

constexpr int kSamples = 6;  // per axis, per pixel

double SegmentDistance2(Pt p, Pt a, Pt b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

Rgba Hex(unsigned rgb, double alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Shape Rect(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return false;
    const double dx = std::max({x0 + radius - x, x - (x1 - radius), 0.0});
    const double dy = std::max({y0 + radius - y, y - (y1 - radius), 0.0});
    return dx * dx + dy * dy <= radius * radius;
  };
}

Shape Ellipse(double cx, double cy, double rx, double ry, double angleDegrees) {
  const double a = angleDegrees * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  return [=](double x, double y) {
    const double u = (x - cx) * c + (y - cy) * s;
    const double v = -(x - cx) * s + (y - cy) * c;
    return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1;
  };
}

Shape Circle(double cx, double cy, double r) { return Ellipse(cx, cy, r, r); }

Shape Polygon(std::vector<Pt> points) {
  return [pts = std::move(points)](double x, double y) {
    bool inside = false;  // even-odd crossings
    for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const Pt& a = pts[i];
      const Pt& b = pts[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
  };
}

Shape Polyline(std::vector<Pt> points, double width) {
  const double r2 = width * width / 4;
  return [pts = std::move(points), r2](double x, double y) {
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
      if (SegmentDistance2({x, y}, pts[i], pts[i + 1]) <= r2) return true;
    return pts.size() == 1 && SegmentDistance2({x, y}, pts[0], pts[0]) <= r2;
  };
}

Shape Line(Pt a, Pt b, double width) { return Polyline({a, b}, width); }

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}
Shape Minus(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && !b(x, y); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Paint Solid(Rgba c) {
  return [=](double, double) { return c; };
}

Paint Linear(Rgba c0, Pt p0, Rgba c1, Pt p1) {
  const double dx = p1.x - p0.x, dy = p1.y - p0.y;
  const double len2 = dx * dx + dy * dy;
  return [=](double x, double y) {
    const double t = std::clamp(((x - p0.x) * dx + (y - p0.y) * dy) / len2, 0.0, 1.0);
    return Mix(c0, c1, t);
  };
}

Canvas::Canvas(int size) : size_(size), scale_(size / 32.0), px_(static_cast<std::size_t>(size) * size) {}

void Canvas::Fill(const Shape& shape, const Paint& paint) {
  for (int py = 0; py < size_; ++py)
    for (int px = 0; px < size_; ++px) {
      Px src;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / scale_;
          const double y = (py + (sy + 0.5) / kSamples) / scale_;
          if (!shape(x, y)) continue;
          const Rgba c = paint(x, y);
          src.r += c.r * c.a;
          src.g += c.g * c.a;
          src.b += c.b * c.a;
          src.a += c.a;
        }
      constexpr double n = kSamples * kSamples;
      Px& d = px_[static_cast<std::size_t>(py) * size_ + px];
      const double keep = 1 - src.a / n;
      d.r = src.r / n + d.r * keep;
      d.g = src.g / n + d.g * keep;
      d.b = src.b / n + d.b * keep;
      d.a = src.a / n + d.a * keep;
    }
}

tessara::IconImage Canvas::Image(bool dropShadow) const {
  std::vector<Px> out = px_;
  if (dropShadow) {
    // A soft shadow one pixel down and right, under the drawing, lifts it off the desktop.
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x) {
        double sum = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int sx = x - 1 + dx, sy = y - 1 + dy;
            if (sx >= 0 && sy >= 0 && sx < size_ && sy < size_) sum += px_[static_cast<std::size_t>(sy) * size_ + sx].a;
          }
        const double shadow = sum / 9 * 0.35;
        Px& d = out[static_cast<std::size_t>(y) * size_ + x];
        d.a = d.a + shadow * (1 - d.a);  // colour black: the premultiplied channels stay
      }
  }
  tessara::IconImage img;
  img.width = img.height = size_;
  for (const Px& p : out) {
    std::uint32_t argb = 0;
    if (p.a > 0.5 / 255) {
      argb = static_cast<std::uint32_t>(Byte(p.a)) << 24 | static_cast<std::uint32_t>(Byte(p.r / p.a)) << 16 |
             static_cast<std::uint32_t>(Byte(p.g / p.a)) << 8 | Byte(p.b / p.a);
    }
    img.pixels.push_back(argb);
  }
  return img;
}

tessara::IconImage PixelArt(const std::vector<const char*>& rows) {
  tessara::IconImage img;
  img.height = static_cast<int>(rows.size());
  img.width = static_cast<int>(std::char_traits<char>::length(rows.at(0)));
  for (const char* row : rows) {
    if (static_cast<int>(std::char_traits<char>::length(row)) != img.width)
      throw std::invalid_argument("pixel art rows differ in length");
    for (const char* c = row; *c; ++c) {
      int index = -1;
      if (*c >= '0' && *c <= '9') index = *c - '0';
      else if (*c >= 'a' && *c <= 'f') index = *c - 'a' + 10;
      else if (*c != ' ' && *c != '.') throw std::invalid_argument("pixel art uses an unknown colour");
      img.pixels.push_back(index < 0 ? 0 : 0xFF000000u | tessara::StandardPalette()[index]);
    }
  }
  return img;
}

}  // namespace icongen
