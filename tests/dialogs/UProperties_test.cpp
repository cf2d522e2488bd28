// The tile dialog's icon list and its handlers, against a recording fake of its window.
#include "dialogs/UProperties.h"

#include <gtest/gtest.h>

#include <memory>

#include "dialogs/fake_properties_view.h"

namespace tessara {
namespace {

using testing::FakePropertiesView;

struct Dialog {
  Dialog() {
    auto v = std::make_unique<FakePropertiesView>();
    view = v.get();
    form = std::make_unique<TfrmProperties>(std::move(v));
    view->icon_counts = {{"C:\\big.icl", 600}, {"C:\\twelve.dll", 12}, {view->program, 2}};
  }
  FakePropertiesView* view;
  std::unique_ptr<TfrmProperties> form;
};

TEST(TileDialog, LoadIconsListsTheFileOrFallsBackToTheProgram) {
  const struct {
    const char* file;
    int selected, items, selectedItem;
    const char* listed;
    int selectedAfter;
  } cases[] = {
      {"C:\\twelve.dll", 3, 12, 2, "C:\\twelve.dll", 3},
      {"C:\\twelve.dll", 13, 12, -1, "C:\\twelve.dll", 13},  // beyond the icons: kept, none shown
      {"C:\\twelve.dll", 0, 12, -1, "C:\\twelve.dll", 0},
      {"C:\\big.icl", 600, 513, -1, "C:\\big.icl", 600},      // the first 513 only
      {"C:\\notes.txt", 5, 2, 0, "C:\\prog\\tessara.exe", 1},  // no icons: the program's own
      {"", 0, 2, 0, "C:\\prog\\tessara.exe", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Dialog d;
    d.form->Edit4 = c.file;
    d.form->SelectedIcon = static_cast<std::uint16_t>(c.selected);
    d.form->FormShow();
    EXPECT_EQ(d.view->items.size(), static_cast<std::size_t>(c.items));
    EXPECT_EQ(d.view->items.back(), std::string(c.listed) + "#" + std::to_string(c.items - 1));
    EXPECT_EQ(d.view->selected, c.selectedItem);
    EXPECT_EQ(d.form->Edit4, c.listed);
    EXPECT_EQ(d.form->SelectedIcon, c.selectedAfter);
  }
}

TEST(TileDialog, BrowseListsTheChosenFileWithNoneSelected) {
  Dialog d;
  d.form->Edit4 = "C:\\prog\\tessara.exe";
  d.form->SelectedIcon = 2;
  d.form->FormShow();
  d.form->btnBrowseClick();  // cancelled: nothing changes
  EXPECT_EQ(d.form->SelectedIcon, 2);
  EXPECT_EQ(d.view->items.size(), 2u);

  d.view->browse_answer = "C:\\twelve.dll";
  d.form->btnBrowseClick();
  EXPECT_EQ(d.form->Edit4, "C:\\twelve.dll");
  EXPECT_EQ(d.view->items.size(), 12u);
  EXPECT_EQ(d.view->selected, -1);
  EXPECT_EQ(d.form->SelectedIcon, 0);
  d.form->lbClick(2);
  EXPECT_EQ(d.form->SelectedIcon, 3);

  // The next browse opens preset to the file and in its folder.
  d.view->browse_answer = "C:\\notes.txt";
  d.form->btnBrowseClick();
  EXPECT_EQ(d.view->browse_presets.back(), (std::pair<std::string, std::string>{"C:\\twelve.dll", "C:\\"}));
  EXPECT_EQ(d.form->Edit4, "C:\\prog\\tessara.exe");
  EXPECT_EQ(d.view->selected, 0);
  EXPECT_EQ(d.form->SelectedIcon, 1);

  for (int drive : {1, 4, 26}) {
    d.form->DriveComboChange(DriveItem(drive));
    EXPECT_EQ(d.form->DriveNumber, drive);
  }
}

}  // namespace
}  // namespace tessara
