// The window properties dialog, the floating hint and the background pictures of other
// kinds on real windows under Wine: the dialog is answered through its own controls from a
// second thread, as a user would answer it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/globals.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/systemlibrary_win32.h"
#include "tessara/UTessara_win32.h"
#include "testutil.h"
#include "ui_win32.h"

namespace tessara {
namespace {

using testing::DialogUser;
using testing::Pump;
using testing::PumpUntil;
using testing::TextOf;

// Tiny pictures made with ImageMagick: PNG and GIF 4 x 4, pixel (x, y) from the top is
// r 40+50x, g 30+60y, b 200-20x-10y; the JPEG is 16 x 16 of r 200, g 100, b 50.
constexpr char kPng[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x04\x00\x00\x00\x04"
    "\x08\x02\x00\x00\x00\x26\x93\x09\x29\x00\x00\x00\x1a\x49\x44\x41\x54\x08\xd7\x63\xd4\x90\x3b\x61"
    "\xc4\xf0\x06\x82\x58\x18\x6c\xbe\x31\x30\x40\x11\x6e\x0e\x00\xad\x49\x10\xb2\x21\x62\x2b\x03\x00"
    "\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82"
;
constexpr char kGif[] =
    "\x47\x49\x46\x38\x39\x61\x04\x00\x04\x00\xf3\x00\x00\xbe\x96\x78\xbe\xd2\x6e\x5a\x1e\xb4\x28\x5a"
    "\xbe\x5a\x5a\xaa\x28\x1e\xc8\xbe\x1e\x8c\x8c\x1e\xa0\x8c\x5a\x96\xbe\x5a\x82\x28\x96\xb4\x5a\x96"
    "\xa0\x28\xd2\xaa\x5a\xd2\x96\x8c\x96\x8c\x8c\xd2\x82\x21\xf9\x04\x00\x00\x00\x00\x00\x2c\x00\x00"
    "\x00\x00\x04\x00\x04\x00\x00\x04\x0c\xb0\x88\x63\x06\x41\x49\x2d\x07\x58\x7b\x41\x04\x00\x3b"
;
constexpr char kJpeg[] =
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb\x00\x43"
    "\x00\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\xff\xdb\x00\x43\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\xff\xc0\x00\x11\x08\x00\x10\x00\x10\x03"
    "\x01\x11\x00\x02\x11\x01\x03\x11\x01\xff\xc4\x00\x15\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x06\xff\xc4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x09\xff\xc4\x00\x14\x11\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\x9f\x4a\xf5\xb0\x00\x00\x1f"
    "\xff\xd9"
;

RECT WindowRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}
int WidthOf(HWND hwnd) {
  const RECT r = WindowRect(hwnd);
  return r.right - r.left;
}

class PropertiesWin32Test : public testing::Win32Test {
 protected:
  std::unique_ptr<TfrmTessara> MakeForm(int left, int top) {
    auto form = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), ::alTools::ProgramFolder());
    form->FormCreate();
    form->SetDefaults();
    form->View().SetBounds(left, top, form->CalcWidth(), form->CalcHeight());
    return form;
  }
  static HWND Handle(TfrmTessara& form) { return static_cast<TessaraWindow&>(form.View()).Handle(); }
};

// The value label of a row of the size group: it follows the row's caption; the row's
// scroll bar follows the label.
HWND ValueLabel(HWND dialog, const char* caption) {
  HWND row = FindWindowExA(dialog, nullptr, "Static", caption);
  return row ? GetWindow(row, GW_HWNDNEXT) : nullptr;
}
bool Checked(HWND dialog, const char* caption) {
  return SendMessageA(FindWindowExA(dialog, nullptr, "Button", caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(PropertiesWin32Test, DialogShowsTheWindowAndAScrollStepWithApplyResizesAtOnce) {
  auto form = MakeForm(40, 40);
  form->FormShow();
  const int before = WidthOf(Handle(*form));
  DialogUser user([&](DialogUser& u) {
    HWND dialog = testing::WaitForWindow("TfrmTSProperties", "Window properties");
    if (!u.Check(dialog != nullptr, "no dialog")) return;
    std::string labels;
    for (const char* caption : {"Columns:", "Rows:", "Tile Width:", "Tile Height:", "Border Spacing:", "Cell Spacing:"})
      labels += TextOf(ValueLabel(dialog, caption)) + " ";
    u.Check(labels == "2 3 36 36 0 0 ", "the labels of a new tessara: " + labels);
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(ValueLabel(dialog, "Rows:"), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    u.Check(lf.lfWeight >= FW_BOLD, "bold value labels");
    u.Check(Checked(dialog, "Black Line") && Checked(dialog, "3D Raised"), "both borders");
    u.Check(Checked(dialog, "Transparent") && !Checked(dialog, "Simple Color"), "transparent");
    u.Check((GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
                !(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_SYSMENU), "a tool window");
    RECT client{};
    GetClientRect(dialog, &client);
    u.Check(client.right == 475 && client.bottom == 319, "client size");
    HWND cols = ValueLabel(dialog, "Columns:");
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(GetWindow(cols, GW_HWNDNEXT)));
    u.Check(TextOf(cols) == "3", "a scroll step shows 3");
    SendMessageA(FindWindowExA(dialog, nullptr, "Button", "&Apply"), BM_CLICK, 0, 0);
    u.Check(WidthOf(FindWindowExA(nullptr, nullptr, "TTessara", "ts")) == before + 36, "wider by one tile at Apply");
    SendMessageA(FindWindowExA(dialog, nullptr, "Button", "Black Line"), BM_CLICK, 0, 0);
    SendMessageA(FindWindowExA(dialog, nullptr, "Button", "&Apply"), BM_CLICK, 0, 0);
    u.Check(WidthOf(FindWindowExA(nullptr, nullptr, "TTessara", "ts")) == before + 36 - 2,
            "the black line cleared: narrower by its two pixels");
    u.Click(dialog, "Cancel");
  });
  form->cmWindowPropertiesClick();
  user.Finish();
  EXPECT_EQ(WidthOf(Handle(*form)), before + 36 - 2) << "Cancel keeps what was applied";
  EXPECT_EQ(form->Cols, 3);
  EXPECT_EQ(form->BorderType, 2);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PropertiesWin32Test, GroupBoxesShowTheDialogsFaceAroundTheirControls) {
  auto form = MakeForm(40, 40);
  form->FormShow();
  DialogUser user([&](DialogUser& u) {
    HWND dialog = testing::WaitForWindow("TfrmTSProperties", "Window properties");
    if (!u.Check(dialog != nullptr, "no dialog")) return;
    // The pixels of a box's field left of its controls, from below its caption to its frame.
    auto offTheFace = [](HWND box) {
      const RECT r = WindowRect(box);
      HDC screen = GetDC(nullptr);
      int off = 0;
      for (int y = r.top + 16; y < r.bottom - 5; ++y) off += GetPixel(screen, r.left + 5, y) != GetSysColor(COLOR_BTNFACE);
      ReleaseDC(nullptr, screen);
      return off;
    };
    for (const char* caption : {" Window && Tile Size ", " Window Border ", " Background ", " Floating Hint "}) {
      HWND box = FindWindowExA(dialog, nullptr, "Button", caption);
      int off = -1;
      PumpUntil([&] { return box && (off = offTheFace(box)) == 0; }, 2000, false);  // the first paint
      u.Check(off == 0, caption + std::string(": pixels off the face colour ") + std::to_string(off));
    }
    u.Click(dialog, "Cancel");
  });
  form->cmWindowPropertiesClick();
  user.Finish();
}

TEST_F(PropertiesWin32Test, HintAppearsBesideTheTileInItsColoursAndGoesWhenThePointerLeaves) {
  auto form = MakeForm(200, 300);
  form->BackType = 0;
  form->FloatHint = true;
  form->HintColor = 0x00FFFF;      // yellow
  form->HintTextColor = 0xFF0000;  // blue
  TTileRecord& t = form->Tile(1, 1);
  t.Filename = "C:\\windows\\notepad.exe";
  t.Description = "Notepad here";
  t.LibIcon = 1;
  form->FormShow();
  const CellRect cell = form->CellRectOf(1, 1);
  const RECT tile{200 + cell.Left, 300 + cell.Top, 200 + cell.Left + cell.Width, 300 + cell.Top + cell.Height};
  HWND hint = nullptr;
  auto shown = [&] {
    hint = FindWindowA("TTessaraHint", nullptr);
    return hint && IsWindowVisible(hint);
  };
  // The pointer comes to rest on the tile.
  SetCursorPos(tile.left + 5, tile.top + 5);
  Pump(50);
  SetCursorPos(tile.left + 10, tile.top + 10);
  ASSERT_TRUE(PumpUntil(shown)) << "no hint over the tile";
  Pump(100);  // its paint
  EXPECT_EQ(testing::TextOf(hint), "Notepad here") << "a screen reader reads the hint by its window text";
  const RECT box = WindowRect(hint);
  RECT overlap{};
  EXPECT_FALSE(IntersectRect(&overlap, &box, &tile)) << "the hint covers the tile";
  EXPECT_NE(GetForegroundWindow(), hint);
  HDC screen = GetDC(nullptr);
  const COLORREF corner = GetPixel(screen, box.left + 1, box.top + 1);
  int blue = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) blue += GetPixel(screen, x, y) == RGB(0, 0, 255);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(corner, RGB(255, 255, 0));
  EXPECT_GT(blue, 5) << "no text in the chosen colour";
  // Leaving the tile for the window's border, coming back, then leaving the window.
  SetCursorPos(200, 300);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hint); })) << "the hint stays on the border";
  SetCursorPos(tile.left + 12, tile.top + 12);
  EXPECT_TRUE(PumpUntil(shown)) << "no hint on coming back";
  SetCursorPos(100, 100);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hint); })) << "the hint stays after the pointer left";
}

TEST_F(PropertiesWin32Test, GifPngJpegAndMetafileBackgroundsAreDrawnAtTheirNaturalSize) {
  struct Case {
    const char* name;
    std::string bytes;
    bool exact;
  };
  const Case cases[] = {{"p.png", std::string(kPng, sizeof kPng - 1), true},
                        {"p.gif", std::string(kGif, sizeof kGif - 1), true},
                        {"s.jpg", std::string(kJpeg, sizeof kJpeg - 1), false}};
  for (const Case& c : cases) {
    const std::string file = folder_.Path() + c.name;
    testing::WriteText(file, c.bytes);
    auto form = MakeForm(100, 100);
    form->BackType = 1;
    form->BorderType = 0;
    form->BMPFilename = file;
    form->View().SetBounds(100, 100, 37, 35);
    form->ComposeLayers();
    ASSERT_TRUE(form->LayersReady()) << c.name;
    const Bitmap24& normal = form->Layers()[NormalLayer];
    int wrong = 0;
    for (int y = 0; y < normal.Height(); ++y) {
      for (int x = 0; x < normal.Width(); ++x) {
        const std::uint8_t* p = normal.Pixel(x, y);
        if (c.exact) {
          const int px = x % 4, py = y % 4;
          wrong += p[2] != 40 + 50 * px || p[1] != 30 + 60 * py || p[0] != 200 - 20 * px - 10 * py;
        } else {
          wrong += std::abs(p[2] - 200) > 3 || std::abs(p[1] - 100) > 3 || std::abs(p[0] - 50) > 3;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << c.name;
  }
  // A metafile (read through the OLE picture service): a red rectangle on white.
  const std::string emf = folder_.Path() + "r.emf";
  {
    HDC ref = GetDC(nullptr);
    const int mmX = GetDeviceCaps(ref, HORZSIZE) * 100, pxX = GetDeviceCaps(ref, HORZRES);
    const int mmY = GetDeviceCaps(ref, VERTSIZE) * 100, pxY = GetDeviceCaps(ref, VERTRES);
    const RECT frame{0, 0, MulDiv(20, mmX, pxX), MulDiv(20, mmY, pxY)};  // 20 x 20 pixels
    HDC meta = CreateEnhMetaFileA(ref, emf.c_str(), &frame, nullptr);
    ReleaseDC(nullptr, ref);
    const RECT red{0, 0, 10, 10};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(meta, &red, brush);
    DeleteObject(brush);
    DeleteEnhMetaFile(CloseEnhMetaFile(meta));
  }
  auto metaForm = MakeForm(100, 100);
  metaForm->BackType = 1;
  metaForm->BorderType = 0;
  metaForm->BMPFilename = emf;
  metaForm->ComposeLayers();
  ASSERT_TRUE(metaForm->LayersReady());
  const std::uint8_t* corner = metaForm->Layers()[NormalLayer].Pixel(2, 2);
  EXPECT_EQ(corner[2] * 65536 + corner[1] * 256 + corner[0], 0xFF0000) << "the metafile's red corner";
  EXPECT_TRUE(messages_.empty());

  // A file of another kind that no service reads is reported as an unreadable bitmap is; the
  // window then shows its colour.
  const std::string broken = folder_.Path() + "broken.png";
  testing::WriteText(broken, std::string(kPng, 40));
  auto form = MakeForm(100, 100);
  form->BackType = 1;
  form->BMPFilename = broken;
  form->ComposeLayers();
  EXPECT_EQ(messages_, std::vector<std::string>{"Cannot load the picture " + broken});
  EXPECT_TRUE(form->LayersReady());
}

TEST_F(PropertiesWin32Test, TheMetafileServicesLibraryOfTheSameNameBesideTheProgramIsNotLoaded) {
  if (GetModuleHandleW(L"oleaut32.dll")) GTEST_SKIP() << "loaded already: its name alone would find it";
  const std::string fake = alTools::ProgramFolder() + "oleaut32.dll";
  ASSERT_TRUE(CopyFileA((alTools::ProgramFolder() + "twelve_icons.dll").c_str(), fake.c_str(), FALSE));
  wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetModuleFileNameW(LoadSystemLibrary(L"oleaut32.dll"), path, MAX_PATH);
  DeleteFileA(fake.c_str());
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(CompareStringOrdinal(path, length, system, length, TRUE), CSTR_EQUAL) << path;
}

}  // namespace
}  // namespace tessara
