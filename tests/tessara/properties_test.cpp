// The window properties dialog against recording fakes: filling it from a window, Apply,
// OK and Cancel, its own handlers, the floating hint and the keys of the hint and the font.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

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

TEST_F(PropertiesTest, NewTessaraShowsItsValuesAndCancelChangesNothing) {
  form->BackType = 2;
  const int width = view->width, height = view->height;
  bool shown = false;
  Open([&](TfrmTSProperties& d) {
    shown = true;
    const FakeTSPropertiesView& v = *view->properties;
    const std::string labels[] = {"2", "3", "36", "36", "0", "0"};
    for (int i = 0; i < kTSBarCount; ++i) {
      EXPECT_EQ(v.labels.at(static_cast<TSBar>(i)), labels[i]) << i;
      EXPECT_EQ(std::to_string(v.bars.at(static_cast<TSBar>(i))), labels[i]) << i;
    }
    EXPECT_TRUE(v.checks.at(TSCheck::BlackFrame));
    EXPECT_TRUE(v.checks.at(TSCheck::Frame3D));
    EXPECT_EQ(v.back_type, 2);
    EXPECT_EQ(v.color, 0x707070);
    EXPECT_FALSE(v.checks.at(TSCheck::FloatHint)) << "a window without hint keys has no hint";
    EXPECT_EQ(v.hint_back, kHintExampleColor);
    EXPECT_EQ(v.font.Face, "") << "the font button keeps its own font";
    EXPECT_EQ(d.LetterFont().Face, "MS Sans Serif");
    d.SetPosition(TSBar::Cols, 9);
    return false;
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(form->Cols, 2);
  EXPECT_EQ(view->width, width);
  EXPECT_EQ(view->height, height);
  EXPECT_EQ(frmTSProperties, nullptr) << "the dialog is gone after the command";
}

TEST_F(PropertiesTest, ApplyWidensAtOnceAndALaterCancelKeepsIt) {
  form->CellSpacing = 3;
  form->ApplySize();
  const int width = view->width, height = view->height;
  Open([&](TfrmTSProperties& d) {
    d.SetPosition(TSBar::Cols, 5);
    EXPECT_EQ(view->properties->labels.at(TSBar::Cols), "5");
    const int paints = view->paints;
    d.btnApplyClick();
    EXPECT_EQ(view->width, width + 3 * 36 + 3 * 3);
    EXPECT_EQ(view->height, height);
    EXPECT_EQ(form->Layers[NormalLayer].Width(), view->width) << "recomposed at the new size";
    EXPECT_EQ(view->paints, paints + 1) << "one composition per Apply";
    d.btnApplyClick();  // Apply again: same result
    EXPECT_EQ(view->width, width + 3 * 36 + 3 * 3);
    return false;
  });
  EXPECT_EQ(form->Cols, 5);
  EXPECT_EQ(view->width, width + 3 * 36 + 3 * 3);
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
    Open([&](TfrmTSProperties& d) {
      EXPECT_EQ(d.Position(c.bar), c.shown) << c.stored;
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

TEST_F(PropertiesTest, ColourFileWallpaperAndHintHandlersChangeOnlyWhatTheyOwn) {
  form->BMPFilename = "C:\\pics\\old.bmp";
  Open([&](TfrmTSProperties& d) {
    FakeTSPropertiesView& v = *view->properties;
    d.pnlColorClick();  // cancelled
    EXPECT_EQ(d.PanelColor(), 0x707070);
    v.colors = {0x010203};
    d.pnlColorClick();
    EXPECT_EQ(v.color, 0x010203);
    d.SpeedButton1Click();  // cancelled
    EXPECT_EQ(v.open_folder, "C:\\pics");
    EXPECT_EQ(d.BitmapFile(), "C:\\pics\\old.bmp");
    v.open_ok = true;
    d.SpeedButton1Click();
    EXPECT_EQ(v.bitmap_file, "D:\\pics\\new.bmp");
    d.SpeedButton2Click();  // no wallpaper: the box empties, the kind stays
    EXPECT_EQ(v.bitmap_file, "");
    v.wallpaper = "C:\\windows\\wall.jpg";
    d.SpeedButton2Click();
    EXPECT_EQ(d.BitmapFile(), "C:\\windows\\wall.jpg");
    EXPECT_EQ(d.BackType(), 0);
    v.colors = {0x0000FF, 0x00FF00};
    d.pnlHintExampleMouseDown(TSMouseButton::Middle);
    d.pnlHintExampleMouseDown(TSMouseButton::Left);
    d.pnlHintExampleMouseDown(TSMouseButton::Right);
    EXPECT_EQ(v.hint_back, 0x0000FF);
    EXPECT_EQ(v.hint_text, 0x00FF00);
    EXPECT_EQ(v.color_presets, (std::vector<int>{0x707070, 0x707070, kHintExampleColor, 0}));
    d.SetChecked(TSCheck::FloatHint, true);
    return true;
  });
  EXPECT_EQ(form->Color, 0x010203);
  EXPECT_EQ(form->BMPFilename, "C:\\windows\\wall.jpg");
  EXPECT_EQ(form->BackType, 0);
  EXPECT_TRUE(form->FloatHint);
  EXPECT_EQ(form->HintColor, 0x0000FF);
  EXPECT_EQ(form->HintTextColor, 0x00FF00);
  EXPECT_EQ(view->color, 0x010203);
}

TEST_F(PropertiesTest, LetterFontIsKeptOnlyOnceChosenAndShownWhenTheDialogOpensAgain) {
  Open([](TfrmTSProperties&) { return true; });
  EXPECT_EQ(form->LetterFont.Face, "") << "OK without choosing keeps the default font";
  EXPECT_TRUE(view->letter_fonts.empty());
  Open([&](TfrmTSProperties& d) {
    d.btnFontClick();  // cancelled
    EXPECT_FALSE(d.FontChosen());
    view->properties->font_ok = true;
    d.btnFontClick();
    EXPECT_EQ(view->properties->font, (FontSpec{"Courier New", -20, 700, true}));
    return true;
  });
  EXPECT_EQ(form->LetterFont, (FontSpec{"Courier New", -20, 700, true}));
  ASSERT_FALSE(view->letter_fonts.empty());
  EXPECT_EQ(view->letter_fonts.back(), form->LetterFont);
  Open([&](TfrmTSProperties& d) {
    EXPECT_EQ(view->properties->font, form->LetterFont);
    EXPECT_EQ(d.LetterFont(), form->LetterFont);
    return false;
  });
}

TEST_F(PropertiesTest, HintShowsTheDescriptionBesideTheTileOnlyWhenSwitchedOn) {
  view->SetBounds(100, 200, view->width, view->height);
  TTileRecord& t = form->Tile(2, 1);
  t.Filename = "C:\\t.exe";
  t.Description = "Tool";
  form->HintOver(2, 1, 150, 210);
  EXPECT_TRUE(view->hints.empty()) << "no hint while it is off";
  form->FloatHint = true;
  form->HintColor = 0x112233;
  form->HintTextColor = 0x445566;
  form->HintOver(1, 1, 120, 210);  // an empty cell
  form->HintOver(2, 3, 150, 290);  // an empty cell
  EXPECT_TRUE(view->hints.empty());
  form->HintOver(2, 1, 150, 210);
  form->HintOver(2, 1, 151, 211);  // resting on the same tile: no new box
  ASSERT_EQ(view->hints.size(), 1u);
  const auto& h = view->hints[0];
  const CellRect cell = form->CellRectOf(2, 1);
  EXPECT_EQ(h.text, "Tool");
  EXPECT_EQ(h.background, 0x112233);
  EXPECT_EQ(h.color, 0x445566);
  EXPECT_EQ(h.avoid.Left, 100 + cell.Left);
  EXPECT_EQ(h.avoid.Top, 200 + cell.Top);
  EXPECT_EQ(h.avoid.Width, cell.Width);
  form->HintOver(1, 1, 120, 210);  // on to an empty cell
  EXPECT_EQ(view->hint_hides, 1);
  form->HintHide();
  EXPECT_EQ(view->hint_hides, 1) << "nothing to hide twice";
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

  auto load = [&](int number, FakeTessaraView** v) {
    auto fv = std::make_unique<FakeTessaraView>();
    *v = fv.get();
    auto f = std::make_unique<TfrmTessara>(nullptr, std::move(fv), folder.Path());
    f->FormCreate();
    f->LoadTessara(number);
    return f;
  };
  FakeTessaraView* v = nullptr;
  auto back = load(3, &v);
  EXPECT_TRUE(back->FloatHint);
  EXPECT_EQ(back->HintColor, 0xABCDEF);
  EXPECT_EQ(back->HintTextColor, 0x010101);
  EXPECT_EQ(back->LetterFont, (FontSpec{"Courier New", -15, 700, true}));
  ASSERT_FALSE(v->letter_fonts.empty());
  EXPECT_EQ(v->letter_fonts.back(), back->LetterFont);

  // A section written before these keys existed.
  WriteText(folder.Path() + "tswin.ini",
            ini + "[4\\Integers]\r\nCols=3\r\nRows=1\r\n\r\n[4\\Booleans]\r\nLetterShadow=1\r\n");
  auto old = load(4, &v);
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
