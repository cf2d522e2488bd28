// The program at the scale of the screen. scripts/test.sh runs these at 96 dpi and again in a
// prefix at 144 dpi; the sizes at 96 are the design's, every other scale multiplies them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/UMain_win32.h"
#include "dialogs/UProperties_win32.h"
#include "dialogs/UTSProperties_win32.h"
#include "render/icofile.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/dpi_win32.h"
#include "tessara/UTessara_win32.h"
#include "ui_win32.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;
using testing::DialogUser;
using testing::Win32Test;

// An icon image whose pixels tell its size and place apart.
std::uint32_t Pattern(int size, int x, int y) {
  return 0xFF000000u | static_cast<std::uint32_t>((x * 255 / size) << 16 | (y * 255 / size) << 8 | size);
}
IconEntry Image(int size) {
  IconEntry entry{{size, size, {}}, IconDepth::Argb32};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) entry.image.pixels.push_back(Pattern(size, x, y));
  return entry;
}

class DpiWin32Test : public Win32Test {
 protected:
  static int Dpi() { return SystemDpi(); }
  // A new window of 3 x 2 tiles of 36 with both borders, at the scale of its monitor.
  std::unique_ptr<TfrmTessara> MakeWindow(const std::string& folder) {
    auto form = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), folder);
    form->FormCreate();
    form->SetNumber(1);
    form->SetDefaults();
    form->Cols = 3;
    form->Rows = 2;
    form->BackType = 0;
    form->ApplySize();
    return form;
  }
  static HWND Handle(TfrmTessara& form) { return static_cast<TessaraWindow&>(form.View()).Handle(); }
};

TEST_F(DpiWin32Test, ProcessIsAtLeastPerMonitorAware) {
  DeclareDpiAwareness();  // refused or granted, it never takes awareness away
  EXPECT_TRUE(PerMonitorAware());
}

TEST_F(DpiWin32Test, WindowIconsAndLayerCachesComeInDevicePixels) {
  // The 144-dpi run leaves its folder for a start at 96 (DpiHandoff below).
  const char* handoff = std::getenv("TESSARA_DPI_HANDOFF");
  const std::string folder = handoff ? std::string(handoff) + "\\" : Folder();
  fs::create_directories(folder + "settings");
  const std::string ico = folder + "two.ico";
  ASSERT_TRUE(WriteFileAtomic(ico, EncodeIcon({Image(32), Image(48)})));
  auto form = MakeWindow(folder);
  TTileRecord& tile = form->Tile(1, 1);
  tile.Filename = tile.IconFile = ico;
  tile.IconIndex = 1;
  form->ComposeLayers();
  EXPECT_EQ(form->View().Width() * 96, 112 * Dpi());
  EXPECT_EQ(form->View().Height() * 96, 76 * Dpi());

  const int size = 32 * Dpi() / 96;  // the file's own image of that size
  int left = 0, top = 0, wrong = 0;
  form->IconPosition(1, 1, left, top);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = form->Layers[NormalLayer].Pixel(left + x, top + y);
      wrong += (0xFF000000u | p[2] << 16 | p[1] << 8 | p[0]) != Pattern(size, x, y);
    }
  EXPECT_EQ(wrong, 0) << "pixels of the " << size << "-px image";

  Starting = false;
  form->SaveTessara();
  for (int m = 0; m < 3; ++m) {
    int width = 0, height = 0;
    ASSERT_TRUE(ReadBmp24Size(folder + "settings\\tessara1_" + std::to_string(m) + ".bmp", width, height));
    EXPECT_EQ(width, form->View().Width());
    EXPECT_EQ(height, form->View().Height());
  }
  std::string cached;
  ASSERT_TRUE(ReadWholeFile(folder + "settings\\tessara1_1_1.ico", cached));
  EXPECT_EQ(static_cast<unsigned char>(cached.at(6)), 32u) << "the icon cache keeps the 32-px image";
}

// Run by scripts/test.sh at 96 dpi on the folder the 144-dpi run left.
TEST_F(DpiWin32Test, DpiHandoffStartFromCachesOfAnotherScaleRecomposes) {
  const char* handoff = std::getenv("TESSARA_DPI_HANDOFF");
  ASSERT_NE(handoff, nullptr) << "needs the folder of a run at another scale";
  auto form = std::make_unique<TfrmTessara>(
      nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), std::string(handoff) + "\\");
  form->FormCreate();
  form->LoadTessara(1);
  form->FormShow();
  EXPECT_EQ(form->Layers[NormalLayer].Width() * 96, 112 * Dpi());
  int left = 0, top = 0;
  form->IconPosition(1, 1, left, top);
  const int size = 32 * Dpi() / 96;
  const std::uint8_t* p = form->Layers[NormalLayer].Pixel(left + size - 1, top + size - 1);
  EXPECT_EQ(0xFF000000u | p[2] << 16 | p[1] << 8 | p[0], Pattern(size, size - 1, size - 1)) << "icons drawn anew";
}

TEST_F(DpiWin32Test, DpiChangedMessageTakesThePlaceAndRecomposesInTheNewSize) {
  auto form = MakeWindow(Folder());
  form->ComposeLayers();
  const int next = Dpi() == 96 ? 144 : 96;
  RECT suggested{200, 150, 200 + 112 * next / 96, 150 + 76 * next / 96};
  SendMessageA(Handle(*form), kWmDpiChanged, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&suggested));
  RECT now{};
  GetWindowRect(Handle(*form), &now);
  EXPECT_EQ(now.left, 200);
  EXPECT_EQ(now.top, 150);
  EXPECT_EQ(now.right, suggested.right);
  EXPECT_EQ(now.bottom, suggested.bottom);
  EXPECT_EQ(form->Layers[NormalLayer].Width(), suggested.right - 200);
  EXPECT_EQ(form->Layers[HoverLayer].Height(), suggested.bottom - 150);
}

TEST_F(DpiWin32Test, ControlPanelAndDialogsHaveScaledClientSizes) {
  auto scaled = [](int length) { return ScaleLength(length, Dpi()); };
  RECT rc{};
  {
    MainWindow panel(GetModuleHandleA(nullptr), Folder());
    panel.Create();
    GetClientRect(panel.Handle(), &rc);
    EXPECT_EQ(rc.right, scaled(345));
    EXPECT_EQ(rc.bottom, scaled(334));
  }
  TSPropertiesWindow look(GetModuleHandleA(nullptr), nullptr);
  GetClientRect(look.hwnd_, &rc);
  EXPECT_EQ(rc.right, scaled(475));
  EXPECT_EQ(rc.bottom, scaled(319));

  // The tile dialog's design size is its outer one: its client area under Wine's frame at 96.
  TfrmProperties tileDialog(std::make_unique<PropertiesWindow>(GetModuleHandleA(nullptr), nullptr));
  DialogUser user([&](DialogUser& u) {
    HWND dialog = testing::WaitForWindow("#32770", "Properties");
    RECT client{};
    GetClientRect(dialog, &client);
    u.Check(client.right == scaled(369) && client.bottom == scaled(284),
            "client " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
  });
  tileDialog.ShowModal();
  user.Finish();
}

}  // namespace
}  // namespace tessara
