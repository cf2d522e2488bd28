#include "tessara/reader.h"

#include <gtest/gtest.h>

namespace tessara {
namespace {

// A 3 x 2 grid of 40-px cells 4 apart; tiles in reading order 1 (1,1), 2 (3,1), 3 (1,2), 4 (2,2),
// 5 (3,2), and one at (4,1) outside the grid in use. Only "C:\Program Files\Tool.v2.exe" exists.
TileReader Reader(TessaraModel& m, const ReaderState& s = {7, {3, 1}, true, {2, 2}}) {
  m.Cols = 3;
  m.Rows = 2;
  m.TileWidth = m.TileHeight = 40;
  m.CellSpacing = 4;
  m.BorderType = 0;
  const struct {
    int col, row;
    const char *file, *description, *startIn;
  } tiles[] = {{1, 1, "C:\\Apps\\alpha.exe", "Alpha tile", "C:\\Work"},
               {3, 1, "\"C:\\Program Files\\Note pad.exe\" /a", "", ""},
               {1, 2, "C:\\Program Files\\Tool.v2.exe -v x", "", ""}, {2, 2, "C:\\Windows\\notepad.exe", "", ""},
               {3, 2, "D:\\", "", ""}, {4, 1, "C:\\hidden.exe", "", ""}};
  for (const auto& t : tiles) m.Tile(t.col, t.row) = {t.file, t.description, t.startIn, "", 0, nullptr, 0, 0};
  return TileReader(m, s, [](const std::string& name) { return name == "C:\\Program Files\\Tool.v2.exe"; });
}

TEST(TileReaderTest, NamesValuesAndStatesOfTheListAndItsTilesInReadingOrder) {
  TessaraModel m;
  const TileReader r = Reader(m);
  ASSERT_EQ(r.ChildCount(), 5) << "the tile outside the grid in use is not read";
  const unsigned item = rsFocusable | rsSelectable;
  const struct {
    const char *name, *description;
    unsigned states;
  } rows[] = {{"Tessara 7", "", rsFocusable}, {"Alpha tile", "C:\\Work", item},
              {"Note pad", "", item | rsFocused | rsSelected}, {"Tool.v2", "", item},
              {"notepad", "", item | rsPressed}, {"D:\\", "", item}};
  for (int child = 0; child <= 5; ++child) {
    EXPECT_EQ(r.Name(child), rows[child].name) << child;
    EXPECT_EQ(r.Description(child), rows[child].description) << child;
    EXPECT_EQ(r.States(child), rows[child].states) << child;
  }
  EXPECT_EQ(r.Value(2), "\"C:\\Program Files\\Note pad.exe\" /a");
  EXPECT_FALSE(r.Known(6) || r.Known(-1));

  const struct {
    Cell focus;
    bool active;
    int child;
  } focus[] = {{{3, 1}, false, kReaderNone}, {{2, 1}, true, kReaderSelf}, {{4, 1}, true, kReaderSelf}};
  for (const auto& f : focus) {
    const TileReader other = Reader(m, {1, f.focus, f.active, {}});
    EXPECT_EQ(other.FocusChild(), f.child) << f.focus.Col << " " << f.active;
    EXPECT_EQ((other.States(kReaderSelf) & rsFocused) != 0, f.child == kReaderSelf);
    EXPECT_EQ(other.States(2) & rsFocused, 0u);
  }
}

TEST(TileReaderTest, NavigationFollowsTheGridHitTestAndPlacesTheCellsAtTheScale) {
  TessaraModel m;
  const TileReader r = Reader(m);
  using S = ReaderStep;
  const int none = kReaderNone;
  const struct {
    int from;
    S step;
    int to;
  } steps[] = {{1, S::Right, 2},     {2, S::Right, none},     {2, S::Left, 1},      {1, S::Left, none},
               {1, S::Down, 3},      {3, S::Up, 1},           {2, S::Down, 5},      {4, S::Up, none},
               {5, S::Next, none},   {1, S::Previous, none},  {3, S::Next, 4},      {4, S::Previous, 3},
               {0, S::FirstChild, 1}, {0, S::LastChild, 5},   {0, S::Next, none},   {9, S::Right, none}};
  for (const auto& s : steps) EXPECT_EQ(r.Navigate(s.from, s.step), s.to) << s.from << " " << int(s.step);
  const int hits[][3] = {{0, 0, 1},    {39, 39, 1},    {40, 10, kReaderSelf}, {44, 0, kReaderSelf},
                         {88, 0, 2},   {127, 83, 5},   {128, 10, kReaderSelf}, {10, 88, kReaderSelf}};
  for (const auto& h : hits) EXPECT_EQ(r.HitTest(h[0], h[1]), h[2]) << h[0] << "," << h[1];
  const CellRect at96 = r.Location(4);
  m.Dpi = 144;
  const CellRect at144 = r.Location(4);
  EXPECT_TRUE(at96.Left == 44 && at96.Top == 44 && at96.Width == 40 && at96.Height == 40);
  EXPECT_TRUE(at144.Left == 66 && at144.Top == 66 && at144.Width == 60 && at144.Height == 60);
}

}  // namespace
}  // namespace tessara
