// Windows kept within reach of the monitors, and tiles reached by keyboard, against the
// recording fake.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/globals.h"
#include "tessara/UTessara.h"
#include "tessara/clipboard.h"
#include "tessara/fake_host.h"
#include "tessara/fake_view.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::FakeHost;
using testing::FakeIcon;
using testing::FakeTessaraView;
using testing::TempFolder;
using testing::WriteText;

const WorkRect kFirst{0, 0, 1280, 1024};
const WorkRect kSecond{1280, 0, 2560, 1024};

std::unique_ptr<TfrmTessara> MakeForm(FakeTessaraView*& view, FakeHost* host, const std::string& folder) {
  auto owned = std::make_unique<FakeTessaraView>();
  view = owned.get();
  auto form = std::make_unique<TfrmTessara>(host, std::move(owned), folder);
  form->FormCreate();
  form->Cols = 3;
  form->Rows = 2;
  form->BackType = 0;
  form->ApplySize();
  return form;
}

TEST(OnScreenTest, ShowBringsAnUnreachableWindowIntoTheNearestWorkArea) {
  FakeTessaraView* view;
  const auto probe = MakeForm(view, nullptr, "C:\\prog\\");
  const int w = probe->CalcWidth(), h = probe->CalcHeight();
  const struct {
    const char* what;
    std::vector<WorkRect> monitors;
    int left, top, toLeft, toTop;
  } cases[] = {
      {"far off with one monitor: to its corner", {kFirst}, 3000, 3000, 1280 - w, 1024 - h},
      {"on a second monitor that is gone: back to the first", {kFirst}, 1500, 200, 1280 - w, 200},
      {"on a second monitor still there: stays", {kFirst, kSecond}, 1500, 200, 1500, 200},
      {"only a 31-pixel strip shows: moves", {kFirst}, 1280 - 31, 100, 1280 - w, 100},
      {"a 32-pixel square shows: stays", {kFirst}, 1280 - 32, 1024 - 32, 1280 - 32, 1024 - 32},
      {"above and left of everything", {kSecond, kFirst}, -5000, -400, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto form = MakeForm(view, nullptr, "C:\\prog\\");
    view->monitors = c.monitors;
    view->SetBounds(c.left, c.top, w, h);
    form->FormShow();
    EXPECT_EQ(std::make_pair(view->left, view->top), std::make_pair(c.toLeft, c.toTop));
    EXPECT_EQ(view->moves.size(), c.left != c.toLeft || c.top != c.toTop ? 1u : 0u);
  }
}

TEST(OnScreenTest, LoadedWindowOffEveryScreenIsShownInReachComposedAfreshAndSavedAtItsOwnPlace) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path() + "settings");
  WriteText(folder.Path() + "tswin.ini", "[1\\Integers]\r\nLeft=3000\r\nTop=3000\r\nBackType=2\r\n");
  FakeTessaraView* view;
  auto form = MakeForm(view, nullptr, folder.Path());
  view->monitors = {kFirst};
  form->LoadTessara(1);
  form->FormShow();
  const std::pair<int, int> corner{1280 - view->width, 1024 - view->height};
  EXPECT_EQ(std::make_pair(view->left, view->top), corner);
  // The background of a transparent window is taken at the place it is shown.
  EXPECT_EQ(view->captures, 1);
  Starting = false;
  form->SaveTessara();
  Starting = true;
  TRegVal& ini = form->Files().Ini();
  ini.ReadSettings();
  EXPECT_EQ(std::make_pair(ini.IntegerValue("Left"), ini.IntegerValue("Top")), std::make_pair(3000, 3000));
}

TEST(OnScreenTest, DisplayChangeRechecksAShownWindowButNotOneBeingDragged) {
  FakeTessaraView* view;
  auto form = MakeForm(view, nullptr, "C:\\prog\\");
  form->BackType = 2;
  view->monitors = {kFirst, kSecond};
  view->SetBounds(2000, 500, view->width, view->height);
  form->FormShow();
  ASSERT_EQ(view->left, 2000);

  view->monitors = {kFirst};  // the second monitor is detached
  form->FormMouseDown(mbLeft, ssCtrl, 0, 0);  // the window is held
  EXPECT_FALSE(form->KeepOnScreen());
  EXPECT_EQ(view->left, 2000);
  form->FormMouseUp(mbLeft, ssNone, 0, 0);
  const int captures = view->captures;
  EXPECT_TRUE(form->KeepOnScreen());
  EXPECT_EQ(std::make_pair(view->left, view->top), std::make_pair(1280 - view->width, 500));
  EXPECT_EQ(view->captures, captures + 1) << "a transparent window takes its new background";
  EXPECT_FALSE(form->KeepOnScreen()) << "once on screen it stays";
  // Each row after the one before: the monitors once settled, then a drag by dragBy (at 0 a press).
  const struct { const char* what; std::vector<WorkRect> monitors; int dragBy, shownAt, own; } steps[] = {
      {"the second returns: back at its own place", {kFirst, kSecond}, 0, 2000, 2000},
      {"it goes, the first grows: rescued from its own place", {{0, 0, 1600, 1024}}, 0, 1600 - view->width, 2000},
      {"a drag by the user: its new own place", {{0, 0, 1600, 1024}}, -300, 1300 - view->width, 1300 - view->width},
  };
  for (const auto& s : steps) {
    view->monitors = s.monitors;
    form->KeepOnScreen();
    form->FormMouseDown(mbLeft, ssNone, 5, 5);
    form->FormMouseMove(ssNone, 5 + s.dragBy, 5);
    form->FormMouseUp(mbLeft, ssNone, 5 + s.dragBy, 5);
    EXPECT_EQ(std::make_pair(view->left, form->Left), std::make_pair(s.shownAt, s.own)) << s.what;
  }
}

// Keyboard: a 3 x 2 grid with tiles at (1,1) and (3,2); the rest are empty.
class KeysTest : public ::testing::Test {
 protected:
  KeysTest() {
    form = MakeForm(view, &host, "C:\\prog\\");
    Put(1, 1, "C:\\a.exe");
    Put(3, 2, "C:\\b.exe");
    form->ComposeLayers();
    view->painted.clear();
    TileClipboard.Clear();
  }
  void Put(int col, int row, const std::string& file) {
    TTileRecord& t = form->Tile(col, row);
    t.Filename = t.IconFile = file;
    t.Icon = std::make_unique<FakeIcon>(file);
  }
  // The cells painted since the last call, as "layer:col,row".
  std::vector<std::string> TakeShown() {
    std::vector<std::string> out;
    for (const auto& p : view->painted) {
      const Cell c = form->CellAt(p.x, p.y);
      out.push_back(std::to_string(p.layer) + ":" + std::to_string(c.Col) + "," + std::to_string(c.Row));
    }
    view->painted.clear();
    return out;
  }

  FakeHost host;
  FakeTessaraView* view = nullptr;
  std::unique_ptr<TfrmTessara> form;
};

TEST_F(KeysTest, ArrowsWalkEveryCellOfTheGridAndStopAtItsEdges) {
  const struct {
    const char* what;
    std::vector<int> keys;
    int col, row;
    int pointerRow = 0;  // a row of the focus column the pointer lights last, if any
  } cases[] = {
      {"a walk over empty cells", {kKeyDown, kKeyRight, kKeyRight, kKeyUp, kKeyLeft}, 2, 1},
      {"right stops at the last column", {kKeyRight, kKeyRight, kKeyRight, kKeyRight}, 3, 1},
      {"left and up stop at the first cell", {kKeyLeft, kKeyUp}, 1, 1},
      {"down stops at the last row", {kKeyDown, kKeyDown, kKeyDown}, 1, 2},
      {"the pointer's cell stays lit", {kKeyRight, kKeyRight}, 3, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form->Focus().Place(1, 1);
    form->FormActivate();
    for (int key : c.keys) form->FormKeyDown(key, ssNone);
    EXPECT_EQ(std::make_pair(form->Focus().Col(), form->Focus().Row()), std::make_pair(c.col, c.row));
    EXPECT_EQ(std::make_pair(form->Lit.HoverCol(), form->Lit.HoverRow()), std::make_pair(c.col, c.row));
    const CellRect pointer = form->CellRectOf(c.col, c.pointerRow);
    if (c.pointerRow) form->FormMouseMove(ssNone, pointer.Left + 5, pointer.Top + 5);
    TakeShown();
    form->FormDeactivate();
    const std::vector<std::string> flat{"0:" + std::to_string(c.col) + "," + std::to_string(c.row)};
    EXPECT_EQ(TakeShown(), c.pointerRow ? std::vector<std::string>{} : flat) << "the focus cell is lit no more, the pointer's stays";
    EXPECT_EQ(form->Lit.HoverCol(), c.pointerRow ? c.col : -1);
    form->FormMouseLeave();
  }
}

TEST_F(KeysTest, OneCellIsLitAndThePointerTakesOver) {
  form->FormActivate();
  form->FormKeyDown(kKeyRight, ssNone);
  EXPECT_EQ(TakeShown(), (std::vector<std::string>{"1:1,1", "0:1,1", "1:2,1"}));
  // The pointer lights the tile at (3,2); the keys go on from there.
  const CellRect r = form->CellRectOf(3, 2);
  form->FormMouseMove(ssNone, r.Left + 5, r.Top + 5);
  EXPECT_EQ(TakeShown(), (std::vector<std::string>{"0:2,1", "1:3,2"}));
  form->FormKeyDown(kKeyLeft, ssNone);
  EXPECT_EQ(TakeShown(), (std::vector<std::string>{"0:3,2", "1:2,2"}));
  form->FormMouseDown(mbRight, ssNone, form->CellRectOf(1, 1).Left, form->CellRectOf(1, 1).Top);
  EXPECT_EQ(TakeShown(), (std::vector<std::string>{"0:2,2", "2:1,1"})) << "a press first restores the lit cell";
  // A grid made smaller keeps the focus cell inside it.
  form->FormMouseLeave();
  form->Focus().Place(3, form->Focus().Row());
  form->Cols = 2;
  form->FormKeyDown(kKeyDown, ssNone);
  EXPECT_EQ(form->Focus().Col(), 2);
}

TEST_F(KeysTest, EnterStartsAndDeleteCutsTheFocusTileAndBothLeaveAnEmptyCellAlone) {
  form->FormActivate();
  form->FormKeyDown(kKeyReturn, ssNone);
  form->FormKeyDown(kKeyReturn, ssNone, true);  // the keyboard's repeat: one start per press
  EXPECT_EQ(view->started, std::vector<LaunchRequest>{{"C:\\a.exe"}});
  form->FormKeyDown(kKeyDelete, ssNone);
  EXPECT_TRUE(form->Tile(1, 1).Empty());
  EXPECT_EQ(TileClipboard.Filename, "C:\\a.exe");
  EXPECT_EQ(form->Lit.SelCol() * 10 + form->Lit.SelRow(), 11) << "the cut cell becomes the selected one";
  EXPECT_EQ(TakeShown().back(), "1:1,1") << "and stays lit";
  form->FormKeyDown(kKeyReturn, ssNone);
  form->FormKeyDown(kKeyRight, ssNone);
  form->FormKeyDown(kKeyReturn, ssNone);
  form->FormKeyDown(kKeyDelete, ssNone);
  EXPECT_EQ(view->started.size(), 1u) << "an empty cell starts nothing";
  EXPECT_EQ(TileClipboard.Filename, "C:\\a.exe") << "nor does it cut anything";
}

TEST_F(KeysTest, MenuKeyAndShiftF10OpenTheMenuOfTheFocusCellOthersDoNot) {
  const struct {
    const char* what;
    int key;
    unsigned shift;
    bool opens;
  } cases[] = {
      {"the menu key", kKeyApps, ssNone, true},
      {"Shift+F10", kKeyF10, ssShift, true},
      {"F10 alone", kKeyF10, ssNone, false},
      {"Ctrl+Shift+F10", kKeyF10, ssShift | ssCtrl, false},
      {"Shift+menu key", kKeyApps, ssShift, false},
  };
  form->FormActivate();
  form->FormKeyDown(kKeyDown, ssNone);
  form->FormKeyDown(kKeyRight, ssNone);
  const CellRect r = form->CellRectOf(2, 2);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    view->menus_at.clear();
    form->Lit.Select(-1, -1);
    form->FormKeyDown(c.key, c.shift);
    const std::vector<std::pair<int, int>> none, middle{{r.Left + r.Width / 2, r.Top + r.Height / 2}};
    EXPECT_EQ(view->menus_at, c.opens ? middle : none);
    EXPECT_EQ(std::make_pair(form->Lit.SelCol(), form->Lit.SelRow()), c.opens ? std::make_pair(2, 2) : std::make_pair(-1, -1));
  }
}

}  // namespace
}  // namespace tessara
