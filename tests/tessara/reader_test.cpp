#include "tessara/reader.h"

#include <gtest/gtest.h>

namespace tessara {
namespace {

// A 3 x 2 grid of 40-px cells 4 apart; tiles in reading order 1 (1,1), 2 (3,1), 3 (1,2),
// 4 (2,2), 5 (3,2), and one at (4,1) outside the grid in use.
struct ReaderTest : ::testing::Test {
  ReaderTest() {
    m.Cols = 3;
    m.Rows = 2;
    m.TileWidth = m.TileHeight = 40;
    m.CellSpacing = 4;
    m.BorderType = 0;
    m.Tile(1, 1).Filename = "C:\\Apps\\alpha.exe";
    m.Tile(1, 1).Description = "Alpha tile";
    m.Tile(1, 1).StartIn = "C:\\Work";
    m.Tile(3, 1).Filename = "\"C:\\Program Files\\Note pad.exe\" /a";
    m.Tile(1, 2).Filename = "C:\\Program Files\\Tool.v2.exe -v x";
    m.Tile(2, 2).Filename = "C:\\Windows\\notepad.exe";
    m.Tile(3, 2).Filename = "D:\\";
    m.Tile(4, 1).Filename = "C:\\hidden.exe";
  }
  TileReader Reader(ReaderState s = {7, {3, 1}, true, {2, 2}}) {
    return TileReader(m, s, [](const std::string& name) { return name == "C:\\Program Files\\Tool.v2.exe"; });
  }
  TessaraModel m;
};

TEST_F(ReaderTest, NamesValuesAndStatesOfTheListAndItsTilesInReadingOrder) {
  const TileReader r = Reader();
  ASSERT_EQ(r.ChildCount(), 5) << "the tile outside the grid in use is not read";
  const unsigned item = rsFocusable | rsSelectable;
  const struct {
    const char *name, *value, *description;
    unsigned states;
  } rows[] = {
      {"Tessara 7", "", "", rsFocusable},
      {"Alpha tile", "C:\\Apps\\alpha.exe", "C:\\Work", item},
      {"Note pad", "\"C:\\Program Files\\Note pad.exe\" /a", "", item | rsFocused | rsSelected},
      {"Tool.v2", "C:\\Program Files\\Tool.v2.exe -v x", "", item},
      {"notepad", "C:\\Windows\\notepad.exe", "", item | rsPressed},
      {"D:\\", "D:\\", "", item},
  };
  for (int child = 0; child <= 5; ++child) {
    const auto& row = rows[child];
    EXPECT_EQ(r.Name(child), row.name) << child;
    EXPECT_EQ(r.Value(child), row.value) << child;
    EXPECT_EQ(r.Description(child), row.description) << child;
    EXPECT_EQ(r.States(child), row.states) << child;
    EXPECT_EQ(r.Role(child), child ? ReaderRole::ListItem : ReaderRole::List);
  }
  EXPECT_FALSE(r.Known(6));
  EXPECT_FALSE(r.Known(-1));
}

TEST_F(ReaderTest, FocusIsTheFocusCellsTileOrTheListOnlyWhileTheWindowIsActive) {
  const struct {
    Cell focus;
    bool active;
    int child;
  } rows[] = {{{3, 1}, true, 2}, {{3, 1}, false, kReaderNone}, {{2, 1}, true, kReaderSelf}, {{4, 1}, true, kReaderSelf}};
  for (const auto& row : rows) {
    const TileReader r = Reader({1, row.focus, row.active, {}});
    EXPECT_EQ(r.FocusChild(), row.child) << row.focus.Col << "," << row.focus.Row << " " << row.active;
    EXPECT_EQ((r.States(kReaderSelf) & rsFocused) != 0, row.child == kReaderSelf);
    EXPECT_EQ(r.States(4) & (rsFocused | rsPressed), 0u);
  }
}

TEST_F(ReaderTest, NavigationFollowsTheGridAndHitTestTheCells) {
  const TileReader r = Reader();
  using S = ReaderStep;
  const struct {
    int from;
    S step;
    int to;
  } steps[] = {{1, S::Right, 2},  {2, S::Right, kReaderNone}, {2, S::Left, 1},     {1, S::Left, kReaderNone},
               {1, S::Down, 3},   {3, S::Up, 1},              {2, S::Down, 5},     {4, S::Up, kReaderNone},
               {5, S::Next, kReaderNone}, {1, S::Previous, kReaderNone}, {3, S::Next, 4}, {4, S::Previous, 3},
               {0, S::FirstChild, 1}, {0, S::LastChild, 5},   {0, S::Next, kReaderNone}, {9, S::Right, kReaderNone}};
  for (const auto& s : steps) EXPECT_EQ(r.Navigate(s.from, s.step), s.to) << s.from << " " << int(s.step);

  const struct {
    int x, y, child;
  } hits[] = {{0, 0, 1}, {39, 39, 1}, {40, 10, kReaderSelf}, {44, 0, kReaderSelf}, {88, 0, 2},
              {127, 83, 5}, {128, 10, kReaderSelf}, {10, 88, kReaderSelf}};
  for (const auto& h : hits) EXPECT_EQ(r.HitTest(h.x, h.y), h.child) << h.x << "," << h.y;

  const CellRect at96 = r.Location(4);
  m.Dpi = 144;
  const CellRect at144 = Reader().Location(4);
  EXPECT_TRUE(at96.Left == 44 && at96.Top == 44 && at96.Width == 40 && at96.Height == 40);
  EXPECT_TRUE(at144.Left == 66 && at144.Top == 66 && at144.Width == 60 && at144.Height == 60);
}

}  // namespace
}  // namespace tessara
