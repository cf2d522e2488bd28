// The tessara window's behaviour against a recording fake of the platform.
#include "tessara/UTessara.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "render/drawbmps.h"
#include "tessara/fake_view.h"

namespace tessara {
namespace {

using testing::FakeTessaraView;

constexpr const char* kFolder = "C:\\prog\\";
constexpr const char* kLibrary = "C:\\prog\\TESSARA.DLL";
constexpr const char* kProgram = "C:\\prog\\tessara.exe";

class TessaraFormTest : public ::testing::Test {
 protected:
  TessaraFormTest() {
    auto v = std::make_unique<FakeTessaraView>();
    view = v.get();
    form = std::make_unique<TfrmTessara>(nullptr, std::move(v), kFolder);
    form->FormCreate();
  }

  // A plain-colour window of the given grid, sized by the formulas.
  void PlainWindow(int cols, int rows, int borderType) {
    form->Cols = cols;
    form->Rows = rows;
    form->BorderType = borderType;
    form->BackType = 0;
    form->Color = 0x302010;  // r 0x10, g 0x20, b 0x30
    form->ApplySize();
  }

  static Rgb At(const Bitmap24& layer, int x, int y) {
    const std::uint8_t* p = layer.Pixel(x, y);
    return {p[2], p[1], p[0]};
  }

  FakeTessaraView* view;
  std::unique_ptr<TfrmTessara> form;
};

TEST_F(TessaraFormTest, PlainCompositionFillsOutlinesAndShadesTheCells) {
  PlainWindow(2, 1, 1);  // black line only: border 1, 74 x 38
  form->ComposeLayers();
  ASSERT_TRUE(form->LayersReady());
  const Bitmap24& normal = form->Layers()[NormalLayer];
  ASSERT_EQ(normal.Width(), 74);
  ASSERT_EQ(normal.Height(), 38);
  const Rgb fill{0x10, 0x20, 0x30};
  EXPECT_EQ(At(normal, 0, 0), Rgb{});
  EXPECT_EQ(At(normal, 73, 37), Rgb{});
  EXPECT_EQ(At(normal, 1, 1), fill);
  EXPECT_EQ(At(normal, 40, 20), fill);
  // Hover: the cell's top-left raised (x1.5), its bottom-right sunk (x0.75); the ring untouched.
  const Bitmap24& hover = form->Layers()[HoverLayer];
  EXPECT_EQ(At(hover, 1, 1), (Rgb{24, 48, 72}));
  EXPECT_EQ(At(hover, 36, 36), (Rgb{12, 24, 36}));
  EXPECT_EQ(At(hover, 10, 10), fill);
  EXPECT_EQ(At(hover, 0, 0), Rgb{});
  const Bitmap24& pressed = form->Layers()[PressedLayer];
  EXPECT_EQ(At(pressed, 1, 1), (Rgb{12, 24, 36}));
  EXPECT_EQ(At(pressed, 36, 36), (Rgb{24, 48, 72}));
  EXPECT_GE(view->paints, 1) << "a composition ends by painting the window";
}

TEST_F(TessaraFormTest, ScaledWindowDrawsItsLinesAndEdgesAtTheScaleAndRecomposesOnceWhenItChanges) {
  form->UseDpi(144);
  PlainWindow(2, 1, 3);  // border 3: a 1-px black line and a 2-px raised edge; cells of 54
  form->Tile(1, 1).Filename = form->Tile(1, 1).IconFile = "C:\\a.exe";
  form->Tile(1, 1).IconIndex = 1;
  view->icons = {"C:\\a.exe#0"};
  form->ComposeLayers();
  // Down the middle of the second cell: rows 0-3 and 55-59, flat and raised.
  const int rows[] = {0, 1, 2, 3, 4, 5, 55, 56, 57, 58, 59};
  const int flat[] = {0, 24, 24, 16, 16, 16, 16, 16, 12, 12, 0};  // red: 16 x 1.5 and x 0.75
  const int raised[] = {0, 24, 24, 24, 24, 16, 12, 12, 12, 12, 0};
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(At(form->Layers()[NormalLayer], 84, rows[i]).r, flat[i]) << rows[i];
    EXPECT_EQ(At(form->Layers()[HoverLayer], 84, rows[i]).r, raised[i]) << rows[i];
  }

  form->BackType = 2;
  form->FormMouseDown(mbLeft, ssCtrl, 30, 20);  // dragged onto a 96-dpi monitor, held 30, 20 from the corner
  form->FormDpiChanged(96, 500, 400);
  form->FormDpiChanged(96, 0, 0);  // the same scale again changes nothing
  EXPECT_EQ(view->captures, 1);
  EXPECT_EQ(view->extractions, (std::vector<std::string>{"C:\\a.exe#0", "C:\\a.exe#0"})) << "again at the new scale";
  EXPECT_TRUE(view->left == 500 && view->top == 400 && view->width == 76 && view->height == 40);
  EXPECT_TRUE(form->Pointing().DownX() == 20 && form->Pointing().DownY() == 13);
}

TEST_F(TessaraFormTest, MissingBackgroundPictureFallsBackToTheColour) {
  PlainWindow(1, 1, 0);
  form->BackType = 1;
  form->BMPFilename = "/no/such/picture.bmp";
  form->ComposeLayers();
  EXPECT_EQ(view->pictures, 0);
  EXPECT_EQ(At(form->Layers()[NormalLayer], 5, 5), (Rgb{0x10, 0x20, 0x30}));
}

TEST_F(TessaraFormTest, TransparentWindowCapturesAndAppliesItsEffectToTheBackgroundOnly) {
  PlainWindow(1, 1, 0);
  form->BackType = 2;
  form->Effect = 0;
  form->Opacity = 50;
  form->Color = 0x707070;
  view->behind = Rgb{10, 20, 30};
  form->ComposeLayers();
  EXPECT_EQ(view->captures, 1);
  EXPECT_EQ(At(form->Layers()[NormalLayer], 3, 3), (Rgb{61, 66, 71}));
  form->Opacity = 0;
  form->ComposeLayers();
  EXPECT_EQ(At(form->Layers()[NormalLayer], 3, 3), (Rgb{10, 20, 30}));
}

TEST_F(TessaraFormTest, IconFallbackChainRewritesTheRecord) {
  PlainWindow(4, 1, 0);
  // (1,1): the file's own icon.  (2,1): falls to the associated program.
  // (3,1): falls to the library.  (4,1): a library icon with the library missing.
  TTileRecord& own = form->Tile(1, 1);
  own.Filename = own.IconFile = "C:\\a.exe";
  own.IconIndex = 2;
  TTileRecord& doc = form->Tile(2, 1);
  doc.Filename = doc.IconFile = "C:\\gone.txt";
  doc.IconIndex = 1;
  TTileRecord& lost = form->Tile(3, 1);
  lost.Filename = lost.IconFile = "C:\\lost.xyz";
  lost.IconIndex = 0;  // names no icon at all
  TTileRecord& lib = form->Tile(4, 1);
  lib.Filename = "C:\\x.exe";
  lib.LibIcon = 5;
  view->icons = {"C:\\a.exe#1", "C:\\Windows\\notepad.exe#0", std::string(kLibrary) + "#0",
                 std::string(kProgram) + "#0"};
  view->associations["C:\\gone.txt"] = "C:\\Windows\\notepad.exe";

  form->ComposeLayers();
  ASSERT_TRUE(form->Icons().Built());
  EXPECT_EQ(own.IconFile, "C:\\a.exe");
  EXPECT_EQ(own.IconIndex, 2);
  EXPECT_EQ(static_cast<testing::FakeIcon&>(*own.Icon).Source, "C:\\a.exe#1");
  EXPECT_EQ(doc.IconFile, "C:\\Windows\\notepad.exe");
  EXPECT_EQ(doc.IconIndex, 1);
  ASSERT_TRUE(doc.Icon);
  EXPECT_EQ(lost.IconFile, kLibrary);
  EXPECT_EQ(lost.IconIndex, 1);
  EXPECT_EQ(static_cast<testing::FakeIcon&>(*lost.Icon).Source, std::string(kLibrary) + "#0");
  EXPECT_EQ(static_cast<testing::FakeIcon&>(*lib.Icon).Source, std::string(kProgram) + "#0");
  EXPECT_EQ(lib.IconFile, "") << "a library tile's record is not changed";
  for (const auto& e : view->extractions) EXPECT_EQ(e.find("#-1"), std::string::npos) << e;

  // Icons are extracted once per window, not at every composition.
  const std::size_t extracted = view->extractions.size();
  form->ComposeLayers();
  EXPECT_EQ(view->extractions.size(), extracted);
  form->RebuildIcons1Click();
  EXPECT_GT(view->extractions.size(), extracted);
}

TEST_F(TessaraFormTest, EveryExtractionFailingLeavesNoIconButTheProgramsPath) {
  PlainWindow(1, 1, 0);
  TTileRecord& t = form->Tile(1, 1);
  t.Filename = t.IconFile = "C:\\none.bin";
  t.IconIndex = 1;
  form->ComposeLayers();
  EXPECT_FALSE(t.Icon);
  EXPECT_EQ(t.IconFile, kProgram);
  EXPECT_EQ(t.IconIndex, 1);
}

TEST_F(TessaraFormTest, TilesAreDrawnIntoAllLayersWithDriveLetters) {
  PlainWindow(2, 2, 3);  // border 2
  form->TileWidth = 36;
  form->ApplySize();
  TTileRecord& drive = form->Tile(2, 1);
  drive.Filename = "EXPLORER.EXE C:\\";
  drive.Drive = 3;
  drive.LibIcon = 1;
  view->icons = {std::string(kLibrary) + "#1"};
  form->Tile(5, 5).Filename = "outside the grid";
  form->LetterShadow = true;
  form->ComposeLayers();
  // x = (2-1)*36 + 2 + 2, y = 0 + 2 + 2
  ASSERT_EQ(view->icon_draws.size(), 3u);
  EXPECT_EQ(view->icon_draws[0], std::make_pair(40, 4));
  ASSERT_EQ(view->texts.size(), 6u);
  EXPECT_EQ(view->texts[0].text, "C:");
  EXPECT_EQ(view->texts[0].color, 0x000000);
  EXPECT_EQ(view->texts[0].x, 41);
  EXPECT_EQ(view->texts[0].y, 5);
  EXPECT_EQ(view->texts[1].color, 0xFFFFFF);
  EXPECT_EQ(view->texts[1].x, 40);

  view->texts.clear();
  form->LetterShadow = false;
  form->ComposeLayers();
  ASSERT_EQ(view->texts.size(), 3u);
  for (const auto& t : view->texts) EXPECT_EQ(t.color, 0xFFFFFF);
}

TEST_F(TessaraFormTest, DrawCellRecordsTheHoveredCell) {
  PlainWindow(2, 2, 0);
  form->ComposeLayers();
  form->DrawCell(HoverLayer, 2, 1);
  EXPECT_EQ(form->Lit.HoverCol(), 2);
  EXPECT_EQ(form->Lit.HoverRow(), 1);
  form->DrawCell(PressedLayer, 1, 2);
  EXPECT_EQ(form->Lit.HoverCol(), 1);
  EXPECT_EQ(form->Lit.HoverRow(), 2);
  form->DrawCell(NormalLayer, 1, 2);
  EXPECT_EQ(form->Lit.HoverCol(), -1);
}

TEST_F(TessaraFormTest, LookCommandsResizeRecomposeAndKeepTheMarks) {
  PlainWindow(2, 3, 0);
  form->BorderSpacing = 0;
  form->ApplySize();
  ASSERT_EQ(view->width, 72);
  form->RunCommand(MenuId::cmBlackFrame);
  EXPECT_EQ(form->BorderType, 1);
  EXPECT_EQ(view->width, 74);
  EXPECT_EQ(view->height, 110);
  EXPECT_TRUE(view->checks[MenuId::cmBlackFrame]);
  EXPECT_EQ(form->Layers()[NormalLayer].Width(), 74);
  form->RunCommand(MenuId::cm3DFrame);
  EXPECT_EQ(form->BorderType, 3);
  EXPECT_EQ(view->width, 76);
  form->RunCommand(MenuId::cmBlackFrame);
  EXPECT_EQ(form->BorderType, 2);
  EXPECT_FALSE(view->checks[MenuId::cmBlackFrame]);

  form->Opacity = 50;
  form->RunCommand(MenuId::cmTint);
  EXPECT_EQ(form->Opacity, 0);
  EXPECT_FALSE(view->checks[MenuId::cmTint]);
  form->RunCommand(MenuId::cmTint);
  EXPECT_EQ(form->Opacity, 50);

  form->RunCommand(MenuId::cmBlur);
  EXPECT_EQ(form->Effect, 3);
  EXPECT_TRUE(view->checks[MenuId::cmBlur]);
  EXPECT_FALSE(view->checks[MenuId::cmNoEffect]);
  EXPECT_EQ(At(form->Layers()[NormalLayer], 5, 5), (Rgb{0x10, 0x20, 0x30}))
      << "a colour background stays plain whatever the effect";

  view->choose_ok = false;
  form->RunCommand(MenuId::cmSelectTintColor);
  EXPECT_EQ(form->Color, 0x302010) << "a cancelled dialog changes nothing";
  view->choose_ok = true;
  form->RunCommand(MenuId::cmSelectTintColor);
  EXPECT_EQ(form->Color, 0x123456);
  EXPECT_EQ(view->color, 0x123456);
  EXPECT_EQ(At(form->Layers()[NormalLayer], 5, 5), (Rgb{0x56, 0x34, 0x12}));
}

TEST_F(TessaraFormTest, ShowingMarksTheMenuFromTheSettings) {
  PlainWindow(1, 1, 1);
  form->Effect = 2;
  form->Opacity = 0;
  form->FormShow();
  EXPECT_TRUE(view->shown);
  EXPECT_TRUE(view->checks[MenuId::cmBlackFrame]);
  EXPECT_FALSE(view->checks.count(MenuId::cm3DFrame)) << "an unset bit leaves its mark alone";
  EXPECT_FALSE(view->checks[MenuId::cmTint]);
  EXPECT_TRUE(view->checks[MenuId::cmEmboss]);
  EXPECT_FALSE(view->checks[MenuId::cmNoEffect]);
}

TEST(TessaraMenuTest, TableHoldsEveryItemInOrder) {
  const auto& menu = TessaraMenu();
  int top = 0, separators = 0, radio = 0;
  for (int i = 0; i < kMenuCount; ++i) {
    EXPECT_EQ(static_cast<int>(menu[i].id), i) << "the table is indexed by its ids";
    if (menu[i].parent == MenuId::None) ++top;
    if (std::string(menu[i].caption) == "-") ++separators;
    if (menu[i].radioGroup == 2) ++radio;
    if (!IsSubmenu(menu[i].id) && std::string(menu[i].caption) != "-") {
      EXPECT_NE(TfrmTessara::CommandOf(menu[i].id), nullptr) << menu[i].caption;
    }
  }
  EXPECT_EQ(top, 20);
  EXPECT_EQ(separators, 4);
  EXPECT_EQ(radio, 5);
  EXPECT_STREQ(MenuEntryOf(MenuId::cmTint).caption, "&Tint");
  EXPECT_TRUE(MenuEntryOf(MenuId::cmTint).checked);
  EXPECT_TRUE(MenuEntryOf(MenuId::cmNoEffect).checked);
  EXPECT_EQ(MenuEntryOf(MenuId::Redraw1).parent, MenuId::Repair1);
}

}  // namespace
}  // namespace tessara
