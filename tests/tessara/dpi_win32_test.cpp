// The program at the scale of the screen. scripts/test.sh runs these at 96 dpi and again in a
// prefix at 144 dpi; the sizes at 96 are the design's, every other scale multiplies them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

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

// An icon image whose pixels tell its size and place apart, as 0xAARRGGBB.
std::uint32_t Pattern(int size, int i) {
  return 0xFF000000u | static_cast<std::uint32_t>((i % size * 255 / size) << 16 | (i / size * 255 / size) << 8 | size);
}
IconEntry Image(int size) {
  IconEntry entry{{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size * size))}, IconDepth::Argb32};
  for (int i = 0; i < size * size; ++i) entry.image.pixels[static_cast<std::size_t>(i)] = Pattern(size, i);
  return entry;
}

std::pair<LONG, LONG> ClientSize(HWND window) {
  RECT rc{};
  GetClientRect(window, &rc);
  return {rc.right, rc.bottom};
}

// Each caption of a window's labels, check boxes, radio buttons and buttons that its control
// cuts: the text in the control's own font, with the box and gap of a check box or radio
// button, the edges of a button and the insets of a group box beside it.
std::string CutCaptions(HWND window, int dpi) {
  std::string cut;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(c, GWL_STYLE), type = style & BS_TYPEMASK;
    char kind[8] = {};
    wchar_t text[128] = {};
    GetClassNameA(c, kind, sizeof kind);
    const bool label = lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
    if (!(style & WS_VISIBLE) || (!label && lstrcmpiA(kind, "Button")) || !GetWindowTextW(c, text, 128)) continue;
    const int box = type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON ? 17 : type == BS_GROUPBOX ? 14 : 6;
    const int beside = label ? 0 : ScaleLength(box, dpi);
    ScreenDC dc(c);
    ScopedSelect font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
    RECT need{}, has{};
    DrawTextW(dc.Get(), text, -1, &need, DT_CALCRECT | DT_EXPANDTABS | (label && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    GetClientRect(c, &has);
    if (need.right + beside > has.right || need.bottom > has.bottom)
      cut += " \"" + testing::TextOf(c) + "\" needs " + std::to_string(need.right + beside) + " of " + std::to_string(has.right);
  }
  return cut;
}

class DpiWin32Test : public testing::Win32Test {
 protected:
  // The 144-dpi run leaves its folder to a start at 96 (DpiHandoff), named by the script.
  const char* handoff_ = std::getenv("TESSARA_DPI_HANDOFF");
  std::string folder_ = handoff_ ? std::string(handoff_) + "\\" : Folder();
  std::unique_ptr<TfrmTessara> form_ = std::make_unique<TfrmTessara>(
      nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), folder_);
  int dpi_ = SystemDpi();

  // Wrong pixels of tile (1, 1) against the icon file's image of the scaled size.
  int WrongIconPixels() {
    const int size = 32 * dpi_ / 96;
    int wrong = 0;  // the icon's corner: 4 px in at 96, from the border of 2 and a 36-px cell
    for (int i = 0; i < size * size; ++i) {
      const std::uint8_t* p = form_->Layers()[NormalLayer].Pixel(4 * dpi_ / 96 + i % size, 4 * dpi_ / 96 + i / size);
      wrong += (0xFF000000u | p[2] << 16 | p[1] << 8 | p[0]) != Pattern(size, i);
    }
    return wrong;
  }
};

TEST_F(DpiWin32Test, WindowIconsCachesAndTheDpiChangeAreInDevicePixels) {
  EXPECT_TRUE(PerMonitorAware());
  CreateFolder(folder_ + "settings");
  ASSERT_TRUE(WriteFileAtomic(folder_ + "two.ico", EncodeIcon({Image(32), Image(48)})));
  form_->FormCreate();
  form_->SetNumber(1);
  form_->SetDefaults();  // at the scale of its monitor; made 3 x 2 with both borders
  form_->Cols = 3;
  form_->Rows = 2;
  form_->Tile(1, 1).Filename = form_->Tile(1, 1).IconFile = folder_ + "two.ico";
  form_->Tile(1, 1).IconIndex = 1;
  form_->ApplySize();
  form_->ComposeLayers();
  EXPECT_TRUE(form_->View().Width() * 96 == 112 * dpi_ && form_->View().Height() * 96 == 76 * dpi_);
  EXPECT_EQ(WrongIconPixels(), 0);

  Starting = false;
  form_->SaveTessara();
  for (int m = 0, width = 0, height = 0; m < 3; ++m)
    EXPECT_TRUE(ReadBmp24Size(folder_ + "settings\\tessara1_" + std::to_string(m) + ".bmp", width, height) &&
                width * 96 == 112 * dpi_ && height * 96 == 76 * dpi_) << width << " x " << height;
  std::string cached;
  EXPECT_TRUE(ReadWholeFile(folder_ + "settings\\tessara1_1_1.ico", cached) && cached.at(6) == 32) << "32-px cache";

  // Wine never sends it: the move to a monitor of another scale, as the system announces it.
  const int next = dpi_ == 96 ? 144 : 96;
  RECT to{200, 150, 200 + 112 * next / 96, 150 + 76 * next / 96}, now{};
  HWND window = static_cast<TessaraWindow&>(form_->View()).Handle();
  SendMessageA(window, kWmDpiChanged, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&to));
  GetWindowRect(window, &now);
  EXPECT_TRUE(EqualRect(&now, &to));
  EXPECT_EQ(form_->Layers()[PressedLayer].Width(), to.right - 200);
  dpi_ = next;
  EXPECT_EQ(WrongIconPixels(), 0) << "icons extracted again in the new size";

  // The capture's own move off the monitor announces a scale: nothing changes inside it, and
  // then the window takes its monitor's, even from another (a real change made meanwhile).
  for (const int held : {next, SystemDpi()}) {
    Bitmap24 layer(8, 8);
    static_cast<TessaraWindow&>(form_->View()).CaptureBehind(layer, [&](Bitmap24&) {
      SendMessageA(window, kWmDpiChanged, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&to));
      EXPECT_EQ(form_->Dpi, held) << "inside the capture";
    });
    testing::Pump(50);
    EXPECT_TRUE(form_->Dpi == SystemDpi() && form_->View().Left() == 200 && form_->View().Width() == form_->CalcWidth());
  }
}

// Run by scripts/test.sh at 96 dpi on the folder of the 144-dpi run.
TEST_F(DpiWin32Test, DpiHandoffStartFromCachesOfAnotherScaleRecomposes) {
  ASSERT_NE(handoff_, nullptr) << "needs the folder of a run at another scale";
  form_->FormCreate();
  form_->LoadTessara(1);
  form_->FormShow();
  EXPECT_EQ(form_->Layers()[NormalLayer].Width() * 96, 112 * dpi_);
  EXPECT_EQ(WrongIconPixels(), 0);
}

TEST_F(DpiWin32Test, ControlPanelAndDialogsHaveScaledClientSizes) {
  auto scaled = [this](int w, int h) { return std::pair<LONG, LONG>(ScaleLength(w, dpi_), ScaleLength(h, dpi_)); };
  MainWindow panel(GetModuleHandleA(nullptr), Folder());
  panel.Create();
  EXPECT_EQ(ClientSize(panel.Handle()), scaled(345, 334));
  // The taskbar came again: the tray icon is added again in the small-icon size of the scale.
  SendMessageA(panel.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ICONINFO tray{};
  BITMAP image{};
  ASSERT_TRUE(panel.TrayIconShown() && GetIconInfo(panel.TrayIcon(), &tray));
  GetObjectA(tray.hbmMask, sizeof image, &image);
  DeleteObject(tray.hbmMask);
  if (tray.hbmColor) DeleteObject(tray.hbmColor);
  EXPECT_EQ(image.bmWidth, ScaleLength(16, dpi_));
  EXPECT_EQ(ClientSize(TSPropertiesWindow(GetModuleHandleA(nullptr), nullptr).hwnd_), scaled(475, 319));
  // The tile dialog's design size is its outer one: 369 x 284 inside Wine's frame at 96.
  TfrmProperties tileDialog(std::make_unique<PropertiesWindow>(GetModuleHandleA(nullptr), nullptr));
  testing::DialogUser user([&](testing::DialogUser& u) {
    const auto size = ClientSize(testing::WaitForWindow("#32770", "Properties"));
    u.Check(size == scaled(369, 284), "the tile dialog is " + std::to_string(size.first) + " x " + std::to_string(size.second));
  });
  tileDialog.ShowModal();
}

TEST_F(DpiWin32Test, EveryCaptionIsWholeAtEveryScale) {
  MainWindow panel(GetModuleHandleA(nullptr), Folder());
  panel.Create();
  auto view = std::make_unique<TSPropertiesWindow>(GetModuleHandleA(nullptr), nullptr);
  HWND windowDialog = view->hwnd_;
  TfrmTSProperties windowForm(std::move(view));
  for (int i = 0; i < kTSBarCount; ++i) windowForm.SetLabelText(static_cast<TSBar>(i), "64");
  TfrmProperties tileDialog(std::make_unique<PropertiesWindow>(GetModuleHandleA(nullptr), nullptr));
  testing::DialogUser user([&](testing::DialogUser& u) {
    // Each as made at the screen's scale, then moved to a monitor of each scale (as announced).
    const int scales[] = {dpi_, 96, 120, 144, 168, 192};
    for (HWND window : {panel.Handle(), windowDialog, testing::WaitForWindow("#32770", "Properties")}) {
      for (int i = 0, from = dpi_; i < 6; from = scales[i++]) {
        RECT r{};
        GetWindowRect(window, &r);
        r.right = r.left + MulDiv(r.right - r.left, scales[i], from);
        r.bottom = r.top + MulDiv(r.bottom - r.top, scales[i], from);
        if (i > 0) SendMessageA(window, kWmDpiChanged, MAKEWPARAM(scales[i], scales[i]), reinterpret_cast<LPARAM>(&r));
        const std::string cut = CutCaptions(window, scales[i]);
        u.Check(cut.empty(), testing::TextOf(window) + " at " + std::to_string(scales[i]) + " dpi:" + cut);
      }
    }
  });
  tileDialog.ShowModal();
}

}  // namespace
}  // namespace tessara
