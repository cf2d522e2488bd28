// The window properties dialog against recording fakes: filling it from a window, Apply,
// OK and Cancel, its own handlers, the floating hint and the keys of the hint and the font.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "base/globals.h"
#include "tessara/UTessara.h"
#include "tessara/fake_view.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::FakeTessaraView;
using testing::FakeTSPropertiesView;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

class PropertiesTest : public ::testing::Test {
 protected:
  PropertiesTest() {
    auto v = std::make_unique<FakeTessaraView>();
    view = v.get();
    form = std::make_unique<TfrmTessara>(nullptr, std::move(v), folder.Path());
    form->FormCreate();
    form->SetDefaults();  // 2 x 3, tiles 36, spacings 0, both borders, transparent
    form->BackType = 0;   // no capture needed below unless a test asks for it
  }
  // Opens the dialog; `user` plays the user and answers OK (true) or Cancel (false).
  void Open(std::function<bool(TfrmTSProperties&)> user) {
    view->properties_user = std::move(user);
    form->cmWindowPropertiesClick();
  }

  TempFolder folder;
  FakeTessaraView* view;
  std::unique_ptr<TfrmTessara> form;
};

TEST_F(PropertiesTest, ApplyWidensAtOnceAndCancelKeepsOnlyWhatWasApplied) {
  form->CellSpacing = 3;
  form->ApplySize();
  const int wider = view->width + 3 * 36 + 3 * 3;
  Open([&](TfrmTSProperties& d) {
    d.SetPosition(TSBar::Cols, 5);
    const int paints = view->paints;
    d.btnApplyClick();
    EXPECT_EQ(view->width, wider);
    EXPECT_EQ(form->Layers()[NormalLayer].Width(), wider) << "recomposed at the new size";
    EXPECT_EQ(view->paints, paints + 1) << "one composition per Apply";
    d.btnApplyClick();  // Apply again: same result
    d.SetPosition(TSBar::Cols, 9);
    return false;
  });
  EXPECT_EQ(form->Cols, 5);
  EXPECT_EQ(view->width, wider);
  EXPECT_EQ(frmTSProperties, nullptr) << "the dialog is gone after the command";
}

TEST_F(PropertiesTest, ClearingBothBordersGivesTypeZeroAndTheSmallerBorder) {
  form->BorderSpacing = 1;
  form->ApplySize();
  const int width = view->width, height = view->height;
  ASSERT_EQ(form->Border, 3);
  Open([](TfrmTSProperties& d) {
    d.SetChecked(TSCheck::BlackFrame, false);
    d.SetChecked(TSCheck::Frame3D, false);
    return true;
  });
  EXPECT_EQ(form->BorderType, 0);
  EXPECT_EQ(form->Border, 1);
  EXPECT_EQ(view->width, width - 4);
  EXPECT_EQ(view->height, height - 4);
  EXPECT_FALSE(view->checks.at(MenuId::cmBlackFrame));
  EXPECT_FALSE(view->checks.at(MenuId::cm3DFrame));
  // And one box back on marks only its menu item.
  Open([](TfrmTSProperties& d) {
    d.SetChecked(TSCheck::Frame3D, true);
    return true;
  });
  EXPECT_EQ(form->BorderType, 2);
  EXPECT_FALSE(view->checks.at(MenuId::cmBlackFrame));
  EXPECT_TRUE(view->checks.at(MenuId::cm3DFrame));
}

TEST_F(PropertiesTest, ShrinkingRowsHidesTilesAndGrowingShowsThemUnchanged) {
  form->Rows = 4;
  view->icons = {"C:\\t.exe#0"};
  TTileRecord& t = form->Tile(2, 4);
  t.Filename = t.IconFile = "C:\\t.exe";
  t.IconIndex = 1;
  t.Description = "Four";
  auto setRows = [&](int rows) {
    Open([rows](TfrmTSProperties& d) {
      d.SetPosition(TSBar::Rows, rows);
      return true;
    });
  };
  setRows(2);
  EXPECT_EQ(form->Rows, 2);
  EXPECT_TRUE(view->icon_draws.empty()) << "a tile outside the grid is not drawn";
  EXPECT_EQ(form->Tile(2, 4).Description, "Four");
  setRows(4);
  EXPECT_EQ(form->Tile(2, 4).Filename, "C:\\t.exe");
  int x = 0, y = 0;
  form->IconPosition(2, 4, x, y);
  // Its icon was never needed while it was hidden: it is extracted when it comes back.
  ASSERT_FALSE(view->icon_draws.empty());
  EXPECT_EQ(view->icon_draws.back(), std::make_pair(x, y));
}

TEST_F(PropertiesTest, ValuesOutsideARangeShowTheBarsEndAndTheStoredNumber) {
  // Only a hand-edited file or an older build gives such values; OK stores the bar's.
  struct Case {
    int TfrmTessara::*field;
    TSBar bar;
    int stored, shown;
  };
  const Case cases[] = {{&TfrmTessara::Cols, TSBar::Cols, 70, 64},
                        {&TfrmTessara::TileWidth, TSBar::TileWidth, 20, 32},
                        {&TfrmTessara::TileHeight, TSBar::TileHeight, 49, 48},
                        {&TfrmTessara::CellSpacing, TSBar::CellSpacing, 12, 8},
                        {&TfrmTessara::BorderSpacing, TSBar::BorderSpacing, -1, 0}};
  for (const Case& c : cases) {
    (*form).*c.field = c.stored;
    Open([&](TfrmTSProperties&) {
      EXPECT_EQ(view->properties->bars.at(c.bar), c.shown) << c.stored;
      EXPECT_EQ(view->properties->labels.at(c.bar), std::to_string(c.stored));
      return true;
    });
    EXPECT_EQ((*form).*c.field, c.shown);
  }
  for (auto [stored, selected] : {std::pair{5, 2}, std::pair{-3, -1}}) {
    form->BackType = stored;
    Open([&](TfrmTSProperties&) {
      EXPECT_EQ(view->properties->back_type, selected);
      return true;
    });
    EXPECT_EQ(form->BackType, selected);
  }
}

TEST_F(PropertiesTest, ColourWallpaperHintAndFontHandlersChangeWhatTheyOwn) {
  form->BMPFilename = "C:\\pics\\old.bmp";
  Open([&](TfrmTSProperties& d) {
    FakeTSPropertiesView& v = *view->properties;
    v.colors = {0x010203, 0x0000FF, 0x00FF00};
    d.pnlColorClick();
    d.SpeedButton1Click();  // cancelled
    EXPECT_EQ(v.open_folder, "C:\\pics");
    d.SpeedButton2Click();  // no wallpaper: the box empties, the kind stays
    EXPECT_EQ(v.bitmap_file, "");
    v.wallpaper = "C:\\windows\\wall.jpg";
    d.SpeedButton2Click();
    d.pnlHintExampleMouseDown(TSMouseButton::Middle);
    d.pnlHintExampleMouseDown(TSMouseButton::Left);
    d.pnlHintExampleMouseDown(TSMouseButton::Right);
    EXPECT_EQ(v.color_presets, (std::vector<int>{0x707070, kHintExampleColor, 0}));
    d.SetChecked(TSCheck::FloatHint, true);
    v.font_ok = true;
    d.btnFontClick();
    return true;
  });
  EXPECT_EQ(std::tie(form->Color, form->HintColor, form->HintTextColor), std::make_tuple(0x010203, 0xFF, 0xFF00));
  EXPECT_EQ(form->BMPFilename, "C:\\windows\\wall.jpg");
  EXPECT_EQ(form->BackType, 0);
  EXPECT_TRUE(form->FloatHint);
  EXPECT_EQ(form->LetterFont, (FontSpec{"Courier New", -20, 700, true}));
  ASSERT_FALSE(view->letter_fonts.empty());
  EXPECT_EQ(view->letter_fonts.back(), form->LetterFont);
  Open([&](TfrmTSProperties&) {
    EXPECT_EQ(view->properties->font, form->LetterFont) << "the button shows the stored font";
    return true;
  });
  EXPECT_EQ(form->LetterFont.Face, "Courier New") << "OK without choosing keeps the font";
}

TEST_F(PropertiesTest, HintShowsTheDescriptionBesideTheTileOnlyWhenSwitchedOn) {
  view->SetBounds(100, 200, view->width, view->height);
  form->Tile(2, 1).Filename = "C:\\t.exe";
  form->Tile(2, 1).Description = "Tool";
  form->HintOver(2, 1, 150, 210);
  EXPECT_TRUE(view->hints.empty()) << "no hint while it is off";
  form->FloatHint = true;
  form->HintColor = 0x112233;
  form->HintTextColor = 0x445566;
  form->HintOver(1, 1, 120, 210);  // an empty cell
  form->HintOver(2, 1, 150, 210);
  form->HintOver(2, 1, 151, 211);  // resting on the same tile: no new box
  ASSERT_EQ(view->hints.size(), 1u);
  const auto& h = view->hints[0];
  const CellRect cell = form->CellRectOf(2, 1);
  EXPECT_EQ(std::tie(h.text, h.background, h.color), std::make_tuple(std::string("Tool"), 0x112233, 0x445566));
  EXPECT_EQ(std::tie(h.avoid.Left, h.avoid.Top, h.avoid.Width),
            std::make_tuple(100 + cell.Left, 200 + cell.Top, cell.Width));
  form->HintOver(1, 1, 120, 210);  // on to an empty cell, a capture of the screen, any key
  form->HintOver(2, 1, 150, 210);
  form->BackType = 2;
  form->ComposeLayers();
  form->HintOver(2, 1, 150, 210);
  form->FormKeyDown(kKeyRight, ssNone);
  EXPECT_EQ(view->hint_hides, 3);
  form->HintHide();
  EXPECT_EQ(view->hint_hides, 3) << "hidden once, and nothing to hide twice";
}

TEST_F(PropertiesTest, HintAndFontKeysRoundTripAndTheirAbsenceMeansAsBefore) {
  Starting = false;
  std::filesystem::create_directories(folder.Path() + "settings");
  form->SetNumber(3);
  form->FloatHint = true;
  form->HintColor = 0xABCDEF;
  form->HintTextColor = 0x010101;
  form->LetterFont = {"Courier New", -15, 700, true};
  form->SaveTessara();
  Starting = true;
  const std::string ini = ReadText(folder.Path() + "tswin.ini");
  EXPECT_LT(ini.find("LetterShadow="), ini.find("FloatHint=")) << "new keys follow the old ones";
  EXPECT_LT(ini.find("Effect="), ini.find("HintColor="));
  EXPECT_LT(ini.find("BMPFilename="), ini.find("LetterFontName="));

  FakeTessaraView* v = nullptr;
  auto load = [&](int number) {
    auto f = std::make_unique<TfrmTessara>(nullptr, std::make_unique<FakeTessaraView>(), folder.Path());
    v = static_cast<FakeTessaraView*>(&f->View());
    f->FormCreate();
    f->LoadTessara(number);
    return f;
  };
  auto back = load(3);
  EXPECT_EQ(std::tie(back->FloatHint, back->HintColor, back->HintTextColor), std::make_tuple(true, 0xABCDEF, 0x010101));
  EXPECT_EQ(back->LetterFont, (FontSpec{"Courier New", -15, 700, true}));
  ASSERT_FALSE(v->letter_fonts.empty());
  EXPECT_EQ(v->letter_fonts.back(), back->LetterFont);

  // A section written before these keys existed.
  WriteText(folder.Path() + "tswin.ini",
            ini + "[4\\Integers]\r\nCols=3\r\nRows=1\r\n\r\n[4\\Booleans]\r\nLetterShadow=1\r\n");
  auto old = load(4);
  EXPECT_FALSE(old->FloatHint);
  EXPECT_EQ(old->LetterFont.Face, "");
  EXPECT_TRUE(v->letter_fonts.empty() || v->letter_fonts.back().Face.empty());
  old->Tile(1, 1).Filename = "C:\\x.exe";
  old->Tile(1, 1).Description = "X";
  old->HintOver(1, 1, 5, 5);
  EXPECT_TRUE(v->hints.empty());
}

}  // namespace
}  // namespace tessara
