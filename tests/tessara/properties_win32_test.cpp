// The window properties dialog, the floating hint and the background pictures of other
// kinds on real windows under Wine: the dialog is answered through its own controls from a
// second thread, as a user would answer it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "base/globals.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "tessara/UTessara_win32.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::TempFolder;
using testing::WriteText;

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

// Pumps until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    Pump(20);
  }
  return true;
}

std::string Text(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

RECT WindowRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

class PropertiesWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = true;
    old_error_ = SetErrorHandler([this](const std::string& t) { messages_.push_back(t); });
  }
  void TearDown() override { SetErrorHandler(old_error_); }

  std::unique_ptr<TfrmTessara> MakeForm(int left, int top) {
    auto form = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), ::alTools::ProgramFolder());
    form->FormCreate();
    form->SetDefaults();
    form->View().SetBounds(left, top, form->CalcWidth(), form->CalcHeight());
    return form;
  }
  static HWND Handle(TfrmTessara& form) { return static_cast<TessaraWindow&>(form.View()).Handle(); }

  std::vector<std::string> messages_;
  TempFolder folder_;

 private:
  MessageHandler old_error_;
};

// The user: waits for the dialog, then acts on its controls from this thread.
class DialogUser {
 public:
  explicit DialogUser(std::function<void(HWND)> act)
      : thread_([this, act = std::move(act)] {
          const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          HWND dialog = nullptr;
          while (!dialog && std::chrono::steady_clock::now() < until) {
            HWND found = FindWindowA("TfrmTSProperties", "Window properties");
            if (found && IsWindowVisible(found)) dialog = found;
            else std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
          found_ = dialog != nullptr;
          if (dialog) act(dialog);
        }) {}
  ~DialogUser() {
    if (thread_.joinable()) thread_.join();
  }
  bool Found() {
    if (thread_.joinable()) thread_.join();
    return found_;
  }

 private:
  std::atomic<bool> found_{false};
  std::thread thread_;
};

// A labelled row of the size group: the caption, its value label and its scroll bar follow
// one another.
struct BarRow {
  HWND caption, value, bar;
};
BarRow Row(HWND dialog, const char* caption) {
  BarRow r{};
  r.caption = FindWindowExA(dialog, nullptr, "Static", caption);
  r.value = r.caption ? GetWindow(r.caption, GW_HWNDNEXT) : nullptr;
  r.bar = r.value ? GetWindow(r.value, GW_HWNDNEXT) : nullptr;
  return r;
}

HWND Button(HWND dialog, const char* caption) { return FindWindowExA(dialog, nullptr, "Button", caption); }

TEST_F(PropertiesWin32Test, DialogShowsTheWindowAndAScrollStepWithApplyResizesAtOnce) {
  auto form = MakeForm(40, 40);
  form->FormShow();
  const RECT before = WindowRect(Handle(*form));
  std::vector<std::string> labels;
  bool bold = false, borders = false, transparent = false, toolWindow = false;
  int clientWidth = 0, clientHeight = 0;
  std::string afterStep;
  RECT applied{};
  DialogUser user([&](HWND dialog) {
    const char* captions[] = {"Columns:", "Rows:", "Tile Width:", "Tile Height:", "Border Spacing:", "Cell Spacing:"};
    for (const char* caption : captions) labels.push_back(Text(Row(dialog, caption).value));
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Row(dialog, "Rows:").value, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    bold = lf.lfWeight >= FW_BOLD;
    borders = SendMessageA(Button(dialog, "Black Line"), BM_GETCHECK, 0, 0) == BST_CHECKED &&
              SendMessageA(Button(dialog, "3D Raised"), BM_GETCHECK, 0, 0) == BST_CHECKED;
    transparent = SendMessageA(Button(dialog, "Transparent"), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                  SendMessageA(Button(dialog, "Simple Color"), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
    const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE), ex = GetWindowLongPtrA(dialog, GWL_EXSTYLE);
    toolWindow = (ex & WS_EX_TOOLWINDOW) && !(style & WS_SYSMENU);
    RECT client{};
    GetClientRect(dialog, &client);
    clientWidth = client.right;
    clientHeight = client.bottom;
    const BarRow cols = Row(dialog, "Columns:");
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(cols.bar));
    afterStep = Text(cols.value);
    SendMessageA(Button(dialog, "&Apply"), BM_CLICK, 0, 0);
    applied = WindowRect(FindWindowExA(nullptr, nullptr, "TTessara", "ts"));
    SendMessageA(Button(dialog, "Cancel"), BM_CLICK, 0, 0);
  });
  form->cmWindowPropertiesClick();
  ASSERT_TRUE(user.Found());
  EXPECT_EQ(labels, (std::vector<std::string>{"2", "3", "36", "36", "0", "0"}));
  EXPECT_TRUE(bold);
  EXPECT_TRUE(borders);
  EXPECT_TRUE(transparent);
  EXPECT_TRUE(toolWindow);
  EXPECT_EQ(clientWidth, 475);
  EXPECT_EQ(clientHeight, 319);
  EXPECT_EQ(afterStep, "3");
  EXPECT_EQ(applied.right - applied.left, before.right - before.left + 36) << "wider by one tile at Apply";
  const RECT after = WindowRect(Handle(*form));
  EXPECT_EQ(after.right - after.left, before.right - before.left + 36) << "Cancel keeps what was applied";
  EXPECT_EQ(form->Cols, 3);
  EXPECT_TRUE(messages_.empty());
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

TEST_F(PropertiesWin32Test, GifPngAndJpegBackgroundsAreTiledAtTheirNaturalSize) {
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
    WriteText(file, c.bytes);
    auto form = MakeForm(100, 100);
    form->BackType = 1;
    form->BorderType = 0;
    form->BMPFilename = file;
    form->View().SetBounds(100, 100, 37, 35);
    form->ComposeLayers();
    ASSERT_TRUE(form->LayersReady) << c.name;
    const Bitmap24& normal = form->Layers[NormalLayer];
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
  // A file of another kind that no service reads is reported as an unreadable bitmap is; the
  // window then shows its colour.
  const std::string broken = folder_.Path() + "broken.png";
  WriteText(broken, std::string(kPng, 40));
  auto form = MakeForm(100, 100);
  form->BackType = 1;
  form->BMPFilename = broken;
  form->ComposeLayers();
  EXPECT_EQ(messages_, std::vector<std::string>{"Cannot load the picture " + broken});
  EXPECT_TRUE(form->LayersReady);
}

}  // namespace
}  // namespace tessara
