// The pointer and the tile clipboard of a tessara against the recording fake: window moves
// with snapping, which layer each cell is shown from, clicks, tile moves and the clipboard.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "shell/error.h"
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
using Strings = std::vector<std::string>;

struct Shown {
  int layer, col, row;
  friend bool operator==(const Shown&, const Shown&) = default;
};
std::ostream& operator<<(std::ostream& os, const Shown& s) {
  return os << "layer " << s.layer << " cell (" << s.col << "," << s.row << ")";
}
using ShownList = std::vector<Shown>;

class PointerTest : public ::testing::Test {
 protected:
  PointerTest() {
    form = Make(view);
    old_ = SetMessageHandler([this](const std::string& t) { messages.push_back(t); });
  }
  ~PointerTest() override { SetMessageHandler(old_); }

  // A window of 3 x 2 cells with a border of 1 (its outermost pixel is no cell).
  std::unique_ptr<TfrmTessara> Make(FakeTessaraView*& v) {
    auto owned = std::make_unique<FakeTessaraView>();
    v = owned.get();
    auto f = std::make_unique<TfrmTessara>(&host, std::move(owned), "C:\\prog\\");
    f->FormCreate();
    f->Cols = 3;
    f->Rows = 2;
    f->BorderType = 2;
    f->CellSpacing = 4;
    f->BackType = 0;
    f->ApplySize();
    v->left = 200;
    v->top = 150;
    return f;
  }
  static void Put(TfrmTessara& f, int col, int row, const std::string& file) {
    TTileRecord& t = f.Tile(col, row);
    t.Filename = t.IconFile = file;
    t.Description = "tile " + file;
    t.IconIndex = 1;
    t.Icon = std::make_unique<FakeIcon>(file);
  }
  // Pointer events at the middle of a cell.
  enum Event { kDown, kMove, kUp };
  void At(Event e, int col, int row, MouseButton b = mbLeft, unsigned shift = ssNone) {
    const CellRect r = form->CellRectOf(col, row);
    const int x = r.Left + r.Width / 2, y = r.Top + r.Height / 2;
    if (e == kDown) form->FormMouseDown(b, shift, x, y);
    if (e == kMove) form->FormMouseMove(ssNone, x, y);
    if (e == kUp) form->FormMouseUp(b, ssNone, x, y);
  }
  void Click(int col, int row) {
    At(kDown, col, row);
    At(kUp, col, row);
  }
  // The cells painted since the last call, each checked to be exactly one cell's rectangle.
  ShownList TakeShown() {
    ShownList out;
    for (const auto& p : view->painted) {
      const Cell c = form->CellAt(p.x, p.y);
      const CellRect r = form->CellRectOf(c.Col, c.Row);
      EXPECT_TRUE(c.Valid() && r.Left == p.x && r.Top == p.y && r.Width == p.width && r.Height == p.height)
          << "a paint that is not one cell at " << p.x << "," << p.y << " " << p.width << "x" << p.height;
      out.push_back({p.layer, c.Col, c.Row});
    }
    view->painted.clear();
    return out;
  }

  FakeHost host;
  FakeTessaraView* view = nullptr;
  std::unique_ptr<TfrmTessara> form;
  Strings messages;

 private:
  MessageHandler old_;
};

TEST_F(PointerTest, WindowMoveSnapsToTheWorkAreaOfTheMonitorUnderThePointer) {
  const struct {
    const char* what;
    bool snap;
    int width, height;  // window size
    int toLeft, toTop;  // unsnapped place the drag asks for
    int left, top;      // where the window ends
  } cases[] = {
      {"5 px from the left edge snaps", true, 100, 80, 5, 300, 0, 300},
      {"8 px from the left edge stays", true, 100, 80, 8, 300, 8, 300},
      {"30 px beyond the left edge sits on it", true, 100, 80, -30, 300, 0, 300},
      {"near the top and the right", true, 100, 80, 920, 3, 924, 0},
      {"wider than the area: right beats left", true, 1100, 80, 10, 300, -76, 300},
      {"taller than the area: bottom beats top", true, 100, 800, 300, 2, 300, -62},
      {"snapping off follows anywhere", false, 100, 80, -300, -50, -300, -50},
      {"a second monitor is reachable", true, 100, 80, 1400, 300, 1400, 300},
      {"and its edges snap", true, 100, 80, 1030, 300, 1024, 300},
  };
  view->monitors = {{0, 0, 1024, 738}, {1024, 0, 2048, 738}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.snap = c.snap;
    view->SetBounds(200, 150, c.width, c.height);
    form->FormMouseDown(mbLeft, ssNone, 0, 0);  // on the border: grabbed at (0, 0)
    ASSERT_TRUE(form->Pointing().Moving());
    host.distance_reads = 0;
    form->FormMouseMove(ssNone, c.toLeft - 200, c.toTop - 150);
    EXPECT_EQ(std::make_pair(view->left, view->top), std::make_pair(c.left, c.top));
    if (c.snap) {
      EXPECT_EQ(host.distance_reads, 4) << "the distance is read afresh for each test";
    }
    form->FormMouseUp(mbLeft, ssNone, 0, 0);
    EXPECT_FALSE(form->Pointing().Moving());
  }
  EXPECT_EQ(view->captures, 0) << "an opaque window is never recomposed by a move";
}

TEST_F(PointerTest, TransparentWindowIsRecomposedOnceOnReleaseOfAMove) {
  form->BackType = 2;
  Put(*form, 1, 1, "C:\\a.exe");
  // An empty cell and Ctrl with a tile both grab the window.
  for (unsigned shift : {unsigned{ssNone}, unsigned{ssCtrl}}) {
    const int before = view->captures;
    At(kDown, shift == ssNone ? 2 : 1, 1, mbLeft, shift);
    EXPECT_TRUE(form->Pointing().Moving());
    form->FormMouseMove(ssNone, 60, 70);
    form->FormMouseMove(ssNone, 90, 20);
    EXPECT_EQ(view->captures, before);
    At(kUp, 1, 1);
    EXPECT_EQ(view->captures, before + 1);
  }
  EXPECT_EQ(view->moves.size(), 4u);
  EXPECT_TRUE(view->started.empty()) << "Ctrl with a press on a tile never starts it";
}

TEST_F(PointerTest, CellsAreShownFromTheirLayersThroughPressMovesLeaveAndRelease) {
  Put(*form, 1, 1, "C:\\a.exe");
  Put(*form, 2, 1, "C:\\b.exe");
  form->ComposeLayers();
  view->painted.clear();

  At(kDown, 1, 1);
  EXPECT_EQ(TakeShown(), (ShownList{{PressedLayer, 1, 1}}));
  EXPECT_TRUE(view->drag_cursor);
  At(kMove, 1, 1);  // the pressed look gives way to the hover look
  EXPECT_EQ(TakeShown(), (ShownList{{NormalLayer, 1, 1}, {HoverLayer, 1, 1}}));
  At(kMove, 3, 1);  // an empty cell never lights up
  EXPECT_EQ(TakeShown(), (ShownList{{NormalLayer, 1, 1}}));
  At(kMove, 2, 1);
  EXPECT_EQ(TakeShown(), (ShownList{{HoverLayer, 2, 1}}));
  form->FormMouseLeave();
  form->FormMouseLeave();
  EXPECT_EQ(TakeShown(), (ShownList{{NormalLayer, 2, 1}}));

  // Released outside the window: the press is cancelled, the pressed cell shown flat.
  form->FormMouseUp(mbLeft, ssNone, -5, 300);
  EXPECT_EQ(TakeShown(), (ShownList{{NormalLayer, 1, 1}}));
  EXPECT_FALSE(view->drag_cursor);
  EXPECT_FALSE(form->Pointing().Pressing());

  // A right press on a tile selects it without holding it; released over another tile,
  // that one stays raised. A right press on the border keeps the selection.
  At(kDown, 2, 1, mbRight);
  EXPECT_EQ(TakeShown(), (ShownList{{PressedLayer, 2, 1}}));
  EXPECT_FALSE(form->Pointing().Pressing());
  At(kMove, 1, 1);
  TakeShown();
  At(kUp, 1, 1, mbRight);
  EXPECT_EQ(TakeShown(), (ShownList{{NormalLayer, 2, 1}}));
  EXPECT_EQ(form->Lit.HoverCol(), 1);
  form->FormMouseDown(mbRight, ssNone, 0, 0);
  EXPECT_EQ(std::make_pair(form->Lit.SelCol(), form->Lit.SelRow()), std::make_pair(2, 1));
  EXPECT_TRUE(view->started.empty());
}

TEST_F(PointerTest, ClickStartsOnceDoubleClickTwiceAndTilesMoveOrSwapWhenDropped) {
  form->BackType = 2;
  Put(*form, 1, 1, "C:\\a.exe");
  Put(*form, 2, 1, "C:\\b.exe");
  form->Icons().MarkBuilt();  // the icons of Put stay: a first composition would extract them
  const TileIcon* iconA = form->Tile(1, 1).Icon.get();
  const TileIcon* iconB = form->Tile(2, 1).Icon.get();

  Click(1, 1);
  EXPECT_EQ(view->started, std::vector<LaunchRequest>{{"C:\\a.exe"}});
  Click(2, 1);
  Click(2, 1);  // a double click is two presses
  EXPECT_EQ(view->started.size(), 3u);

  // Onto another tile: the two swap, icons included, with one composition; the tile keys
  // wait for the release.
  At(kDown, 1, 1);
  At(kMove, 2, 1);
  for (int key : {kKeyDelete, kKeyReturn}) form->FormKeyDown(key, ssNone);
  At(kUp, 2, 1);
  EXPECT_EQ(view->started.size(), 3u) << "a drop onto another tile starts nothing";
  EXPECT_EQ(view->captures, 1);
  EXPECT_EQ(form->Tile(1, 1).Description, "tile C:\\b.exe");
  EXPECT_EQ(form->Tile(1, 1).Icon.get(), iconB);
  EXPECT_EQ(form->Tile(2, 1).Filename, "C:\\a.exe");
  EXPECT_EQ(form->Tile(2, 1).Icon.get(), iconA);
  EXPECT_EQ(form->Lit.SelCol(), 1) << "the selection names the cell where the press began";

  // Onto an empty cell: the tile moves there and leaves its cell empty.
  At(kDown, 2, 1);
  At(kUp, 3, 2);
  EXPECT_TRUE(form->Tile(2, 1).Empty());
  EXPECT_EQ(form->Tile(3, 2).Icon.get(), iconA);
  EXPECT_EQ(view->captures, 2);

  // Released on the spacing between cells or with another button: nothing changes.
  At(kDown, 3, 2);
  const CellRect r = form->CellRectOf(3, 2);
  form->FormMouseUp(mbLeft, ssNone, r.Left - 2, r.Top + 5);
  At(kDown, 3, 2, mbRight);
  At(kUp, 1, 1, mbRight);
  EXPECT_EQ(form->Tile(3, 2).Filename, "C:\\a.exe");
  EXPECT_EQ(form->Tile(1, 1).Filename, "C:\\b.exe");
  EXPECT_EQ(view->captures, 2);
  EXPECT_EQ(view->started.size(), 3u);
}

TEST_F(PointerTest, RunTileAsksTheShellAndShowsWhyAStartFailed) {
  const testing::TempFolder temp;
  const std::string folder = temp.Path() + "my tools";
  std::filesystem::create_directory(folder);
  using Launches = std::vector<LaunchRequest>;
  const struct {
    const char* what;
    std::string filename, startIn;
    Launches started;
    Strings messages;
  } cases[] = {
      {"a program in its folder", "C:\\tools\\a.exe -x", "C:\\work", {{"C:\\tools\\a.exe", "-x", "C:\\work"}}, {}},
      {"a drive tile", "EXPLORER.EXE D:\\", "", {{"EXPLORER.EXE", "D:\\"}}, {}},
      {"a document, its program left to the shell", "C:\\docs\\notes.txt", "C:\\missing",
       {{"C:\\docs\\notes.txt", "", "C:\\missing"}}, {}},
      {"an existing folder with a blank is kept whole", folder, "", {{folder}}, {}},
      {"a refused start says why", "C:\\x.qqq", "", {{"C:\\x.qqq"}}, {"Cannot start C:\\x.qqq\nNo program"}},
      {"a declined elevation says nothing", "C:\\admin.exe", "", {{"C:\\admin.exe"}}, {}},
      {"an empty cell starts nothing", "", "", {}, {}},
  };
  view->refused = {{"C:\\x.qqq", "No program"}, {"C:\\admin.exe", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    view->started.clear();
    messages.clear();
    form->Tile(2, 2).Filename = c.filename;
    form->Tile(2, 2).StartIn = c.startIn;
    form->RunTile(2, 2);
    EXPECT_EQ(view->started, c.started);
    EXPECT_EQ(messages, c.messages);
  }
}

TEST_F(PointerTest, LostCaptureEndsAHeldTileOrAWindowMove) {
  Put(*form, 1, 1, "C:\\a.exe");
  Put(*form, 2, 1, "C:\\b.exe");
  At(kDown, 1, 1);
  At(kMove, 2, 1);
  form->FormCaptureLost();
  EXPECT_EQ(form->Lit.HoverCol(), 2) << "the other raised cell keeps its record, as at a release";
  EXPECT_FALSE(form->Pointing().Pressing());
  EXPECT_FALSE(view->drag_cursor);
  form->BackType = 2;
  At(kDown, 2, 2);
  form->FormCaptureLost();
  EXPECT_FALSE(form->Pointing().Moving());
  EXPECT_EQ(view->captures, 1);
}

// ---- the tile clipboard ----

class ClipboardTest : public PointerTest {
 protected:
  ClipboardTest() { TileClipboard.Clear(); }
  static void Select(TfrmTessara& f, int col, int row) {
    const CellRect r = f.CellRectOf(col, row);
    f.FormMouseDown(mbRight, ssNone, r.Left + 1, r.Top + 1);
    f.FormMouseUp(mbRight, ssNone, r.Left + 1, r.Top + 1);
  }
};

TEST_F(ClipboardTest, CopyInOneTessaraPastesAnEqualTileInAnother) {
  FakeTessaraView* otherView = nullptr;
  auto other = Make(otherView);
  Put(*form, 1, 1, "C:\\a.exe");
  TTileRecord& source = form->Tile(1, 1);
  source.StartIn = "C:\\work";
  source.LibIcon = 4;
  source.Drive = 3;
  form->ComposeLayers();
  otherView->icons = {"C:\\prog\\TESSARA.DLL#4"};
  Select(*form, 1, 1);
  form->cmCopyClick();
  EXPECT_FALSE(TileClipboard.Icon) << "the clipboard holds no icon";
  other->ComposeLayers();
  const int compositions = otherView->paints;
  Select(*other, 3, 2);
  other->cmPasteClick();
  const TTileRecord& pasted = other->Tile(3, 2);
  EXPECT_EQ(std::tie(pasted.Filename, pasted.Description, pasted.StartIn, pasted.LibIcon, pasted.Drive),
            std::tie(source.Filename, source.Description, source.StartIn, source.LibIcon, source.Drive));
  ASSERT_TRUE(pasted.Icon);
  EXPECT_EQ(static_cast<FakeIcon&>(*pasted.Icon).Source, "C:\\prog\\TESSARA.DLL#4") << "built anew";
  EXPECT_GT(otherView->paints, compositions);
  EXPECT_EQ(source.Filename, "C:\\a.exe") << "copying leaves the source";
}

TEST_F(ClipboardTest, CutThenPasteTwiceMovesThenCopiesTheTile) {
  Put(*form, 1, 1, "C:\\a.exe");
  form->ComposeLayers();
  Select(*form, 1, 1);
  form->cmCutClick();
  EXPECT_TRUE(form->Tile(1, 1).Empty());
  EXPECT_EQ(form->Tile(1, 1).Description, "");
  EXPECT_FALSE(form->Tile(1, 1).Icon);
  for (auto [col, row] : {std::pair{2, 1}, std::pair{3, 2}}) {
    Select(*form, col, row);
    form->cmPasteClick();
    EXPECT_EQ(form->Tile(col, row).Description, "tile C:\\a.exe");
  }

  // Cutting an empty cell keeps the clipboard; copying one empties it in effect.
  Select(*form, 1, 1);
  form->cmCutClick();
  EXPECT_EQ(TileClipboard.Filename, "C:\\a.exe");
  form->cmCopyClick();
  Select(*form, 1, 2);
  form->cmPasteClick();
  EXPECT_TRUE(form->Tile(1, 2).Empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ClipboardTest, PasteOnAUsedTileKeepsBothAndSaysSo) {
  Put(*form, 1, 1, "C:\\a.exe");
  Put(*form, 2, 1, "C:\\b.exe");
  form->ComposeLayers();
  Select(*form, 1, 1);
  form->cmCopyClick();
  Select(*form, 2, 1);
  const int paints = view->paints;
  form->cmPasteClick();
  EXPECT_EQ(messages, Strings{"Cannot paste on a used tile. Delete it first!"});
  EXPECT_EQ(form->Tile(2, 1).Filename, "C:\\b.exe");
  EXPECT_EQ(TileClipboard.Filename, "C:\\a.exe");
  EXPECT_EQ(view->paints, paints) << "the image stays as it was";
}

TEST_F(ClipboardTest, TileCommandsWithoutASelectedCellTouchNothing) {
  Put(*form, 1, 1, "C:\\a.exe");
  TileClipboard.Filename = "C:\\clip.exe";
  form->FormMouseDown(mbRight, ssNone, 0, 0);  // a right press outside every cell
  ASSERT_EQ(form->Lit.SelCol(), -1);
  form->cmCutClick();
  form->cmCopyClick();
  form->cmPasteClick();
  EXPECT_EQ(TileClipboard.Filename, "C:\\clip.exe");
  EXPECT_EQ(form->Tile(1, 1).Filename, "C:\\a.exe");
  EXPECT_TRUE(view->painted.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ClipboardTest, ReadingEmptyCellsMakesNoRecordForThem) {
  form->Lit.Select(2, 2);
  form->Focus().Place(2, 2);
  view->drop.X = view->drop.Y = 2;
  host.answers = {""};
  view->properties_user = [](auto& d) { d.SetChecked(TSCheck::FloatHint, true); return true; };  // grid unchanged
  for (MenuId read : {MenuId::cmWindowProperties, MenuId::cmCopy, MenuId::cmCut, MenuId::cmShortcut, MenuId::cmDrive,
                      MenuId::cmProperties, MenuId::RebuildIcons1, MenuId::None}) {  // None: hint, Enter, empty drop
    form->ClearTiles();
    form->RunCommand(read);
    if (read == MenuId::None) form->HintOver(2, 2, 0, 0), form->TileKeyDown(kKeyReturn, ssNone), form->WMDropFiles(0);
    for (int c = 0; c < 64 * 64; ++c) EXPECT_FALSE(form->Find(c / 64 + 1, c % 64 + 1)) << "after " << int(read);
  }
}

}  // namespace
}  // namespace tessara
