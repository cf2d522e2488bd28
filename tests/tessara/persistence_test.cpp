// A tessara's files: what a save writes, what a load and a show take back, and the fallbacks
// for missing, mismatched or unwritable files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "base/globals.h"
#include "render/drawbmps.h"
#include "settings/RegVal.h"
#include "settings/tiledata.h"
#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/fake_view.h"
#include "testutil.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;
using testing::FakeTessaraView;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

class PersistenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = false;
    fs::create_directories(folder.Path() + "settings");
  }
  void TearDown() override { Starting = true; }

  std::unique_ptr<TfrmTessara> NewForm(FakeTessaraView** view) {
    auto v = std::make_unique<FakeTessaraView>();
    *view = v.get();
    auto form = std::make_unique<TfrmTessara>(nullptr, std::move(v), folder.Path());
    form->FormCreate();
    return form;
  }

  // Window 2: a 4 x 4 transparent grid with tiles at (1,1) and (3,2).
  std::unique_ptr<TfrmTessara> SavedWindow(FakeTessaraView** view) {
    auto form = NewForm(view);
    form->SetNumber(2);
    form->Cols = form->Rows = 4;
    form->BackType = 2;
    form->BorderType = 3;
    form->Color = 0x405060;
    (*view)->icons = {"C:\\a.exe#0", "C:\\b.exe#0"};
    for (auto [col, row, file] : {std::tuple{1, 1, "C:\\a.exe"}, std::tuple{3, 2, "C:\\b.exe"}}) {
      TTileRecord& t = form->Tile(col, row);
      t.Filename = t.IconFile = file;
      t.IconIndex = 1;
      t.Description = file;
    }
    (*view)->SetBounds(300, 200, 0, 0);
    form->Left = 300, form->Top = 200;  // where the user put it
    form->ApplySize();
    form->ComposeLayers();
    form->SaveTessara();
    return form;
  }

  std::string File(const std::string& name) const { return folder.Path() + "settings/" + name; }

  TempFolder folder;
};

TEST_F(PersistenceTest, SaveWritesEveryFileOfTheWindow) {
  FakeTessaraView* view;
  auto form = SavedWindow(&view);
  EXPECT_EQ(fs::file_size(File("tessara2.dat")), 1642u);
  EXPECT_TRUE(fs::exists(File("tessara2_1_1.ico")));
  EXPECT_TRUE(fs::exists(File("tessara2_3_2.ico")));
  for (int m = 0; m < 3; ++m) EXPECT_TRUE(fs::exists(File("tessara2_" + std::to_string(m) + ".bmp")));
  const std::string ini = ReadText(folder.Path() + "tswin.ini");
  EXPECT_NE(ini.find("[2\\Integers]"), std::string::npos);
  EXPECT_NE(ini.find("Left=300"), std::string::npos);
  EXPECT_NE(ini.find("Cols=4"), std::string::npos);
  EXPECT_NE(ini.find("Border=2"), std::string::npos);
}

TEST_F(PersistenceTest, IntactCachesStartWithoutExtractingOrComposing) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();
  EXPECT_TRUE(view->extractions.empty()) << "no icon extracted";
  EXPECT_EQ(view->captures, 0) << "no screen captured";
  EXPECT_EQ(view->icons_from_cache, 2);
  EXPECT_TRUE(form->LayersReady());
  EXPECT_FALSE(form->Icons().Built());
  EXPECT_EQ(view->left, 300);
  EXPECT_EQ(view->width, saved->CalcWidth());
  EXPECT_EQ(form->Tile(3, 2).Filename, "C:\\b.exe");
  EXPECT_EQ(form->Color, 0x405060);
  EXPECT_TRUE(form->Layers()[HoverLayer].Empty()) << "the hover layer stays in its file until needed";
  for (int m = 0; m < 3; ++m) {
    ASSERT_EQ(form->Layer(m).ByteSize(), saved->Layers()[m].ByteSize());
    EXPECT_EQ(0, std::memcmp(form->Layer(m).Bits(), saved->Layers()[m].Bits(), saved->Layers()[m].ByteSize()));
  }
  // A save of the unchanged window leaves the icon and layer files as they were; a new
  // composition writes the layers again.
  const auto stamp = fs::last_write_time(File("tessara2_1_1.ico"));
  fs::last_write_time(File("tessara2_0.bmp"), stamp - std::chrono::hours(1));
  const auto layerStamp = fs::last_write_time(File("tessara2_0.bmp"));
  form->SaveTessara();
  EXPECT_EQ(fs::last_write_time(File("tessara2_1_1.ico")), stamp);
  EXPECT_EQ(fs::last_write_time(File("tessara2_0.bmp")), layerStamp);
  form->Redraw1Click();
  form->SaveTessara();
  EXPECT_NE(fs::last_write_time(File("tessara2_0.bmp")), layerStamp);
}

TEST_F(PersistenceTest, MissingOrUnreadableCachesAreRebuilt) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  fs::remove(File("tessara2_1_1.ico"));
  WriteText(File("tessara2_3_2.ico"), "not an icon");
  FakeTessaraView* view;
  auto form = NewForm(&view);
  view->icons = first->icons;
  form->LoadTessara(2);
  EXPECT_TRUE(view->extractions.empty()) << "icon files are read only when needed";
  // A missing or unreadable one is found out when it is first needed, and extracted then.
  form->DrawTile(3, 2);
  EXPECT_EQ(view->extractions.size(), 1u);
  form->SaveTessara();
  EXPECT_EQ(view->extractions.size(), 2u) << "the save restores the missing file";
  EXPECT_TRUE(fs::exists(File("tessara2_1_1.ico")));
  EXPECT_TRUE(IsValidIconFile(ReadText(File("tessara2_3_2.ico"))));

  // One layer of another height forces a composition though the other two fit.
  Bitmap24 other(saved->Layers()[1].Width(), saved->Layers()[1].Height() + 1);
  WriteText(File("tessara2_1.bmp"), EncodeBmp24(other));
  FakeTessaraView* again;
  auto shown = NewForm(&again);
  shown->LoadTessara(2);
  shown->FormShow();
  EXPECT_EQ(again->captures, 1);
  EXPECT_EQ(shown->Layers()[1].Height(), saved->Layers()[1].Height());
}

TEST_F(PersistenceTest, LaterRecordWithoutFileNameLeavesItsCellEmpty) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  TTileRecord blank;
  blank.Description = "stale";
  std::string record(kTileRecordSize, '\0');
  EncodeTileRecord(3, 2, blank, record.data());
  WriteText(File("tessara2.dat"), ReadText(File("tessara2.dat")) + record);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  EXPECT_TRUE(form->Tile(3, 2).Empty());
  EXPECT_EQ(form->Tile(3, 2).Description, "");
  EXPECT_FALSE(form->Tile(3, 2).Icon);
  EXPECT_EQ(form->Tile(1, 1).Filename, "C:\\a.exe");
  EXPECT_EQ(view->icons_from_cache, 1) << "no icon looked up for the emptied cell";
}

TEST_F(PersistenceTest, HiddenTilesAreSavedAndComeBack) {
  FakeTessaraView* view;
  auto form = SavedWindow(&view);
  form->Cols = form->Rows = 2;
  form->SaveTessara();
  EXPECT_EQ(fs::file_size(File("tessara2.dat")), 1642u);
  FakeTessaraView* next;
  auto loaded = NewForm(&next);
  loaded->LoadTessara(2);
  EXPECT_EQ(loaded->Cols, 2);
  EXPECT_EQ(loaded->Tile(3, 2).Filename, "C:\\b.exe");
}

TEST_F(PersistenceTest, FailedSaveReportsEachFileAndMarksTheLayersStale) {
  FakeTessaraView* view;
  auto form = SavedWindow(&view);
  fs::remove_all(folder.Path() + "settings");
  form->Color = 0x111111;
  try {
    form->SaveTessara();
    FAIL() << "the save must fail";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + File("tessara2_0.bmp") + "\nCannot create file " +
                                         File("tessara2.dat"));
  }
  const std::string ini = ReadText(folder.Path() + "tswin.ini");
  EXPECT_NE(ini.find("LayersStale=1"), std::string::npos) << "the next start composes";
  EXPECT_NE(ini.find("Color=1118481"), std::string::npos) << "the settings that could be written are";
}

TEST_F(PersistenceTest, RefusedScreenCopyKeepsWhatTheWindowShowsAndCachesNothing) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();  // from its caches: the hover and pressed layers are still in their files
  view->copy_fails = true;
  form->ComposeLayers();
  ASSERT_TRUE(form->LayersReady());
  for (int m = 0; m < 3; ++m)
    EXPECT_EQ(0, std::memcmp(form->Layer(m).Bits(), saved->Layers()[m].Bits(), saved->Layers()[m].ByteSize())) << m;
  form->SaveTessara();
  EXPECT_NE(ReadText(folder.Path() + "tswin.ini").find("LayersStale=1"), std::string::npos);
  EXPECT_FALSE(fs::exists(File("tessara2_0.bmp")));

  // Nothing shown yet: the window shows its colour, as an opaque one would.
  auto fresh = NewForm(&view);
  fresh->LoadTessara(2);
  view->copy_fails = true;
  fresh->FormShow();
  ASSERT_EQ(view->captures, 1);
  const std::string standIn = EncodeBmp24(fresh->Layers()[NormalLayer]);
  fresh->BackType = 0;
  fresh->ComposeLayers();
  EXPECT_EQ(standIn, EncodeBmp24(fresh->Layers()[NormalLayer]));
}

TEST_F(PersistenceTest, NothingIsSavedWhileStarting) {
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->SetNumber(1);
  form->ApplySize();
  form->ComposeLayers();
  Starting = true;
  form->SaveTessara();
  EXPECT_FALSE(fs::exists(folder.Path() + "tswin.ini"));
  EXPECT_FALSE(fs::exists(File("tessara1.dat")));
}

TEST_F(PersistenceTest, StoredValuesOutsideTheModelAreClamped) {
  WriteText(folder.Path() + "tswin.ini",
            "[5\\Integers]\r\nCols=0\r\nRows=100\r\nTileWidth=7\r\nBorderType=7\r\nBorder=99\r\n"
            "CellSpacing=-4\r\nLeft=-3000\r\n");
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(5);
  EXPECT_EQ(form->Cols, 1);
  EXPECT_EQ(form->Rows, 64);
  EXPECT_EQ(form->TileWidth, 32);
  EXPECT_EQ(form->BorderType, 3);
  EXPECT_EQ(form->Border, 2);
  EXPECT_EQ(form->CellSpacing, 0);
  EXPECT_EQ(view->left, -3000) << "a position off the screen is applied unchanged";
}

TEST_F(PersistenceTest, BrandNewWindowIgnoresAPredecessorsLayers) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->SetNumber(2);
  form->SetDefaults();
  form->FormShow();
  EXPECT_EQ(view->captures, 1);
}

TEST_F(PersistenceTest, LayersComposedAtAnotherScaleAreComposedAgain) {
  // 3 x 3 tiles of 48 without borders at 96 dpi are as large as tiles of 32 at 144.
  for (int dpi : {96, 144}) {
    WriteText(folder.Path() + "tswin.ini", "[2\\Integers]\r\nCols=3\r\nRows=3\r\nTileWidth=48\r\nTileHeight=48\r\n"
                                           "BorderType=0\r\nBackType=2\r\nLayersDpi=" + std::to_string(dpi) + "\r\n");
    for (int m = 0; m < 3; ++m) WriteText(File("tessara2_" + std::to_string(m) + ".bmp"), EncodeBmp24(Bitmap24(144, 144)));
    FakeTessaraView* view;
    auto form = NewForm(&view);
    form->LoadTessara(2);
    form->FormShow();
    EXPECT_EQ(view->captures, dpi == 96 ? 0 : 1) << dpi;
  }
}

TEST_F(PersistenceTest, F4KeysCreateAndDeleteOnlyWithTheRightModifiers) {
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->FormKeyDown(kKeyF4, ssShift);
  form->FormKeyDown(kKeyF4, ssAlt);
  form->FormKeyDown(0x41, ssCtrl);
  EXPECT_EQ(view->questions, 0);
  view->answer_yes = false;
  form->FormKeyDown(kKeyF4, ssCtrl | ssShift);
  EXPECT_EQ(view->questions, 1);
  EXPECT_TRUE(form->Files().SaveOnExit()) << "a No changes nothing";
  view->answer_yes = true;
  form->FormKeyDown(kKeyF4, ssCtrl);
  EXPECT_FALSE(form->Files().SaveOnExit());
  EXPECT_EQ(view->hides, 1);
}

}  // namespace
}  // namespace tessara

namespace tessara {
namespace {

TEST_F(PersistenceTest, LayersLeftInTheirFilesFollowTheWindowToANewNumber) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();
  ASSERT_TRUE(form->Layers()[PressedLayer].Empty());
  // Renumbered (as when a lower window is deleted): the image must come along, not be lost
  // with the old number's files.
  form->SetNumber(1);
  fs::remove(File("tessara2_2.bmp"));
  EXPECT_EQ(0, std::memcmp(form->Layer(PressedLayer).Bits(), saved->Layers()[PressedLayer].Bits(),
                           saved->Layers()[PressedLayer].ByteSize()));
  form->SaveTessara();
  EXPECT_EQ(ReadText(File("tessara1_2.bmp")), EncodeBmp24(saved->Layers()[PressedLayer]));
  EXPECT_EQ(view->captures, 0);

  // A cached file that vanished before it was needed makes the window compose afresh.
  FakeTessaraView* third;
  auto again = NewForm(&third);
  again->LoadTessara(1);
  again->FormShow();
  fs::remove(File("tessara1_1.bmp"));
  again->DrawCell(HoverLayer, 1, 1);
  EXPECT_EQ(third->captures, 1);
  EXPECT_FALSE(again->Layer(HoverLayer).Empty());
}


TEST_F(PersistenceTest, SaveOfACachedWindowRepairsIconFilesAndStoresTheRecordsAfterTheirIconWork) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  WriteText(File("tessara2_3_2.ico"), "not an icon");
  fs::remove(File("tessara2_1_1.ico"));
  FakeTessaraView* view;
  auto form = NewForm(&view);
  // a.exe has lost its icon: the save falls back to the library for it.
  view->icons = {"C:\\b.exe#0", form->IconLibraryPath() + "#0"};
  form->LoadTessara(2);
  form->FormShow();
  ASSERT_EQ(view->captures, 0) << "shown from its cached layers";
  form->SaveTessara();
  EXPECT_TRUE(IsValidIconFile(ReadText(File("tessara2_3_2.ico"))));
  EXPECT_TRUE(IsValidIconFile(ReadText(File("tessara2_1_1.ico"))));
  const std::vector<DecodedTile> records = DecodeTileData(ReadText(File("tessara2.dat")));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Tile.IconFile, form->IconLibraryPath());
}

TEST_F(PersistenceTest, RenumberedWindowSavesItsOwnIconsNotThoseOfItsOldNumber) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  const std::string a = ReadText(File("tessara2_1_1.ico")), b = ReadText(File("tessara2_3_2.ico"));
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();
  form->SetNumber(1);
  // The window that takes number 2 saves first.
  WriteText(File("tessara2_1_1.ico"), testing::FakeIcon("C:\\another.exe#0").MadeBytes());
  fs::remove(File("tessara2_3_2.ico"));
  form->SaveTessara();
  EXPECT_EQ(ReadText(File("tessara1_1_1.ico")), a);
  EXPECT_EQ(ReadText(File("tessara1_3_2.ico")), b);
  EXPECT_TRUE(view->extractions.empty());
}

TEST_F(PersistenceTest, TileDrawnIntoCachedLayersReachesTheirFiles) {
  FakeTessaraView* first;
  auto saved = SavedWindow(&first);
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();
  TTileRecord& t = form->Tile(2, 4);
  t.Filename = t.IconFile = "C:\\b.exe";
  t.IconIndex = 1;
  view->icons = {"C:\\b.exe#0"};
  form->LoadTileIcon(2, 4);
  form->SaveTessara();
  for (int m = 0; m < 3; ++m)
    EXPECT_EQ(ReadText(File("tessara2_" + std::to_string(m) + ".bmp")), EncodeBmp24(form->Layer(m))) << m;
}

TEST_F(PersistenceTest, IconFileOutOfReachKeepsItsRecordAndComesBackWithItsDrive) {
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->SetNumber(1);
  TTileRecord& t = form->Tile(1, 1);
  t.Filename = t.IconFile = "E:\\apps\\tool.exe";
  t.IconIndex = 3;
  view->unreachable = {"E:\\apps\\"};
  view->icons = {form->IconLibraryPath() + "#0"};
  form->ApplySize();
  form->ComposeLayers();
  ASSERT_TRUE(t.Icon) << "the library's icon stands in";
  form->SaveTessara();
  const std::vector<DecodedTile> records = DecodeTileData(ReadText(File("tessara1.dat")));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Tile.IconFile, "E:\\apps\\tool.exe");
  EXPECT_EQ(records[0].Tile.IconIndex, 3);
  EXPECT_FALSE(fs::exists(File("tessara1_1_1.ico"))) << "the stand-in is not cached";
  EXPECT_FALSE(fs::exists(File("tessara1_0.bmp"))) << "nor the image that shows it";

  FakeTessaraView* later;
  auto back = NewForm(&later);
  later->icons = {"E:\\apps\\tool.exe#2"};
  back->LoadTessara(1);
  back->FormShow();
  ASSERT_TRUE(back->Tile(1, 1).Icon);
  EXPECT_EQ(static_cast<testing::FakeIcon&>(*back->Tile(1, 1).Icon).Source, "E:\\apps\\tool.exe#2");
}

}  // namespace
}  // namespace tessara
