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

  // Window 2 (a transparent 4 x 4 grid, tiles at (1,1) and (3,2)) saved in full, then started
  // from its files as the program starts it.
  std::unique_ptr<TfrmTessara> StartedWindow(FakeTessaraView** view) {
    {
      FakeTessaraView* first;
      auto form = NewForm(&first);
      form->SetNumber(2);
      form->Cols = form->Rows = 4;
      form->BackType = 2;
      for (auto [col, row, file] : {std::tuple{1, 1, "C:\\a.exe"}, std::tuple{3, 2, "C:\\bbb.exe"}}) {
        TTileRecord& t = form->Tile(col, row);
        t.Filename = t.IconFile = t.Description = file;
        t.IconIndex = 1;
      }
      first->SetBounds(300, 200, 0, 0);
      form->ApplySize();
      form->ComposeLayers();
      form->SaveTessara();
    }
    auto form = NewForm(view);
    form->LoadTessara(2);
    form->FormShow();
    return form;
  }

  // Every file of the program folder, dated an hour back, so that a write shows.
  void AgeFiles() {
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    aged_ = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  }
  std::set<std::string> Written() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      if (entry.is_regular_file() && fs::last_write_time(entry.path()) > aged_)
        names.insert(entry.path().filename().string());
    return names;
  }

  static void Press(TfrmTessara& form, MouseButton button, int col, int row) {
    const CellRect r = form.CellRectOf(col, row);
    form.FormMouseDown(button, ssNone, r.Left + r.Width / 2, r.Top + r.Height / 2);
  }
  static void Release(TfrmTessara& form, MouseButton button, int col, int row, int dx = 0) {
    const CellRect r = form.CellRectOf(col, row);
    form.FormMouseMove(ssNone, r.Left + r.Width / 2 + dx, r.Top + r.Height / 2);
    form.FormMouseUp(button, ssNone, r.Left + r.Width / 2 + dx, r.Top + r.Height / 2);
  }

  std::string Settings() const { return ReadText(folder.Path() + "tswin.ini"); }

  TempFolder folder;
  std::vector<std::string> errors;

 private:
  MessageHandler previous_;
  fs::file_time_type aged_;
};

TEST_F(ChangesTest, EachChangeWritesItsSectionItsTileFileAndOnlyTheIconsThatChanged) {
  using Change = std::function<void(TfrmTessara&, FakeTessaraView&)>;
  const std::set<std::string> section{"tswin.ini", "tessara2.dat"};
  auto with = [&](std::set<std::string> icons) {
    icons.insert(section.begin(), section.end());
    return icons;
  };
  const struct {
    const char* name;
    Change change;
    std::set<std::string> written;
  } cases[] = {
      {"a drop on an empty cell",
       [](TfrmTessara& f, FakeTessaraView& v) {
         const CellRect r = f.CellRectOf(2, 1);
         v.drop = {r.Left + 2, r.Top + 2, "C:\\cc.exe", ""};
         f.WMDropFiles(1);
       },
       with({"tessara2_2_1.ico"})},
      {"a swap by dragging",
       [](TfrmTessara& f, FakeTessaraView&) {
         Press(f, mbLeft, 1, 1);
         Release(f, mbLeft, 3, 2);
       },
       with({"tessara2_1_1.ico", "tessara2_3_2.ico"})},
      {"a cut",
       [](TfrmTessara& f, FakeTessaraView&) {
         f.SelCol = f.SelRow = 1;
         f.cmCutClick();
       },
       section},
      {"a copy and a paste",
       [](TfrmTessara& f, FakeTessaraView&) {
         f.SelCol = f.SelRow = 1;
         f.cmCopyClick();
         f.SelCol = f.SelRow = 2;
         f.cmPasteClick();
       },
       with({"tessara2_2_2.ico"})},
      {"a tile's properties",
       [](TfrmTessara& f, FakeTessaraView& v) {
         v.dialog_answer = [](TfrmProperties& d, testing::FakePropertiesView&) {
           d.Edit2 = "Renamed";
           return true;
         };
         f.SelCol = 3;
         f.SelRow = 2;
         f.cmPropertiesClick();
       },
       section},
      {"the end of a window move",
       [](TfrmTessara& f, FakeTessaraView&) {
         Press(f, mbLeft, 2, 2);
         Release(f, mbLeft, 2, 2, 15);
       },
       section},
      {"the black frame", [](TfrmTessara& f, FakeTessaraView&) { f.cmBlackFrameClick(); }, section},
      {"the tint", [](TfrmTessara& f, FakeTessaraView&) { f.cmTintClick(); }, section},
      {"an effect", [](TfrmTessara& f, FakeTessaraView&) { f.cmEmbossClick(); }, section},
      // Not changes of the window: nothing is written.
      {"a copy",
       [](TfrmTessara& f, FakeTessaraView&) {
         f.SelCol = f.SelRow = 1;
         f.cmCopyClick();
       },
       {}},
      {"a redraw", [](TfrmTessara& f, FakeTessaraView&) { f.Redraw1Click(); }, {}},
      {"a click that starts a tile",
       [](TfrmTessara& f, FakeTessaraView&) {
         Press(f, mbLeft, 1, 1);
         Release(f, mbLeft, 1, 1);
       },
       {}},
      {"a cancelled tile dialog",
       [](TfrmTessara& f, FakeTessaraView& v) {
         v.dialog_answer = [](TfrmProperties&, testing::FakePropertiesView&) { return false; };
         f.SelCol = f.SelRow = 1;
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

TEST_F(ChangesTest, NothingIsWrittenWhileStartingNorByADeletedWindow) {
  FakeTessaraView* view;
  auto form = StartedWindow(&view);
  AgeFiles();
  Starting = true;
  form->cmBlackFrameClick();
  Starting = false;
  form->SaveOnExit = false;  // deleted: its number may be another window's by now
  form->cmTintClick();
  EXPECT_TRUE(Written().empty());
  EXPECT_FALSE(form->SaveChange());
}

TEST_F(ChangesTest, AWindowMoveWritesOnceWhenItEndsAndNotAtAll) {
  FakeTessaraView* view;
  auto form = StartedWindow(&view);
  AgeFiles();
  Press(*form, mbLeft, 2, 2);
  const CellRect r = form->CellRectOf(2, 2);
  for (int step = 1; step <= 5; ++step) form->FormMouseMove(ssNone, r.Left + 5 * step, r.Top + 3 * step);
  EXPECT_TRUE(Written().empty()) << "nothing is written on the way";
  form->FormCaptureLost();  // another window took the pointer: the move ends there
  EXPECT_EQ(Written(), (std::set<std::string>{"tswin.ini", "tessara2.dat"}));
  EXPECT_NE(Settings().find("Left=" + std::to_string(view->left)), std::string::npos);

  // A press and a release on the same spot moved nothing.
  AgeFiles();
  Press(*form, mbLeft, 2, 2);
  Release(*form, mbLeft, 2, 2);
  EXPECT_TRUE(Written().empty());
}

TEST_F(ChangesTest, StaleLayersAreComposedAtTheNextStartAndUnmarkedOnesAreNot) {
  {
    FakeTessaraView* view;
    auto form = StartedWindow(&view);
    Press(*form, mbLeft, 1, 1);
    Release(*form, mbLeft, 2, 1);  // then a kill: no full save
  }
  FakeTessaraView* view;
  auto form = NewForm(&view);
  form->LoadTessara(2);
  form->FormShow();
  EXPECT_EQ(view->captures, 1) << "the cached layers show the tile where it was";
  EXPECT_EQ(form->Tile(2, 1).Filename, "C:\\a.exe");
  EXPECT_TRUE(form->Tile(1, 1).Empty());

  // The full save writes the layers, then clears the mark: the next start uses them.
  form->SaveTessara();
  EXPECT_NE(Settings().find("LayersStale=0"), std::string::npos);
  FakeTessaraView* next;
  auto again = NewForm(&next);
  again->LoadTessara(2);
  again->FormShow();
  EXPECT_EQ(next->captures, 0);

  // A file without the key (an earlier build's, or written by hand) starts from its caches.
  std::string text = Settings();
  text.erase(text.find("LayersStale=0\r\n"), 15);
  WriteText(folder.Path() + "tswin.ini", text);
  FakeTessaraView* old;
  auto earlier = NewForm(&old);
  earlier->LoadTessara(2);
  earlier->FormShow();
  EXPECT_EQ(old->captures, 0);
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
  form->SelCol = form->SelRow = 1;
  form->cmCutClick();
  ASSERT_EQ(errors.size(), 1u) << "one message, not one per change";
  EXPECT_EQ(errors[0].rfind("Cannot create file ", 0), 0u) << errors[0];
  EXPECT_TRUE(form->Tile(1, 1).Empty()) << "the change stays in memory";

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

}  // namespace
}  // namespace tessara
