#include "icons.h"

#include <cmath>
#include <numbers>

namespace icongen {
namespace {

constexpr double kPi = std::numbers::pi;

Paint Vertical(unsigned top, unsigned bottom, double y0, double y1) {
  return Linear(Hex(top), {0, y0}, Hex(bottom), {0, y1});
}

// A body with a darker rim: the outer shape in the rim colour, the inner one over it.
void Bordered(Canvas& c, const Shape& outer, const Shape& inner, unsigned rim, const Paint& body) {
  c.Fill(outer, Hex(rim));
  c.Fill(inner, body);
}

void Document(Canvas& c) {
  const Shape page = Polygon({{6, 2}, {20.5, 2}, {27, 8.5}, {27, 30}, {6, 30}});
  const Shape inner = Polygon({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}});
  Bordered(c, page, inner, 0x6B7785, Vertical(0xFFFFFF, 0xE3E8EE, 3, 29));
  c.Fill(Polygon({{20, 2.5}, {20, 9}, {26.5, 9}}), Linear(Hex(0xF4F6F8), {20, 9}, Hex(0xB8C2CE), {23, 6}));
  c.Fill(Polyline({{20, 2.5}, {20, 9}, {26.5, 9}}, 1), Hex(0x6B7785));
  const double ends[] = {17, 22.5, 22.5, 19, 22.5, 15};
  for (int i = 0; i < 6; ++i) c.Fill(Line({10, 12.5 + 2.8 * i}, {ends[i], 12.5 + 2.8 * i}, 1.3), Hex(0x7F97B8));
}

void Folder(Canvas& c) {
  c.Fill(RoundRect(2, 5, 14, 12, 2), Hex(0xB37A12));
  c.Fill(RoundRect(2, 8, 30, 27, 2), Hex(0xB37A12));
  c.Fill(RoundRect(3, 6, 13, 12, 1.5), Hex(0xE5A83A));
  c.Fill(RoundRect(3, 9, 29, 26, 1.5), Hex(0xE5A83A));
  c.Fill(Rect(4.5, 10.5, 27.5, 14), Hex(0xFFFFFF));  // a sheet peeking out
  c.Fill(Line({6, 12}, {20, 12}, 0.8), Hex(0xA0B0C0));
  Bordered(c, Polygon({{2, 13}, {30, 13}, {30, 27}, {2, 27}}), RoundRect(3, 14, 29, 26, 1.2), 0xB37A12,
           Vertical(0xFFE082, 0xF6B73C, 14, 26));
  c.Fill(Rect(3, 14, 29, 15), Hex(0xFFF3C4, 0.8));
}

void DriveBox(Canvas& c, double top, double bottom) {
  const double mid = top + (bottom - top) * 0.4;
  c.Fill(Polygon({{6, top}, {26, top}, {30, mid}, {2, mid}}), Hex(0x5D6770));
  c.Fill(Polygon({{6.5, top + 1}, {25.5, top + 1}, {28.3, mid}, {3.7, mid}}), Vertical(0xF2F4F6, 0xD5DBE1, top, mid));
  Bordered(c, RoundRect(2, mid - 0.5, 30, bottom, 2), RoundRect(3, mid + 0.5, 29, bottom - 1, 1.3), 0x5D6770,
           Vertical(0xC9D1D8, 0x8E99A4, mid, bottom));
  const double led = (mid + bottom) / 2;
  for (int i = 0; i < 4; ++i) c.Fill(Line({6.0 + 2.2 * i, led - 1.5}, {6.0 + 2.2 * i, led + 1.5}, 0.9), Hex(0x6E7A86));
  c.Fill(Circle(25, led, 1.5), Hex(0x1E7D32));
  c.Fill(Circle(25, led, 1.0), Hex(0x5CFF6A));
}

void HardDrive(Canvas& c) { DriveBox(c, 9, 24); }

void Floppy(Canvas& c) {
  const Shape body = Polygon({{3, 4.5}, {25, 4.5}, {29, 8.5}, {29, 29}, {3, 29}});
  const Shape inner = Polygon({{4, 5.5}, {24.5, 5.5}, {28, 9}, {28, 28}, {4, 28}});
  Bordered(c, body, inner, 0x1B2838, Vertical(0x3F5A7A, 0x2B3F58, 5, 28));
  c.Fill(RoundRect(9, 5.5, 23, 14, 1), Vertical(0xE3E7EB, 0xA9B2BC, 5, 14));
  c.Fill(Rect(18, 7, 21, 12.5), Hex(0x2B3F58));
  c.Fill(RoundRect(7, 17, 25, 28, 1), Hex(0xFAFAFA));
  c.Fill(Rect(7, 17, 25, 19), Hex(0xE53935));
  for (int i = 0; i < 3; ++i) c.Fill(Line({9, 21.5 + 2.3 * i}, {22.5 - 3.0 * i, 21.5 + 2.3 * i}, 0.9), Hex(0x5C6BC0));
}

void Disc(Canvas& c) {
  const Shape disc = Minus(Circle(16, 16, 14), Circle(16, 16, 2.3));
  c.Fill(disc, Hex(0x7E8A96));
  // A rainbow sheen that turns with the angle, as light does on a real disc.
  c.Fill(Minus(Circle(16, 16, 13.2), Circle(16, 16, 3)), [](double x, double y) {
    const double a = std::atan2(y - 16, x - 16);
    const Rgba sheen{0.5 + 0.5 * std::cos(2 * a), 0.5 + 0.5 * std::cos(2 * a + 2 * kPi / 3),
                     0.5 + 0.5 * std::cos(2 * a + 4 * kPi / 3), 1};
    return Mix(Hex(0xE8ECF0), sheen, 0.35);
  });
  c.Fill(Minus(Circle(16, 16, 5.5), Circle(16, 16, 3)), Hex(0xC3CBD3));
  c.Fill(Minus(Circle(16, 16, 5.5), Circle(16, 16, 4.7)), Hex(0x9AA6B2));
  c.Fill(Intersect(Minus(Circle(16, 16, 12), Circle(16, 16, 7)), Polygon({{16, 16}, {2, 6}, {6, 2}})),
         Hex(0xFFFFFF, 0.55));
}

void NetworkDrive(Canvas& c) {
  DriveBox(c, 2, 17);
  c.Fill(Line({16, 16.5}, {16, 26}, 2), Hex(0x37474F));
  c.Fill(Line({5, 26}, {27, 26}, 2), Hex(0x37474F));
  for (double x : {5.0, 27.0}) c.Fill(RoundRect(x - 3, 23.5, x + 3, 29, 1), Vertical(0x4FC3F7, 0x0277BD, 23.5, 29));
  c.Fill(RoundRect(13, 23, 19, 29, 1), Vertical(0x81C784, 0x2E7D32, 23, 29));
}

void Globe(Canvas& c) {
  const Shape ball = Circle(16, 16, 13);
  c.Fill(Circle(16, 16, 14), Hex(0x01579B));
  c.Fill(ball, Linear(Hex(0x81D4FA), {8, 6}, Hex(0x0288D1), {24, 27}));
  const Shape land = Union(Union(Ellipse(10, 11, 6, 4, -30), Ellipse(12, 19, 3, 6, 15)),
                           Union(Ellipse(23, 12, 4, 3, 20), Ellipse(22, 22, 5, 3.5, -25)));
  // Meridian and parallels on the sea only, so the land reads as one shape.
  const Rgba grid = Hex(0xFFFFFF, 0.3);
  c.Fill(Intersect(ball, Minus(Ellipse(16, 16, 6, 13.5), Ellipse(16, 16, 5.2, 14))), grid);
  c.Fill(Intersect(ball, Line({2, 16}, {30, 16}, 0.8)), grid);
  c.Fill(Intersect(ball, Minus(Ellipse(16, 4, 13, 6), Ellipse(16, 4, 13, 5.2))), grid);
  c.Fill(Intersect(ball, land), Vertical(0x9CCC65, 0x388E3C, 5, 27));
  c.Fill(Ellipse(11, 9, 4, 2.2, -35), Hex(0xFFFFFF, 0.45));
}

void Mail(Canvas& c) {
  Bordered(c, RoundRect(2, 7, 30, 26, 1.5), RoundRect(3, 8, 29, 25, 1), 0x607D8B, Vertical(0xFFFFFF, 0xE6EBEF, 8, 25));
  c.Fill(Polyline({{3.5, 24}, {13, 16}}, 1), Hex(0xB0BEC5));
  c.Fill(Polyline({{28.5, 24}, {19, 16}}, 1), Hex(0xB0BEC5));
  c.Fill(Polygon({{2.5, 7.5}, {29.5, 7.5}, {16, 19}}), Hex(0x1565C0));
  c.Fill(Polygon({{4, 8}, {28, 8}, {16, 17.8}}), Vertical(0x64B5F6, 0x1E88E5, 8, 18));
  c.Fill(Circle(16, 15.5, 2.2), Hex(0xE53935));  // wax seal
}

void Terminal(Canvas& c) {
  c.Fill(RoundRect(2, 4, 30, 28, 2.5), Hex(0x263238));
  c.Fill(RoundRect(3, 5, 29, 27, 1.8), Vertical(0x37474F, 0x1C262B, 5, 27));
  c.Fill(Rect(3, 8.5, 29, 9.2), Hex(0x10171A));
  const unsigned dots[] = {0xFF5F57, 0xFEBC2E, 0x28C840};
  for (int i = 0; i < 3; ++i) c.Fill(Circle(6.5 + 3 * i, 6.8, 1), Hex(dots[i]));
  c.Fill(Polyline({{7, 13}, {11.5, 16.5}, {7, 20}}, 2), Hex(0x69F0AE));
  c.Fill(Line({14, 21}, {21, 21}, 2), Hex(0xE0F2F1));
}

void Calculator(Canvas& c) {
  Bordered(c, RoundRect(5, 2, 27, 30, 3), RoundRect(6, 3, 26, 29, 2.2), 0x263238, Vertical(0x607D8B, 0x37474F, 3, 29));
  c.Fill(RoundRect(8.5, 5.5, 23.5, 11.5, 1), Vertical(0xDCEDC8, 0xAED581, 5.5, 11.5));
  c.Fill(Line({15, 9.5}, {21.5, 9.5}, 1.2), Hex(0x33691E));
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) {
      const double x = 8.5 + col * 5.2, y = 14 + row * 3.8;
      const bool equals = row == 3 && col == 2;
      c.Fill(RoundRect(x, y, x + 4.2, y + 2.8, 0.8),
             equals ? Vertical(0xFFB74D, 0xF57C00, y, y + 2.8) : Vertical(0xFFFFFF, 0xCFD8DC, y, y + 2.8));
    }
}

void Picture(Canvas& c) {
  Bordered(c, RoundRect(1.5, 5, 30.5, 27, 1.5), Rect(4, 7.5, 28, 24.5), 0x6D4C41, Vertical(0x4FC3F7, 0xE1F5FE, 7.5, 21));
  const Shape frameInner = Rect(4, 7.5, 28, 24.5);
  c.Fill(Minus(RoundRect(2.5, 6, 29.5, 26, 1), frameInner), Vertical(0xA1887F, 0x6D4C41, 6, 26));
  c.Fill(Circle(22.5, 11.5, 2.4), Hex(0xFFCA28));
  c.Fill(Intersect(frameInner, Polygon({{3, 25}, {11, 14}, {16, 19}, {19, 16}, {29, 25}})), Vertical(0x66BB6A, 0x2E7D32, 14, 25));
  c.Fill(Intersect(frameInner, Polygon({{9.5, 16}, {11, 14}, {12.5, 15.6}, {11, 16.6}})), Hex(0xFFFFFF, 0.9));
}

void Music(Canvas& c) {
  const Paint ink = Linear(Hex(0xB388FF), {8, 4}, Hex(0x4527A0), {24, 28});
  c.Fill(Ellipse(9.5, 24.5, 4.2, 3, -25), ink);
  c.Fill(Ellipse(23, 21.5, 4.2, 3, -25), ink);
  c.Fill(Rect(12.3, 9, 14, 24), ink);
  c.Fill(Rect(25.8, 6, 27.5, 21), ink);
  c.Fill(Polygon({{12.3, 8}, {27.5, 4}, {27.5, 8.5}, {12.3, 12.5}}), ink);
  c.Fill(Ellipse(8.3, 23.6, 1.5, 0.8, -25), Hex(0xFFFFFF, 0.5));
  c.Fill(Ellipse(21.8, 20.6, 1.5, 0.8, -25), Hex(0xFFFFFF, 0.5));
}

void Note(Canvas& c) {
  const Shape paper = Polygon({{4, 4}, {28, 4}, {28, 22}, {22, 28}, {4, 28}});
  Bordered(c, paper, Polygon({{4.8, 4.8}, {27.2, 4.8}, {27.2, 21.7}, {21.7, 27.2}, {4.8, 27.2}}), 0xC9A700,
           Vertical(0xFFF59D, 0xFFEB3B, 4, 28));
  c.Fill(Polygon({{28, 22}, {22, 22}, {22, 28}}), Linear(Hex(0xFBC02D), {22, 22}, Hex(0xFFF9C4), {26, 26}));
  c.Fill(Rect(4.8, 4.8, 27.2, 8), Hex(0xFDD835));
  for (int i = 0; i < 4; ++i)
    c.Fill(Polyline({{8, 12.5 + 3.3 * i}, {11, 11.8 + 3.3 * i}, {14, 12.9 + 3.3 * i}, {17, 12 + 3.3 * i}, {i == 3 ? 18.5 : 23.5, 12.6 + 3.3 * i}}, 1),
           Hex(0x283593));
}

Shape GearShape(double cx, double cy, double outer, double root, int teeth) {
  return [=](double x, double y) {
    const double r = std::hypot(x - cx, y - cy);
    if (r > outer) return false;
    if (r <= root) return true;
    // Each tooth spans 40 % of its pitch angle.
    double a = std::atan2(y - cy, x - cx) / (2 * kPi) * teeth + 0.2;
    a -= std::floor(a);
    return a < 0.4;
  };
}

void Gear(Canvas& c) {
  c.Fill(Minus(GearShape(16, 16, 14.5, 11, 8), Circle(16, 16, 4.6)), Hex(0x37474F));
  c.Fill(Minus(GearShape(16, 16, 13.6, 10.2, 8), Circle(16, 16, 5.4)), Linear(Hex(0xCFD8DC), {6, 4}, Hex(0x78909C), {26, 28}));
  c.Fill(Minus(Circle(16, 16, 8), Circle(16, 16, 7)), Hex(0x546E7A, 0.7));
}

void Star(Canvas& c) {
  auto star = [](double scale) {
    std::vector<Pt> pts;
    for (int i = 0; i < 10; ++i) {
      const double r = (i % 2 ? 6.3 : 14.5) * scale;
      const double a = -kPi / 2 + i * kPi / 5;
      pts.push_back({16 + r * std::cos(a), 17 + r * std::sin(a)});
    }
    return Polygon(pts);
  };
  c.Fill(star(1), Hex(0xC77800));
  c.Fill(star(0.88), Linear(Hex(0xFFF176), {12, 5}, Hex(0xFFA000), {20, 28}));
  c.Fill(Intersect(star(0.88), Polygon({{16, 3}, {16, 17}, {1, 12}})), Hex(0xFFFFFF, 0.3));
}

void Clock(Canvas& c) {
  c.Fill(Circle(16, 16, 14.5), Vertical(0x546E7A, 0x263238, 2, 30));
  c.Fill(Circle(16, 16, 12), Vertical(0xFFFFFF, 0xE0E6EA, 4, 28));
  for (int i = 0; i < 12; ++i) {
    const double a = i * kPi / 6;
    const double r0 = i % 3 ? 10 : 9;
    c.Fill(Line({16 + r0 * std::cos(a), 16 + r0 * std::sin(a)}, {16 + 11 * std::cos(a), 16 + 11 * std::sin(a)}, i % 3 ? 0.8 : 1.4),
           Hex(0x37474F));
  }
  c.Fill(Line({16, 16}, {16, 8}, 1.8), Hex(0x263238));
  c.Fill(Line({16, 16}, {21.5, 19}, 1.8), Hex(0x263238));
  c.Fill(Line({16, 16}, {10.5, 22.5}, 0.7), Hex(0xE53935));
  c.Fill(Circle(16, 16, 1.4), Hex(0xE53935));
}

void Home(Canvas& c) {
  c.Fill(Rect(21, 5, 24.5, 13), Hex(0x6D4C41));
  Bordered(c, Rect(6, 14, 26, 29), Rect(7, 15, 25, 28), 0x8D6E63, Vertical(0xFFF8E1, 0xFFE0B2, 15, 28));
  c.Fill(Polygon({{1.5, 16}, {16, 2.5}, {30.5, 16}, {27.5, 17}, {16, 6.5}, {4.5, 17}}), Vertical(0xEF5350, 0xB71C1C, 2, 17));
  c.Fill(RoundRect(13, 19.5, 19, 28, 1), Vertical(0x8D6E63, 0x5D4037, 19, 28));
  c.Fill(Circle(17.6, 24, 0.6), Hex(0xFFD54F));
  c.Fill(Rect(8.5, 17.5, 11.5, 20.5), Hex(0x4FC3F7));
  c.Fill(Rect(20.5, 17.5, 23.5, 20.5), Hex(0x4FC3F7));
}

void Lock(Canvas& c) {
  c.Fill(Minus(Union(Ellipse(16, 11, 8, 8), Rect(8, 11, 24, 16)), Union(Ellipse(16, 11, 5.2, 5.5), Rect(10.8, 11, 21.2, 17))),
         Linear(Hex(0xECEFF1), {8, 3}, Hex(0x78909C), {24, 16}));
  Bordered(c, RoundRect(4.5, 14, 27.5, 30, 2.5), RoundRect(5.5, 15, 26.5, 29, 1.8), 0x9C6B00,
           Vertical(0xFFE082, 0xFFA000, 15, 29));
  c.Fill(Circle(16, 20.5, 2.2), Hex(0x5D4037));
  c.Fill(Polygon({{15, 21}, {17, 21}, {17.6, 26}, {14.4, 26}}), Hex(0x5D4037));
}

void Chart(Canvas& c) {
  Bordered(c, RoundRect(2, 3, 30, 29, 2), RoundRect(3, 4, 29, 28, 1.4), 0x78909C, Vertical(0xFFFFFF, 0xECEFF1, 4, 28));
  for (int i = 0; i < 4; ++i) c.Fill(Line({5, 8 + 5.0 * i}, {27, 8 + 5.0 * i}, 0.5), Hex(0xCFD8DC));
  const double tops[] = {17, 11, 20, 7};
  const unsigned colours[][2] = {{0x64B5F6, 0x1565C0}, {0x81C784, 0x2E7D32}, {0xFFB74D, 0xE65100}, {0xE57373, 0xC62828}};
  for (int i = 0; i < 4; ++i) {
    const double x = 6 + i * 5.5;
    c.Fill(Rect(x, tops[i], x + 4, 26), Vertical(colours[i][0], colours[i][1], tops[i], 26));
  }
  c.Fill(Line({4.5, 26.3}, {27.5, 26.3}, 1), Hex(0x455A64));
}

void Book(Canvas& c) {
  c.Fill(RoundRect(5, 2, 27, 30, 2), Hex(0x1A237E));
  c.Fill(Rect(9, 25, 26, 28.5), Hex(0xF5F5F5));
  c.Fill(Line({9.5, 26.8}, {25.5, 26.8}, 0.5), Hex(0xBDBDBD));
  c.Fill(RoundRect(5.8, 2.8, 26.2, 25, 1.5), Linear(Hex(0x5C6BC0), {6, 3}, Hex(0x283593), {26, 25}));
  c.Fill(Rect(5.8, 2.8, 8.8, 25), Hex(0x1A237E, 0.6));
  c.Fill(RoundRect(12, 8, 23, 14, 1), Hex(0xFFD54F));
  c.Fill(Line({14, 11}, {21, 11}, 0.9), Hex(0x5D4037));
  c.Fill(Polygon({{20, 25}, {23, 25}, {23, 31}, {21.5, 29.5}, {20, 31}}), Hex(0xE53935));
}

}  // namespace

const std::vector<LibraryIcon>& LibraryIcons() {
  static const std::vector<LibraryIcon> icons = {
      {"lib_document.ico", Document}, {"lib_folder.ico", Folder},   {"lib_harddrive.ico", HardDrive},
      {"lib_floppy.ico", Floppy},     {"lib_disc.ico", Disc},       {"lib_netdrive.ico", NetworkDrive},
      {"lib_globe.ico", Globe},       {"lib_mail.ico", Mail},       {"lib_terminal.ico", Terminal},
      {"lib_calculator.ico", Calculator}, {"lib_picture.ico", Picture}, {"lib_music.ico", Music},
      {"lib_note.ico", Note},         {"lib_gear.ico", Gear},       {"lib_star.ico", Star},
      {"lib_clock.ico", Clock},       {"lib_home.ico", Home},       {"lib_lock.ico", Lock},
      {"lib_chart.ico", Chart},       {"lib_book.ico", Book},
  };
  return icons;
}

void DrawProgramIcon(Canvas& c) {
  // Four glazed tiles on a slate plate: a tessara in miniature.
  c.Fill(RoundRect(1, 1, 31, 31, 6), Hex(0x1E2A33));
  c.Fill(RoundRect(1.8, 1.8, 30.2, 30.2, 5.3), Vertical(0x455A64, 0x263238, 2, 30));
  const unsigned tiles[][2] = {{0x64B5F6, 0x1565C0}, {0xFFD54F, 0xF57F17}, {0x81C784, 0x2E7D32}, {0xE57373, 0xC62828}};
  for (int i = 0; i < 4; ++i) {
    const double x = 4.5 + (i % 2) * 12, y = 4.5 + (i / 2) * 12;
    c.Fill(RoundRect(x, y, x + 11, y + 11, 2.4), Vertical(tiles[i][0], tiles[i][1], y, y + 11));
    c.Fill(Intersect(RoundRect(x, y, x + 11, y + 11, 2.4), Polygon({{x, y}, {x + 11, y}, {x, y + 6}})), Hex(0xFFFFFF, 0.28));
  }
}

tessara::IconImage TrayIcon() {
  // Palette indices: four outlined tiles, each lit from the top left (f) and shaded by its
  // darker twin: blue (c, 4), yellow (b, 3), lime (a, 2), red (9, 1).
  return PixelArt({
      " 00000    00000 ",
      "0ffffc0  0ffffb0",
      "0fccc40  0fbbb30",
      "0fccc40  0fbbb30",
      "0fccc40  0fbbb30",
      "0c44440  0b33330",
      " 00000    00000 ",
      "                ",
      "                ",
      " 00000    00000 ",
      "0ffffa0  0ffff90",
      "0faaa20  0f99910",
      "0faaa20  0f99910",
      "0faaa20  0f99910",
      "0a22220  0911110",
      " 00000    00000 ",
  });
}

tessara::IconImage DragCursor() {
  // 0 black outline, f white fill; the tile is a framed square in the standard grey.
  return PixelArt({
      "0                               ",
      "00                              ",
      "0f0                             ",
      "0ff0                            ",
      "0fff0                           ",
      "0ffff0                          ",
      "0fffff0                         ",
      "0ffffff0                        ",
      "0fffffff0                       ",
      "0ffffffff0                      ",
      "0fffff00000                     ",
      "0ff0ff0                         ",
      "0f0 0ff0                        ",
      "00  0ff0                        ",
      "0    0ff0                       ",
      "     0ff0                       ",
      "      00  000000000000          ",
      "          0ffffffffff0          ",
      "          0f77777777f0          ",
      "          0f78888887f0          ",
      "          0f78888887f0          ",
      "          0f78888887f0          ",
      "          0f78888887f0          ",
      "          0f78888887f0          ",
      "          0f78888887f0          ",
      "          0f77777777f0          ",
      "          0ffffffffff0          ",
      "          000000000000          ",
      "                                ",
      "                                ",
      "                                ",
      "                                ",
  });
}

}  // namespace icongen
