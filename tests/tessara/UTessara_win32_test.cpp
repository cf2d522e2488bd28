// The tessara as a real window under Wine: composition into its DIB layers, the tiled
// picture, the screen capture behind it, icons and drive letters through GDI and the shell,
// GDI handle balance, the refused close and the context menu.
#include "tessara/UTessara_win32.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::TempFolder;
using testing::WriteText;

struct Px {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Px&, const Px&) = default;
};

std::ostream& operator<<(std::ostream& os, const Px& p) {
  return os << "(" << p.r << "," << p.g << "," << p.b << ")";
}

Px At(const Bitmap24& image, int x, int y) {
  const std::uint8_t* p = image.Pixel(x, y);
  return {p[2], p[1], p[0]};
}

Px FromColor(int color) { return {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF}; }

// The shading arithmetic written out: round to nearest, halves to even, capped.
int Scaled(int c, double factor) { return std::min(255, static_cast<int>(std::nearbyint(c * factor))); }
Px Scaled(Px p, double f) { return {Scaled(p.r, f), Scaled(p.g, f), Scaled(p.b, f)}; }

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

// What the screen shows in a rectangle.
Bitmap24 ScreenRect(int left, int top, int width, int height) {
  Bitmap24 image(width, height);
  HDC screen = GetDC(nullptr);
  UniqueDC mem(CreateCompatibleDC(screen));
  HGDIOBJ old = SelectObject(mem.Get(), static_cast<HBITMAP>(image.Handle()));
  BitBlt(mem.Get(), 0, 0, width, height, screen, left, top, SRCCOPY);
  SelectObject(mem.Get(), old);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  return image;
}

// A 24-bit .bmp file; pixel(x, y) counted from the top. topDown stores the rows top first.
void WriteBmp(const std::string& path, int width, int height, const std::function<Px(int, int)>& pixel,
              bool topDown = false) {
  const int stride = (3 * width + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = topDown ? -height : height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int i = 0; i < height; ++i) {
    const int y = topDown ? i : height - 1 - i;
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
      const Px p = pixel(x, y);
      row[3 * x] = static_cast<char>(p.b);
      row[3 * x + 1] = static_cast<char>(p.g);
      row[3 * x + 2] = static_cast<char>(p.r);
    }
    bytes += row;
  }
  WriteText(path, bytes);
}

// A plain top-level window filled with one colour, to stand behind a transparent tessara.
class Backdrop {
 public:
  Backdrop(int left, int top, int width, int height, COLORREF color) : brush_(CreateSolidBrush(color)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), "TessaraTestBackdrop", &wc)) {
      wc = WNDCLASSEXA{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "TessaraTestBackdrop";
      RegisterClassExA(&wc);
    }
    hwnd_ = CreateWindowExA(0, "TessaraTestBackdrop", "backdrop", WS_POPUP, left, top, width, height,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(brush_.Get()));
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
  }
  ~Backdrop() { DestroyWindow(hwnd_); }
  HWND Get() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      FillRect(dc, &ps.rcPaint, reinterpret_cast<HBRUSH>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
      EndPaint(hwnd, &ps);
      return 0;
    }
    if (msg == WM_ERASEBKGND) return TRUE;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  UniqueBrush brush_;
  HWND hwnd_ = nullptr;
};

class TessaraWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = true;
    old_message_ = SetMessageHandler([this](const std::string& t) { messages_.push_back(t); });
    old_error_ = SetErrorHandler([this](const std::string& t) { messages_.push_back(t); });
  }
  void TearDown() override {
    SetMessageHandler(old_message_);
    SetErrorHandler(old_error_);
  }

  // A window with a grid and no tiles, placed on the screen but not shown.
  std::unique_ptr<TfrmTessara> MakeForm(int left = 100, int top = 100) {
    auto form = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr),
        ::alTools::ProgramFolder());
    form->FormCreate();
    form->BackType = 0;
    form->BorderType = 0;
    form->Opacity = 0;
    form->Effect = 0;
    form->View().SetBounds(left, top, 10, 10);
    return form;
  }
  static void Resize(TfrmTessara& form) {
    form.UpdateBorder();
    form.ApplySize();
  }
  static TessaraWindow& Window(TfrmTessara& form) { return static_cast<TessaraWindow&>(form.View()); }

  std::vector<std::string> messages_;
  TempFolder folder_;

 private:
  MessageHandler old_message_, old_error_;
};

// ---- plain colour ----

TEST_F(TessaraWin32Test, PlainColourLayersFollowTheBorderAndShadingRules) {
  auto form = MakeForm();
  form->Cols = 2;
  form->Rows = 2;
  form->TileWidth = 36;
  form->TileHeight = 36;
  form->CellSpacing = 2;
  form->BorderSpacing = 1;
  form->BorderType = 3;
  // Channels chosen so both factors meet exact halves: 49 x 1.5, 50 x 0.75, 150 x 0.75.
  form->Color = 0x963231;
  Resize(*form);
  ASSERT_EQ(form->Border, 3);
  form->ComposeLayers();
  ASSERT_TRUE(form->LayersReady());

  const Bitmap24& normal = form->Layers()[NormalLayer];
  const int w = normal.Width(), h = normal.Height();
  ASSERT_EQ(w, 2 * 3 + 2 * 36 + 2);
  ASSERT_EQ(h, w);
  for (const auto& layer : form->Layers()) {
    EXPECT_EQ(layer.Width(), w);
    EXPECT_EQ(layer.Height(), h);
  }
  const Px color{0x31, 0x32, 0x96};
  const Px bright{74, 75, 225};
  const Px dark{37, 38, 112};
  ASSERT_EQ(Scaled(color, 1.5), bright);
  ASSERT_EQ(Scaled(color, 0.75), dark);

  // The black ring, and the raised edge one pixel inside it.
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0}, {0, h / 2}}) {
    EXPECT_EQ(At(normal, x, y), Px{}) << x << "," << y;
  }
  EXPECT_EQ(At(normal, w / 2, 1), bright);
  EXPECT_EQ(At(normal, 1, h / 2), bright);
  EXPECT_EQ(At(normal, w / 2, h - 2), dark);
  EXPECT_EQ(At(normal, w - 2, h / 2), dark);
  EXPECT_EQ(At(normal, 2, h / 2), color);
  // Cells are flat in the normal layer.
  EXPECT_EQ(At(normal, 3, 3), color);
  EXPECT_EQ(At(normal, 38, 38), color);

  // Hover: cell (1, 1) spans 3..38; the left column and top row win at the corners.
  const Bitmap24& hover = form->Layers()[HoverLayer];
  EXPECT_EQ(At(hover, 3, 3), bright);
  EXPECT_EQ(At(hover, 38, 3), bright);
  EXPECT_EQ(At(hover, 3, 38), bright);
  EXPECT_EQ(At(hover, 38, 20), dark);
  EXPECT_EQ(At(hover, 20, 38), dark);
  EXPECT_EQ(At(hover, 38, 38), dark);
  EXPECT_EQ(At(hover, 20, 20), color);
  // Spacing between the cells and the frame stay as composed.
  EXPECT_EQ(At(hover, 39, 20), color);
  EXPECT_EQ(At(hover, 40, 20), color);
  EXPECT_EQ(At(hover, 0, 20), Px{});
  EXPECT_EQ(At(hover, 1, 20), bright);
  // Cell (2, 2) starts at 41.
  EXPECT_EQ(At(hover, 41, 41), bright);
  EXPECT_EQ(At(hover, 76, 60), dark);

  const Bitmap24& pressed = form->Layers()[PressedLayer];
  EXPECT_EQ(At(pressed, 3, 3), dark);
  EXPECT_EQ(At(pressed, 38, 3), dark);
  EXPECT_EQ(At(pressed, 38, 20), bright);
  EXPECT_EQ(At(pressed, 38, 38), bright);
  EXPECT_EQ(At(pressed, 20, 20), color);
  EXPECT_EQ(At(pressed, 39, 20), color);
}

TEST_F(TessaraWin32Test, WindowShowsTheNormalLayerAndCellsFromTheOthers) {
  auto form = MakeForm(300, 200);
  form->Cols = 2;
  form->Rows = 1;
  form->BorderType = 2;
  form->Color = 0x2080C0;
  Resize(*form);
  form->ComposeLayers();
  Window(*form).Show();
  Pump(100);

  auto matches = [&](const Bitmap24& screen, const Bitmap24& layer, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x)
        if (!(At(screen, x, y) == At(layer, x, y))) return false;
    return true;
  };
  const int w = form->Layers()[0].Width(), h = form->Layers()[0].Height();
  Bitmap24 shown = ScreenRect(300, 200, w, h);
  EXPECT_TRUE(matches(shown, form->Layers()[NormalLayer], 0, 0, w, h));

  // A hovered cell comes from the hover layer at its own place; the other cell stays.
  form->DrawCell(HoverLayer, 2, 1);
  Pump(50);
  const CellRect cell = form->CellRectOf(2, 1);
  shown = ScreenRect(300, 200, w, h);
  EXPECT_TRUE(matches(shown, form->Layers()[HoverLayer], cell.Left, cell.Top, cell.Width, cell.Height));
  const CellRect first = form->CellRectOf(1, 1);
  EXPECT_TRUE(matches(shown, form->Layers()[NormalLayer], first.Left, first.Top, first.Width, first.Height));

  // A repaint after being uncovered copies the normal layer again.
  InvalidateRect(Window(*form).Handle(), nullptr, FALSE);
  UpdateWindow(Window(*form).Handle());
  Pump(50);
  shown = ScreenRect(300, 200, w, h);
  EXPECT_TRUE(matches(shown, form->Layers()[NormalLayer], 0, 0, w, h));
}

// ---- pictures ----

Px PicturePixel(int x, int y) { return {20 * x + 5, 20 * y + 5, 77}; }

TEST_F(TessaraWin32Test, SmallPictureIsTiledFromTheCornerAndCutOffAtTheEdges) {
  const std::string bmp = folder_.Path() + "tile.bmp";
  WriteBmp(bmp, 10, 10, PicturePixel);
  auto form = MakeForm();
  form->BackType = 1;
  form->BMPFilename = bmp;
  form->View().SetBounds(100, 100, 73, 47);
  form->ComposeLayers();
  ASSERT_TRUE(form->LayersReady());
  const Bitmap24& normal = form->Layers()[NormalLayer];
  ASSERT_EQ(normal.Width(), 73);
  ASSERT_EQ(normal.Height(), 47);
  int wrong = 0;
  for (int y = 0; y < 47; ++y)
    for (int x = 0; x < 73; ++x) wrong += !(At(normal, x, y) == PicturePixel(x % 10, y % 10));
  EXPECT_EQ(wrong, 0);
  // Eight starts across, five down; the last ones show only their first 3 columns and 7 rows.
  EXPECT_EQ(At(normal, 70, 40), PicturePixel(0, 0));
  EXPECT_EQ(At(normal, 72, 46), PicturePixel(2, 6));
  EXPECT_EQ(At(normal, 69, 39), PicturePixel(9, 9));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TessaraWin32Test, LargeOrTopDownPictureKeepsItsOrientation) {
  const std::string big = folder_.Path() + "big.bmp";
  auto pixel = [](int x, int y) { return Px{x, y, (x * y) & 0xFF}; };
  WriteBmp(big, 100, 80, pixel, /*topDown=*/false);
  const std::string down = folder_.Path() + "down.bmp";
  WriteBmp(down, 100, 80, pixel, /*topDown=*/true);
  for (const std::string& file : {big, down}) {
    auto form = MakeForm();
    form->BackType = 1;
    form->BMPFilename = file;
    form->View().SetBounds(100, 100, 73, 47);
    form->ComposeLayers();
    const Bitmap24& normal = form->Layers()[NormalLayer];
    int wrong = 0;
    for (int y = 0; y < 47; ++y)
      for (int x = 0; x < 73; ++x) wrong += !(At(normal, x, y) == pixel(x, y));
    EXPECT_EQ(wrong, 0) << file;
  }
}

TEST_F(TessaraWin32Test, MissingUnreadableOrOversizedPictureFallsBackToTheColourWithItsErrorShownOnce) {
  auto form = MakeForm();
  form->BackType = 1;
  form->Color = 0x123456;
  form->BMPFilename = folder_.Path() + "nothere.bmp";
  form->View().SetBounds(100, 100, 40, 40);
  form->ComposeLayers();
  EXPECT_TRUE(form->LayersReady());
  EXPECT_EQ(At(form->Layers()[NormalLayer], 0, 0), FromColor(0x123456));
  EXPECT_EQ(At(form->Layers()[NormalLayer], 39, 39), FromColor(0x123456));
  EXPECT_TRUE(messages_.empty());

  const std::string garbage = folder_.Path() + "garbage.bmp";
  WriteText(garbage, "this is no picture at all, only words in a file named like one");
  form->BMPFilename = garbage;
  // An unreadable one is reported once for the window, which shows its colour and keeps
  // the name: the picture may become readable again.
  form->ComposeLayers();
  form->ComposeLayers();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find(garbage), std::string::npos) << messages_[0];
  EXPECT_TRUE(form->LayersReady());
  EXPECT_EQ(At(form->Layers()[NormalLayer], 20, 20), FromColor(0x123456));
  EXPECT_EQ(form->BMPFilename, garbage);

  // About a kilobyte of run-length data declaring 16384 x 16384 pixels (768 MB): refused from
  // its header, before any memory is taken for it.
  const BITMAPINFOHEADER info{sizeof info, 16384, 16384, 1, 8, BI_RLE8, 0, 0, 0, 0, 0};
  const BITMAPFILEHEADER head{0x4D42, 0, 0, 0, sizeof head + sizeof info + 1024};
  form->BMPFilename = folder_.Path() + "huge.bmp";
  WriteText(form->BMPFilename, std::string(reinterpret_cast<const char*>(&head), sizeof head) +
                                   std::string(reinterpret_cast<const char*>(&info), sizeof info) + std::string(1026, '\0'));
  PROCESS_MEMORY_COUNTERS before{}, after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  form->ComposeLayers();
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1], "The picture " + form->BMPFilename + " is too large: at most 16384 pixels a side and 256 MB of pixels");
  EXPECT_LT(after.PeakPagefileUsage - before.PeakPagefileUsage, 64u << 20) << "memory taken for the declared size";

  // Nothing is left selected or half made: the next composition works.
  form->BMPFilename.clear();
  form->ComposeLayers();
  EXPECT_TRUE(form->LayersReady());
  EXPECT_EQ(At(form->Layers()[NormalLayer], 20, 20), FromColor(0x123456));
}

// A top-down bitmap file of the given kind, 6 x 4 pixels. Indexed kinds store 4 colours
// (all that the pixels use); bit masks put red in the low byte, the reverse of the usual order.
struct TopDownKind {
  const char* name;
  WORD bits;
  DWORD compression;
  DWORD headerSize;
  DWORD colorsUsed;  // 0: as many as the depth allows
  bool truncated;    // the last row is missing
};

Px TopDownPixel(int x, int y) { return {40 * x + 10, 255 - 30 * y, 7 * (x + y)}; }
Px PaletteColor(int i) { return {60 * i + 5, 200 - 50 * i, 33 * i}; }
int PaletteIndex(int x, int y) { return (x + 2 * y) % 4; }

std::string TopDownBmp(const TopDownKind& k) {
  BITMAPV5HEADER h{};
  h.bV5Size = k.headerSize;
  h.bV5Width = 6;
  h.bV5Height = -4;
  h.bV5Planes = 1;
  h.bV5BitCount = k.bits;
  h.bV5Compression = k.compression;
  h.bV5ClrUsed = k.colorsUsed;
  h.bV5RedMask = 0xFF;
  h.bV5GreenMask = 0xFF00;
  h.bV5BlueMask = 0xFF0000;
  h.bV5CSType = 0x73524742;  // sRGB
  std::string tables(reinterpret_cast<const char*>(&h), k.headerSize);
  if (k.compression == BI_BITFIELDS && k.headerSize == 40) tables.append(reinterpret_cast<const char*>(&h.bV5RedMask), 12);
  for (int i = 0; k.bits == 8 && i < 4; ++i) tables += {char(PaletteColor(i).b), char(PaletteColor(i).g), char(PaletteColor(i).r), 0};
  std::string pixels;
  for (int y = 0; y < (k.truncated ? 3 : 4); ++y) {
    std::string row;
    for (int x = 0; x < 6; ++x) {
      const Px p = TopDownPixel(x, y);
      if (k.bits == 8) row += char(PaletteIndex(x, y));
      if (k.bits >= 24) row += {char(k.bits == 24 ? p.b : p.r), char(p.g), char(k.bits == 24 ? p.r : p.b)};
      if (k.bits == 32) row += '\0';
    }
    pixels += row + std::string((4 - row.size() % 4) % 4, '\0');
  }
  // Room behind the pixels, so a table of 256 colours lies within the file.
  if (!k.truncated) pixels += std::string(1024, '\0');
  BITMAPFILEHEADER f{0x4D42, 0, 0, 0, static_cast<DWORD>(sizeof f + tables.size())};
  f.bfSize = f.bfOffBits + static_cast<DWORD>(pixels.size());
  return std::string(reinterpret_cast<const char*>(&f), sizeof f) + tables + pixels;
}

TEST_F(TessaraWin32Test, TopDownPicturesAreConvertedWithoutHandingTheirHeaderToGdi) {
  const TopDownKind kinds[] = {
      {"8-bit, a table of 256 colours of which 4 are stored", 8, BI_RGB, 40, 0, false},
      {"8-bit, 4 colours", 8, BI_RGB, 40, 4, false},
      {"32-bit bit fields after the header", 32, BI_BITFIELDS, 40, 0, false},
      {"32-bit bit fields in a 124-byte header", 32, BI_BITFIELDS, 124, 0, false},
      {"24-bit, 124-byte header", 24, BI_RGB, 124, 0, false},
      {"8-bit, last row missing", 8, BI_RGB, 40, 4, true},
  };
  for (const TopDownKind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    messages_.clear();
    const std::string file = folder_.Path() + "down.bmp";
    WriteText(file, TopDownBmp(kind));
    auto form = MakeForm();
    form->BackType = 1;
    form->Color = 0x123456;
    form->BMPFilename = file;
    form->View().SetBounds(100, 100, 12, 8);
    form->ComposeLayers();
    ASSERT_TRUE(form->LayersReady());
    const Bitmap24& normal = form->Layers()[NormalLayer];
    if (kind.truncated) {
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_EQ(messages_[0], "Cannot load the picture " + file);
      EXPECT_EQ(At(normal, 3, 3), FromColor(0x123456));
      continue;
    }
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0]);
    int wrong = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x) {
        const int px = x % 6, py = y % 4;
        wrong += !(At(normal, x, y) == (kind.bits == 8 ? PaletteColor(PaletteIndex(px, py)) : TopDownPixel(px, py)));
      }
    EXPECT_EQ(wrong, 0);
  }
}

// ---- transparent capture ----

TEST_F(TessaraWin32Test, TransparentWindowCapturesWhatLiesBelowAndAppliesTheEffect) {
  const COLORREF below = RGB(200, 40, 90);
  Backdrop backdrop(200, 200, 300, 300, below);
  auto form = MakeForm(250, 260);
  form->Cols = 2;
  form->Rows = 2;
  form->Color = 0x00FF00;
  Resize(*form);
  // First shown opaque green, so the screen under it holds its own old image.
  form->ComposeLayers();
  Window(*form).Show();
  SetWindowPos(Window(*form).Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Pump(100);
  ASSERT_EQ(At(ScreenRect(260, 270, 1, 1), 0, 0), FromColor(0x00FF00));

  // Tint: every channel is the mean of the screen and the colour, rounded down.
  form->BackType = 2;
  form->Opacity = 50;
  form->Color = 0x804020;
  form->Effect = 0;
  form->ComposeLayers();
  const Px tinted{(200 + 0x20) / 2, (40 + 0x40) / 2, (90 + 0x80) / 2};
  const Bitmap24& normal = form->Layers()[NormalLayer];
  EXPECT_EQ(At(normal, 0, 0), tinted);
  EXPECT_EQ(At(normal, normal.Width() - 1, normal.Height() - 1), tinted);
  EXPECT_EQ(At(normal, 20, 20), tinted);
  EXPECT_EQ(Window(*form).Left(), 250);
  EXPECT_EQ(Window(*form).Top(), 260);

  // Monochrome without tint: gray (3R + 3G + 4B) / 10, nearest, halves to even.
  form->Opacity = 0;
  form->Effect = 1;
  form->ComposeLayers();
  const int sum = 3 * 200 + 3 * 40 + 4 * 90;  // 1080: exactly 108
  const int gray = sum / 10;
  EXPECT_EQ(At(form->Layers()[NormalLayer], 10, 10), (Px{gray, gray, gray}));
  EXPECT_EQ(Window(*form).Left(), 250);

  // A tessara half off the backdrop sees the backdrop only where it lies over it.
  form->View().SetBounds(180, 260, form->Layers()[0].Width(), form->Layers()[0].Height());
  form->ComposeLayers();
  EXPECT_EQ(At(form->Layers()[NormalLayer], 30, 10), (Px{gray, gray, gray}));
  EXPECT_NE(At(form->Layers()[NormalLayer], 5, 10), (Px{gray, gray, gray}));
}

TEST_F(TessaraWin32Test, WindowsCapturedTogetherComposeFromThatMomentOnce) {
  std::vector<std::unique_ptr<TfrmTessara>> forms;
  std::vector<TessaraWindow*> windows;
  for (int left : {250, 650}) {
    forms.push_back(MakeForm(left, 260));
    TfrmTessara& form = *forms.back();
    form.Cols = form.Rows = 2;
    form.BackType = 2;
    form.Opacity = form.Effect = form.BorderType = 0;
    Resize(form);
    windows.push_back(&Window(form));
  }
  const COLORREF then[] = {RGB(200, 40, 90), RGB(30, 60, 220)};
  {
    Backdrop left(200, 200, 300, 300, then[0]), right(600, 200, 300, 300, then[1]);
    Pump(100);
    CaptureBehindTogether(windows);
  }
  Backdrop now(150, 150, 900, 400, RGB(10, 180, 20));
  Pump(100);
  for (int k = 0; k < 2; ++k) {
    forms[k]->ComposeLayers();
    EXPECT_EQ(At(forms[k]->Layers()[NormalLayer], 20, 20), FromColor(static_cast<int>(then[k]))) << k;
    EXPECT_EQ(windows[k]->Left(), k == 0 ? 250 : 650);
  }
  forms[0]->ComposeLayers();
  EXPECT_EQ(At(forms[0]->Layers()[NormalLayer], 20, 20), (Px{10, 180, 20})) << "the next capture is fresh";
}

TEST_F(TessaraWin32Test, CaptureMovesTheWindowBackWhenThePassFails) {
  auto form = MakeForm(320, 240);
  Resize(*form);
  Window(*form).Show();
  Bitmap24 layer(Window(*form).Width(), Window(*form).Height());
  RECT seenAway{};
  EXPECT_THROW(Window(*form).CaptureBehind(layer,
                                           [&](Bitmap24&) {
                                             GetWindowRect(Window(*form).Handle(), &seenAway);
                                             throw Error("pass failed");
                                           }),
               Error);
  EXPECT_EQ(seenAway.left, 320 + 10000);
  EXPECT_EQ(seenAway.top, 240 + 10000);
  EXPECT_EQ(Window(*form).Left(), 320);
  EXPECT_EQ(Window(*form).Top(), 240);
}

TEST_F(TessaraWin32Test, CaptureNeverWaitsForAnotherThreadsWindowBelow) {
  auto form = MakeForm(250, 260);
  form->BackType = 2;
  Resize(*form);
  Window(*form).Show();
  // Below the window, a window whose thread stops reading its messages, as a hung program's.
  HANDLE shown = CreateEventA(nullptr, TRUE, FALSE, nullptr), stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    Backdrop stuck(200, 200, 300, 300, RGB(200, 40, 90));
    SetEvent(shown);
    WaitForSingleObject(stop, 5000);
  });
  WaitForSingleObject(shown, 5000);
  SetWindowPos(Window(*form).Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const DWORD start = GetTickCount();
  form->ComposeLayers();
  const DWORD took = GetTickCount() - start;
  SetEvent(stop);
  other.join();
  CloseHandle(shown);
  CloseHandle(stop);
  EXPECT_LT(took, 1000u);
  EXPECT_TRUE(form->LayersReady());
}

// ---- icons ----

std::string LibraryPath() { return ::alTools::ProgramFolder() + "TESSARA.DLL"; }

std::size_t LiveGdiObjects();

// Draws an icon on a gray square and returns the pixels.
Bitmap24 Drawn(TessaraWindow& window, const TileIcon& icon) {
  Bitmap24 image(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) std::memset(image.Pixel(x, y), 0x80, 3);
  window.DrawIcon(image, icon, 4, 4);
  return image;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) == 0;
}

TEST_F(TessaraWin32Test, IconFallbackChainOnRealFiles) {
  const std::string text = folder_.Path() + "notes.txt";
  WriteText(text, "hello");
  auto form = MakeForm();
  form->Cols = 3;
  form->Rows = 1;
  Resize(*form);

  TTileRecord& gone = form->Tile(1, 1);
  gone.Filename = folder_.Path() + "gone.qzx";
  gone.IconFile = folder_.Path() + "gone.qzx";
  gone.IconIndex = 1;
  TTileRecord& doc = form->Tile(2, 1);
  doc.Filename = text;
  doc.IconFile = text;
  doc.IconIndex = 1;
  TTileRecord& lib = form->Tile(3, 1);
  lib.Filename = "C:\\somewhere\\tool.exe";
  lib.IconFile = "C:\\somewhere\\tool.exe";
  lib.IconIndex = 7;
  lib.LibIcon = 3;

  form->ComposeLayers();
  ASSERT_TRUE(form->Icons().Built());

  EXPECT_EQ(gone.IconFile, LibraryPath());
  EXPECT_EQ(gone.IconIndex, 1);
  ASSERT_TRUE(gone.Icon);

  std::string program = doc.IconFile;
  std::transform(program.begin(), program.end(), program.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_NE(program.find("notepad"), std::string::npos) << doc.IconFile;
  EXPECT_EQ(doc.IconIndex, 1);
  EXPECT_TRUE(doc.Icon);

  EXPECT_EQ(lib.IconFile, "C:\\somewhere\\tool.exe");
  EXPECT_EQ(lib.IconIndex, 7);
  EXPECT_EQ(lib.LibIcon, 3);
  ASSERT_TRUE(lib.Icon);

  // The icons are the library's first and fourth, not merely some icon.
  TessaraWindow& window = Window(*form);
  auto first = window.ExtractTileIcon(LibraryPath(), 0);
  auto fourth = window.ExtractTileIcon(LibraryPath(), 3);
  ASSERT_TRUE(first && fourth);
  EXPECT_TRUE(SamePixels(Drawn(window, *gone.Icon), Drawn(window, *first)));
  EXPECT_TRUE(SamePixels(Drawn(window, *lib.Icon), Drawn(window, *fourth)));
  EXPECT_FALSE(SamePixels(Drawn(window, *first), Drawn(window, *fourth)));
}

TEST_F(TessaraWin32Test, ExtractionYieldsOnlyRealIcons) {
  auto form = MakeForm();
  TessaraWindow& window = Window(*form);
  const std::string text = folder_.Path() + "notes.txt";
  WriteText(text, "hello");
  // Index -1 would return the icon count disguised as a handle.
  EXPECT_EQ(window.ExtractTileIcon(LibraryPath(), -1), nullptr);
  EXPECT_EQ(window.ExtractTileIcon(LibraryPath(), 9999), nullptr);
  EXPECT_EQ(window.ExtractTileIcon(text, 0), nullptr);
  EXPECT_EQ(window.ExtractTileIcon(folder_.Path() + "missing.exe", 0), nullptr);
  EXPECT_EQ(window.ExtractTileIcon("", 0), nullptr);
  EXPECT_NE(window.ExtractTileIcon(window.ProgramPath(), 0), nullptr);
  EXPECT_TRUE(window.DirectoryReachable(folder_.Path()));
  EXPECT_FALSE(window.DirectoryReachable(folder_.Path() + "away\\"));

  EXPECT_EQ(window.FindAssociatedProgram(folder_.Path() + "missing.txt"), "");
  EXPECT_EQ(window.FindAssociatedProgram(""), "");
  EXPECT_NE(window.FindAssociatedProgram(text), "");
  char self[MAX_PATH];
  EXPECT_EQ(window.ProgramPath(), std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH)));
}

TEST_F(TessaraWin32Test, IconFileBytesDrawLikeTheIcon) {
  auto form = MakeForm();
  TessaraWindow& window = Window(*form);
  for (int index : {0, 1, 3}) {
    auto icon = window.ExtractTileIcon(LibraryPath(), index);
    ASSERT_TRUE(icon) << index;
    const std::string bytes = icon->FileBytes();
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(bytes.substr(0, 6), std::string("\0\0\1\0\1\0", 6));
    // Made lazily from the bytes, the icon draws the same pixels and gives the bytes back;
    // once it is an image, its handle goes back (the bytes hold what it held).
    const std::size_t held = LiveGdiObjects();
    auto again = window.IconFromFileBytes(bytes);
    ASSERT_TRUE(again);
    EXPECT_TRUE(SamePixels(Drawn(window, *icon), Drawn(window, *again))) << index;
    EXPECT_EQ(LiveGdiObjects(), held) << index;
    EXPECT_EQ(again->FileBytes(), bytes);
  }
  // The icon's transparent parts leave the background alone.
  auto icon = window.ExtractTileIcon(LibraryPath(), 0);
  const Bitmap24 drawn = Drawn(window, *icon);
  EXPECT_EQ(At(drawn, 0, 0), (Px{0x80, 0x80, 0x80}));
  EXPECT_EQ(At(drawn, 39, 39), (Px{0x80, 0x80, 0x80}));

  // Bytes that hold no icon draw nothing and do not crash.
  auto broken = window.IconFromFileBytes("not an icon file, just text of some length");
  ASSERT_TRUE(broken);
  Bitmap24 plain = Drawn(window, *broken);
  EXPECT_EQ(At(plain, 10, 10), (Px{0x80, 0x80, 0x80}));
  EXPECT_EQ(window.IconFromFileBytes(""), nullptr);
}

// ---- drive letters ----

TEST_F(TessaraWin32Test, DriveLetterIsDrawnAtTheIconCornerWithAnOptionalShadow) {
  auto compose = [&](int drive, bool shadow) {
    auto form = MakeForm();
    form->Cols = 1;
    form->Rows = 1;
    form->TileWidth = 40;
    form->TileHeight = 40;
    form->Color = 0x808080;
    Resize(*form);
    TTileRecord& t = form->Tile(1, 1);
    t.Filename = "C:\\";
    t.LibIcon = 1;
    t.Drive = static_cast<std::uint8_t>(drive);
    form->LetterShadow = shadow;
    form->ComposeLayers();
    int x = 0, y = 0;
    form->IconPosition(1, 1, x, y);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 4);
    std::vector<Bitmap24> layers;
    for (auto& layer : form->Layers()) {
      Bitmap24 copy(layer.Width(), layer.Height());
      std::memcpy(copy.Bits(), layer.Bits(), layer.ByteSize());
      layers.push_back(std::move(copy));
    }
    return layers;
  };
  const auto plain = compose(0, false);
  const auto letter = compose(3, false);
  const auto shadowed = compose(3, true);
  const Px black{}, white{255, 255, 255};
  const int w = plain[0].Width(), h = plain[0].Height();
  for (int m = 0; m < 3; ++m) {
    int newWhite = 0, newBlackPlain = 0, newBlackShadow = 0, shadowNotBelowText = 0, whiteLost = 0;
    int minX = w, minY = h;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Px before = At(plain[m], x, y);
        const bool textWhite = At(letter[m], x, y) == white && !(before == white);
        newWhite += textWhite;
        if (textWhite) {
          minX = std::min(minX, x);
          minY = std::min(minY, y);
          whiteLost += !(At(shadowed[m], x, y) == white);
        }
        newBlackPlain += At(letter[m], x, y) == black && !(before == black);
        if (At(shadowed[m], x, y) == black && !(before == black)) {
          ++newBlackShadow;
          // Every shadow pixel is a letter pixel moved one right and one down.
          const bool fromText = x >= 1 && y >= 1 && At(letter[m], x - 1, y - 1) == white;
          shadowNotBelowText += !fromText;
        }
      }
    }
    EXPECT_GT(newWhite, 10) << "layer " << m;
    EXPECT_EQ(newBlackPlain, 0) << "layer " << m;
    EXPECT_GT(newBlackShadow, 5) << "layer " << m;
    EXPECT_EQ(shadowNotBelowText, 0) << "layer " << m;
    EXPECT_EQ(whiteLost, 0) << "layer " << m;
    // The text starts at the icon's top-left corner (4, 4), within the letter's side bearing.
    EXPECT_GE(minX, 4);
    EXPECT_LE(minX, 7);
    EXPECT_GE(minY, 4);
    EXPECT_LE(minY, 12);
  }
}

// ---- resources, close, menu ----

// GDI objects alive in this process. Wine's GetGuiResources always answers 0, so the count
// is also taken from the process's GDI handle table (the PEB's GdiSharedHandleTable: 64K
// entries of 24 bytes, the object type in byte 14, zero when free), as Windows keeps it.
std::size_t LiveGdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return reported;
#if defined(_WIN64)
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return 0;
  const auto* peb = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress);
  const std::uint8_t* table = nullptr;
  std::memcpy(&table, peb + 0xF8, sizeof table);
  if (!table) return 0;
  std::size_t live = 0;
  for (std::size_t i = 0; i < 0x10000; ++i) live += table[24 * i + 14] != 0;
  return live;
#else
  return 0;
#endif
}

TEST_F(TessaraWin32Test, RepeatedCompositionsKeepGdiObjectsBalanced) {
  const std::string bmp = folder_.Path() + "tile.bmp";
  WriteBmp(bmp, 10, 10, PicturePixel);
  Backdrop backdrop(100, 100, 200, 200, RGB(10, 200, 30));
  auto transparent = MakeForm(120, 120);
  transparent->BackType = 2;
  transparent->Opacity = 50;
  transparent->Cols = 2;
  transparent->Rows = 2;
  transparent->BorderType = 3;
  transparent->Tile(1, 1).Filename = "C:\\";
  transparent->Tile(1, 1).LibIcon = 1;
  transparent->Tile(1, 1).Drive = 3;
  transparent->LetterShadow = true;
  Resize(*transparent);
  auto picture = MakeForm(400, 120);
  picture->BackType = 1;
  picture->BMPFilename = bmp;
  picture->Tile(1, 1).Filename = "C:\\";
  picture->Tile(1, 1).LibIcon = 2;
  Resize(*picture);
  transparent->ComposeLayers();
  picture->ComposeLayers();
  Window(*transparent).Show();
  Window(*picture).Show();
  Pump(50);

  const std::size_t before = LiveGdiObjects();
  // The count itself must see objects come and go, or the comparison below proves nothing.
  {
    UniqueBrush probe(CreateSolidBrush(RGB(1, 2, 3)));
    UniqueRegion region(CreateRectRgn(0, 0, 5, 5));
    ASSERT_EQ(LiveGdiObjects(), before + 2);
  }
  ASSERT_EQ(LiveGdiObjects(), before);
  for (int i = 0; i < 20; ++i) {
    transparent->ComposeLayers();
    picture->ComposeLayers();
    transparent->Redraw1Click();
    InvalidateRect(Window(*picture).Handle(), nullptr, FALSE);
    UpdateWindow(Window(*picture).Handle());
  }
  EXPECT_EQ(LiveGdiObjects(), before);
}

TEST_F(TessaraWin32Test, CloseFromOutsideIsRefused) {
  auto form = MakeForm();
  HWND hwnd = Window(*form).Handle();
  char text[16] = {}, cls[16] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  GetClassNameA(hwnd, cls, sizeof cls);
  EXPECT_STREQ(text, "ts");
  EXPECT_STREQ(cls, "TTessara");
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);
  EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no task of its own in Alt+Tab";
  Window(*form).Show();
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump(20);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  form.reset();
  EXPECT_FALSE(IsWindow(hwnd));
}

std::string Caption(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

bool IsSeparator(HMENU menu, UINT position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(menu, position, TRUE, &info);
  return (info.fType & MFT_SEPARATOR) != 0;
}

bool Checked(HMENU menu, MenuId id) {
  return (GetMenuState(menu, TessaraWindow::kCommandBase + static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(TessaraWin32Test, MenuIsBuiltFromTheTable) {
  auto form = MakeForm();
  HMENU menu = Window(*form).Menu();
  ASSERT_TRUE(menu);
  ASSERT_EQ(GetMenuItemCount(menu), 20);
  EXPECT_EQ(Caption(menu, 0), "&New...");
  EXPECT_EQ(Caption(menu, 1), "Icon &Properties...");
  for (UINT sep : {2u, 6u, 10u, 15u}) EXPECT_TRUE(IsSeparator(menu, sep)) << sep;
  EXPECT_FALSE(IsSeparator(menu, 3));
  EXPECT_EQ(Caption(menu, 9), "&Tessara Properties...");
  EXPECT_EQ(Caption(menu, 11), "&Select (Tint) Color...");
  EXPECT_EQ(Caption(menu, 12), "&Tint");
  EXPECT_EQ(Caption(menu, 19), "&Exit Application");
  EXPECT_EQ(GetMenuItemID(menu, 19), TessaraWindow::kCommandBase + static_cast<UINT>(MenuId::ExitApplication1));

  HMENU create = GetSubMenu(menu, 0);
  ASSERT_TRUE(create);
  ASSERT_EQ(GetMenuItemCount(create), 2);
  EXPECT_EQ(Caption(create, 1), "Shortcut to &Drive");
  HMENU border = GetSubMenu(menu, 13);
  ASSERT_TRUE(border);
  EXPECT_EQ(Caption(menu, 13), "&Border");
  ASSERT_EQ(GetMenuItemCount(border), 2);
  EXPECT_EQ(Caption(border, 0), "&Black Frame");
  EXPECT_EQ(Caption(border, 1), "&3D Frame");
  HMENU effect = GetSubMenu(menu, 14);
  ASSERT_TRUE(effect);
  ASSERT_EQ(GetMenuItemCount(effect), 5);
  EXPECT_EQ(Caption(effect, 0), "&No Effect");
  EXPECT_EQ(Caption(effect, 4), "&Displace");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(effect, 2, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
  GetMenuItemInfoA(border, 0, TRUE, &info);
  EXPECT_FALSE(info.fType & MFT_RADIOCHECK);
  HMENU repair = GetSubMenu(menu, 17);
  ASSERT_TRUE(repair);
  EXPECT_EQ(Caption(repair, 0), "&Rebuild Icons");
  EXPECT_EQ(GetSubMenu(menu, 12), nullptr);

  EXPECT_TRUE(Checked(menu, MenuId::cmTint));
  EXPECT_TRUE(Checked(menu, MenuId::cmNoEffect));
  EXPECT_FALSE(Checked(menu, MenuId::cmEmboss));
  EXPECT_FALSE(Checked(menu, MenuId::cmBlackFrame));
  EXPECT_FALSE(Checked(menu, MenuId::cm3DFrame));

  form->Effect = 2;
  form->Opacity = 0;
  form->BorderType = 1;
  form->SyncMenuChecks();
  EXPECT_TRUE(Checked(menu, MenuId::cmEmboss));
  EXPECT_FALSE(Checked(menu, MenuId::cmNoEffect));
  EXPECT_FALSE(Checked(menu, MenuId::cmTint));
  EXPECT_TRUE(Checked(menu, MenuId::cmBlackFrame));
  EXPECT_FALSE(Checked(menu, MenuId::cm3DFrame));
}

TEST_F(TessaraWin32Test, RightPressSelectsACellAndMenuCommandsReachTheForm) {
  auto form = MakeForm(200, 200);
  form->Cols = 2;
  form->Rows = 2;
  form->CellSpacing = 4;
  Resize(*form);
  form->ComposeLayers();
  TessaraWindow& window = Window(*form);
  window.Show();
  HWND hwnd = window.Handle();
  const CellRect cell = form->CellRectOf(2, 1);
  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.Left + 5, cell.Top + 5));
  EXPECT_EQ(form->Lit.SelCol(), 2);
  EXPECT_EQ(form->Lit.SelRow(), 1);
  // The spacing between cells keeps the last selection.
  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.Left - 2, cell.Top + 5));
  EXPECT_EQ(form->Lit.SelCol(), 2);
  EXPECT_EQ(form->Lit.SelRow(), 1);

  // A command id from the menu runs its handler: Tint off, mark cleared.
  ASSERT_EQ(form->Opacity, 0);
  form->Opacity = 50;
  SendMessageA(hwnd, WM_COMMAND, TessaraWindow::kCommandBase + static_cast<UINT>(MenuId::cmTint), 0);
  EXPECT_EQ(form->Opacity, 0);
  EXPECT_FALSE(Checked(window.Menu(), MenuId::cmTint));

  // The popup opens on the button's release; a click on "&Tint" chooses it.
  std::atomic<bool> done{false};
  std::thread clicker([&] {
    bool clicked = false;
    for (int i = 0; i < 200 && !clicked && !done; ++i) {
      Sleep(20);
      RECT rc{};
      if (!FindWindowA("#32768", nullptr) || !GetMenuItemRect(nullptr, window.Menu(), 12, &rc)) continue;
      SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
      Sleep(50);
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_MOUSE;
      input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(2, input, sizeof(INPUT));
      clicked = true;
    }
    // A menu the click missed would hold the test forever: close it.
    for (int i = 0; i < 150 && !done; ++i) Sleep(20);
    if (!done) PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  PostMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  const DWORD start = GetTickCount();
  while (form->Opacity == 0 && GetTickCount() - start < 5000) Pump(20);
  done = true;
  clicker.join();
  EXPECT_EQ(form->Opacity, 50);
  EXPECT_TRUE(Checked(window.Menu(), MenuId::cmTint));
}

}  // namespace
}  // namespace tessara
