// Change-saves: which files each change of a window writes, when nothing is written, the
// stale mark of the layer caches and what a start makes of it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/globals.h"
#include "shell/error.h"
#include "settings/tiledata.h"
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
using Names = std::set<std::string>;

class ChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = false;
    fs::create_directories(folder.Path() + "settings");
    previous_ = SetErrorHandler([this](const std::string& text) { errors.push_back(text); });
  }
  void TearDown() override {
    SetErrorHandler(previous_);
    Starting = true;
  }

  std::unique_ptr<TfrmTessara> NewForm(FakeTessaraView** view) {
    auto v = std::make_unique<FakeTessaraView>();
    *view = v.get();
    v->icons = {"C:\\a.exe#0", "C:\\bbb.exe#0", "C:\\cc.exe#0"};
    auto form = std::make_unique<TfrmTessara>(nullptr, std::move(v), folder.Path());
    form->FormCreate();
    return form;
  }
  // Window 2 started from its files as the program starts it.
  std::unique_ptr<TfrmTessara> Start(FakeTessaraView** view) {
    auto form = NewForm(view);
    form->LoadTessara(2);
    form->FormShow();
    return form;
  }

  // Window 2 (a transparent 4 x 4 grid, tiles at (1,1) and (3,2)) saved in full, then started.
  std::unique_ptr<TfrmTessara> StartedWindow(FakeTessaraView** view) {
    {
      auto form = NewForm(view);
      form->SetNumber(2);
      form->Cols = form->Rows = 4;
      form->BackType = 2;
      for (auto [col, row, file] : {std::tuple{1, 1, "C:\\a.exe"}, std::tuple{3, 2, "C:\\bbb.exe"}}) {
        TTileRecord& t = form->Tile(col, row);
        t.Filename = t.IconFile = t.Description = file;
        t.IconIndex = 1;
      }
      (*view)->SetBounds(300, 200, 0, 0);
      form->ApplySize();
      form->ComposeLayers();
      form->SaveTessara();
    }
    return Start(view);
  }

  // Every file of the program folder, dated an hour back, so that a write shows.
  void AgeFiles() {
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    aged_ = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  }
  Names Written() const {
    Names names;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      if (entry.is_regular_file() && fs::last_write_time(entry.path()) > aged_)
        names.insert(entry.path().filename().string());
    return names;
  }

  // A left press at the middle of one cell, moved `dx` pixels right of another's middle and
  // released there unless `release` is false.
  static void Drag(TfrmTessara& form, int col, int row, int toCol, int toRow, int dx = 0, bool release = true) {
    CellRect r = form.CellRectOf(col, row);
    form.FormMouseDown(mbLeft, ssNone, r.Left + r.Width / 2, r.Top + r.Height / 2);
    r = form.CellRectOf(toCol, toRow);
    form.FormMouseMove(ssNone, r.Left + r.Width / 2 + dx, r.Top + r.Height / 2);
    if (release) form.FormMouseUp(mbLeft, ssNone, r.Left + r.Width / 2 + dx, r.Top + r.Height / 2);
  }
  static void Select(TfrmTessara& form, int col, int row) {
    form.Lit.Select(col, row);
  }

  std::string Settings() const { return ReadText(folder.Path() + "tswin.ini"); }

  TempFolder folder;
  std::vector<std::string> errors;

 private:
  MessageHandler previous_;
  fs::file_time_type aged_;
};

TEST_F(ChangesTest, EachChangeWritesItsSectionItsTileFileAndOnlyTheIconsThatChanged) {
  using F = TfrmTessara&;
  using V = FakeTessaraView&;
  const Names section{"tswin.ini", "tessara2.dat"};
  auto with = [&](Names icons) {
    icons.insert(section.begin(), section.end());
    return icons;
  };
  const struct {
    const char* name;
    std::function<void(F, V)> change;
    Names written;
  } cases[] = {
      {"a drop on an empty cell",
       [](F f, V v) {
         const CellRect r = f.CellRectOf(2, 1);
         v.drop = {r.Left + 2, r.Top + 2, "C:\\cc.exe", ""};
         f.WMDropFiles(1);
       },
       with({"tessara2_2_1.ico"})},
      {"a swap by dragging", [](F f, V) { Drag(f, 1, 1, 3, 2); }, with({"tessara2_1_1.ico", "tessara2_3_2.ico"})},
      {"a cut", [](F f, V) { Select(f, 1, 1);
         f.cmCutClick(); }, section},
      {"a copy and a paste",
       [](F f, V) {
         Select(f, 1, 1);
         f.cmCopyClick();
         Select(f, 2, 2);
         f.cmPasteClick();
       },
       with({"tessara2_2_2.ico"})},
      {"a tile's properties",
       [](F f, V v) {
         v.dialog_answer = [](TfrmProperties& d, testing::FakePropertiesView&) {
           d.Edit2 = "Renamed";
           return true;
         };
         Select(f, 3, 2);
         f.cmPropertiesClick();
       },
       section},
      {"the end of a window move", [](F f, V) { Drag(f, 2, 2, 2, 2, 15); }, section},
      // Another window took the pointer: the move ends there.
      {"a window move cut short", [](F f, V) { Drag(f, 2, 2, 2, 2, 15, false); f.FormCaptureLost(); }, section},
      {"the black frame", [](F f, V) { f.cmBlackFrameClick(); }, section},
      {"the tint", [](F f, V) { f.cmTintClick(); }, section},
      {"an effect", [](F f, V) { f.cmEmbossClick(); }, section},
      // Not changes of the window: nothing is written.
      {"a copy", [](F f, V) { Select(f, 1, 1); f.cmCopyClick(); }, {}},
      {"a redraw", [](F f, V) { f.Redraw1Click(); }, {}},
      {"a click that starts a tile", [](F f, V) { Drag(f, 1, 1, 1, 1); }, {}},
      {"a press and release on an empty cell", [](F f, V) { Drag(f, 2, 2, 2, 2); }, {}},
      {"a window move under way", [](F f, V) { Drag(f, 2, 2, 2, 2, 15, false); }, {}},
      {"a change while starting", [](F f, V) { Starting = true; f.cmBlackFrameClick(); Starting = false; }, {}},
      // Deleted: its number may be another window's by now.
      {"a change of a deleted window", [](F f, V) { f.Files().SetSaveOnExit(false); f.cmTintClick(); }, {}},
      {"a cancelled tile dialog",
       [](F f, V v) {
         v.dialog_answer = [](TfrmProperties&, testing::FakePropertiesView&) { return false; };
         Select(f, 1, 1);
         f.cmPropertiesClick();
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTessaraView* view;
    auto form = StartedWindow(&view);
    AgeFiles();
    c.change(*form, *view);
    EXPECT_EQ(Written(), c.written);
    if (!c.written.empty()) {
      EXPECT_NE(Settings().find("LayersStale=1"), std::string::npos);
    }
  }
}

TEST_F(ChangesTest, StaleLayersAreComposedAtTheNextStartAndUnmarkedOnesAreNot) {
  FakeTessaraView* view;
  Drag(*StartedWindow(&view), 1, 1, 2, 1);  // then a kill: no full save
  auto form = Start(&view);
  EXPECT_EQ(view->captures, 1) << "the cached layers show the tile where it was";
  EXPECT_EQ(form->Tile(2, 1).Filename, "C:\\a.exe");

  // The full save writes the layers, then clears the mark: the next start uses them.
  form->SaveTessara();
  auto next = Start(&view);
  EXPECT_EQ(view->captures, 0);

  // A file without the key (an earlier build's, or written by hand) starts from its caches.
  std::string text = Settings();
  text.erase(text.find("LayersStale=0\r\n"), 15);
  WriteText(folder.Path() + "tswin.ini", text);
  auto earlier = Start(&view);
  EXPECT_EQ(view->captures, 0);
}

TEST_F(ChangesTest, OtherSectionsOfTheSettingsFileAreKeptByteForByte) {
  FakeTessaraView* view;
  auto form = StartedWindow(&view);
  const std::string head = "; kept as written\n[1\\Integers]\nLeft = 5\r\nTop=\"7\"\r\n\r\n";
  const std::string tail = "\r\n[3\\Integers]\nCols=4\n[Other]\nkey=value";
  WriteText(folder.Path() + "tswin.ini", head + Settings() + tail);
  form->cmBlackFrameClick();
  const std::string text = Settings();
  EXPECT_EQ(text.substr(0, head.size()), head);
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_NE(text.find("LayersStale=1"), std::string::npos);
}

TEST_F(ChangesTest, AFailedChangeSaveIsShownOnceAndTheChangesReachTheFilesLater) {
  FakeTessaraView* view;
  auto form = StartedWindow(&view);
  fs::remove_all(folder.Path() + "settings");
  form->cmBlackFrameClick();
  Select(*form, 1, 1);
  form->cmCutClick();
  ASSERT_EQ(errors.size(), 1u) << "one message, not one per change";
  EXPECT_EQ(errors[0].rfind("Cannot create file ", 0), 0u) << errors[0];

  fs::create_directories(folder.Path() + "settings");
  form->cmTintClick();
  EXPECT_EQ(errors.size(), 1u);
  const std::vector<DecodedTile> records = DecodeTileData(ReadText(folder.Path() + "settings/tessara2.dat"));
  ASSERT_EQ(records.size(), 1u) << "the cut reached the file with the next change";
  EXPECT_EQ(records[0].Col, 3);

  // After a success, a new failure is shown again.
  fs::remove_all(folder.Path() + "settings");
  form->cmTintClick();
  EXPECT_EQ(errors.size(), 2u);
}

TEST_F(ChangesTest, UnreadableTileFileIsKeptAndReportedOnce) {
  FakeTessaraView* view;
  StartedWindow(&view);
  const std::string tiles = folder.Path() + "settings/tessara2.dat", kept = ReadText(tiles);
  testing::MakeUnreadable(tiles);
  auto form = Start(&view);
  fs::remove(tiles);
  WriteText(tiles, kept);  // readable again, as once a backup lets go of it
  form->cmBlackFrameClick();
  form->SaveTessara();
  EXPECT_NE(Settings().find("LayersStale=1"), std::string::npos) << "no layers of the empty grid trusted";
  form->SetNumber(1);  // renumbered, it carries the file along unread
  form->SaveTessara();
  EXPECT_TRUE(ReadText(folder.Path() + "settings/tessara1.dat") == kept) << "never written over";
  EXPECT_TRUE(errors.size() == 1 && errors[0].find(tiles) != std::string::npos) << errors.size();
}

TEST_F(ChangesTest, FullTextsComeBackAndOutliveAnUnreadableNamesFile) {
  const testing::Latin1Codec codec;
  const ScopedFileCodec scoped(codec);
  FakeTessaraView* view;
  auto form = StartedWindow(&view);
  form->Tile(3, 2).Description = "Ελλάδα";
  form->SaveTessara();
  EXPECT_EQ(Start(&view)->Tile(3, 2).Description, "Ελλάδα");
  form->Tile(3, 2).Description = "Greece";
  form->SaveTessara();
  EXPECT_FALSE(fs::exists(folder.Path() + "settings/tessara2.utf8")) << "present only while some text needs it";
  const std::string tiles = folder.Path() + "settings/tessara2.dat", kept = ReadText(tiles);
  testing::MakeUnreadable(folder.Path() + "settings/tessara2.utf8");
  Start(&view)->cmBlackFrameClick();
  EXPECT_TRUE(ReadText(tiles) == kept && errors.size() == 1 && errors[0].find("tessara2.utf8") != std::string::npos);
}

TEST_F(ChangesTest, DamagedTileFileIsKeptAsideBeforeTheFirstSaveWritesOverIt) {
  FakeTessaraView* view;
  StartedWindow(&view);
  const std::string tiles = folder.Path() + "settings/tessara2.dat", damaged = ReadText(tiles) + "a piece";
  WriteText(tiles, damaged);
  Start(&view)->cmBlackFrameClick();
  EXPECT_TRUE(ReadText(tiles + ".bad") == damaged);
  EXPECT_TRUE(ReadText(tiles) == damaged.substr(0, 2 * kTileRecordSize)) << "the whole records saved";
  EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
}  // namespace tessara
