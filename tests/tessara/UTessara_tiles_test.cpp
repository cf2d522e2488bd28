// Tiles made from drops and the "New..." commands, and the tile dialog's effect on a tile,
// against recording fakes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "settings/atomicfile.h"
#include "shell/error.h"
#include "tessara/UTessara.h"
#include "tessara/fake_host.h"
#include "tessara/fake_view.h"
#include "tessara/tilefields.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::FakeHost;
using testing::FakePropertiesView;
using testing::FakeTessaraView;

constexpr const char* kLibrary = "C:\\prog\\TESSARA.DLL";
constexpr const char* kProgram = "C:\\prog\\tessara.exe";

class TileMakingTest : public ::testing::Test {
 protected:
  TileMakingTest() {
    auto v = std::make_unique<FakeTessaraView>();
    view = v.get();
    form = std::make_unique<TfrmTessara>(&host, std::move(v), "C:\\prog\\");
    form->FormCreate();
    // Two columns, two rows, one pixel between cells: border 1: cell (1,1) spans x 1..36, (2,1) 38..73.
    form->Cols = 2;
    form->Rows = 2;
    form->CellSpacing = 1;
    form->BackType = 0;
    form->ApplySize();
    form->ComposeLayers();
    old_handler = SetMessageHandler([this](const std::string& t) { messages.push_back(t); });
  }
  ~TileMakingTest() override { SetMessageHandler(old_handler); }

  void Drop(int x, int y, const std::string& name, const std::string& problem = "") {
    view->drop = DroppedFile{x, y, name, problem};
    form->WMDropFiles(0x1234);
  }
  // Icons the fake extracts, so the fields the drop made are kept by LoadTileIcon.
  void Extractable(const std::string& file, int number) { view->icons.insert(file + "#" + std::to_string(number - 1)); }

  FakeHost host;
  FakeTessaraView* view;
  std::unique_ptr<TfrmTessara> form;
  std::vector<std::string> messages;
  MessageHandler old_handler;
};

TEST(NamingRule, DescriptionFromADroppedFileName) {
  const struct {
    const char* name;
    const char* description;
  } cases[] = {
      {"C:\\Apps\\NOTEPAD.EXE", "Notepad"},
      {"C:\\Docs\\report.final.doc", "Report"},
      {"C:\\x.txt", "x"},
      {"C:\\a.txt", "a"},
      {"C:\\AB.TXT", "Ab"},
      {"C:\\home\\.profile", ""},
      {"D:README", "Readme"},
      {"C:\\ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ.....x", "Abcdefghijabcdefghijabcdefghijabcdefghij"},
      {"C:\\ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ", "Abcdefghijabcdefghijabcdefghijabcdefghij"},
      {"C:\\\u4e2d\u6587\u540d.exe", "\u4e2d\u6587\u540d"},  // in UTF-8, as texts are here
      {"C:\\\u03ceRA.txt", "\u038fra"},
      {"C:\\\u00e9t\u00e9.txt", "\u00c9t\u00e9"},
      {"C:\\\U0001d11eAB.txt", "\U0001d11eab"},
  };
  for (const auto& c : cases) EXPECT_EQ(NamedDescription(c.name), c.description) << c.name;
}

TEST(ShortcutRule, OnlyTheShellStartsWhatTheTileCannotNameAndFindsTheIconsItCannotHold) {
  const std::string tool = "C:\\Tools\\tool.exe", lnk = "C:\\Links\\Calc.lnk", dll = "C:\\icons.dll";
  const std::string installer = "C:\\Windows\\Installer\\{1}\\app.ico", longName = std::string(252, 'x') + ".exe";
  const struct { ShortcutFields link; std::tuple<std::string, std::string, std::string, std::string, int> tile; } cases[] = {
      {{.Target = tool}, {tool, "C:\\Tools\\", "Tool", tool, 1}},
      {{.Target = tool, .WorkingFolder = "C:\\Web\\", .Arguments = "--profile=Work"}, {lnk, "C:\\Web\\", "Calc", lnk, 1}},
      {{.IdListOnly = true}, {lnk, "C:\\Links\\", "Calc", lnk, 1}},
      {{.Target = installer, .IconLocation = installer, .Advertised = true}, {lnk, "C:\\Links\\", "Calc", installer, 1}},
      {{.Target = tool, .IconLocation = "C:\\imageres.dll", .IconIndex = -3}, {tool, "C:\\Tools\\", "Tool", lnk, 1}},
      {{.Target = tool, .IconLocation = dll, .IconIndex = 65534}, {tool, "C:\\Tools\\", "Tool", dll, 65535}},
      {{.Target = tool, .IconLocation = dll, .IconIndex = 65535}, {tool, "C:\\Tools\\", "Tool", lnk, 1}},
      {{.Target = longName, .IconLocation = longName}, {lnk, "C:\\Links\\", "Calc", lnk, 1}},
  };
  for (const auto& c : cases) {
    const TTileRecord t = TileFromShortcut(lnk, c.link);
    EXPECT_EQ(std::tie(t.Filename, t.StartIn, t.Description, t.IconFile, t.IconIndex), c.tile);
  }
}

TEST_F(TileMakingTest, DropOnAnEmptyCellMakesATileByTheFileKind) {
  const std::string longDescription = "A Shortcut Description Of More Than Forty Characters";
  view->shortcuts["C:\\Links\\Tool.lnk"] = {"C:\\Tools\\tool.exe", "C:\\Work\\", longDescription, "C:\\icons.dll", 2};
  view->shortcuts["C:\\Links\\calc.LNK"] = {"C:\\Tools\\CALC.EXE", "", "", "", 1};
  // Forty characters are kept whatever their bytes; the forty-first is left out whole.
  const std::string accented = std::string(39, 'x') + "\xC3\xA9" + "y";
  view->shortcuts["C:\\Links\\Accent.lnk"] = {"C:\\Tools\\CALC.EXE", "C:\\", accented, "", 1, ""};
  view->associations["C:\\Data\\notes.txt"] = "C:\\Win\\notepad.exe";
  Extractable("C:\\Win\\notepad.exe", 1);
  Extractable("C:\\icons.dll", 3);
  Extractable("C:\\Tools\\CALC.EXE", 1);
  Extractable("C:\\Links\\Broken.lnk", 1);
  Extractable(kLibrary, 1);
  const struct {
    const char* dropped;
    const char* filename;
    std::string description;
    const char* startIn;
    const char* iconFile;  // after LoadTileIcon
    int iconIndex;
  } cases[] = {
      // A document's icon comes from its program.
      {"C:\\Data\\notes.txt", "C:\\Data\\notes.txt", "Notes", "C:\\Data\\", "C:\\Win\\notepad.exe", 1},
      // A picture sets only its name; the icon comes from the fallbacks.
      {"C:\\Pics\\photo.BMP", "C:\\Pics\\photo.BMP", "", "", kLibrary, 1},
      {"C:\\Links\\Tool.lnk", "C:\\Tools\\tool.exe", longDescription.substr(0, 40), "C:\\Work\\", "C:\\icons.dll", 3},
      {"C:\\Links\\calc.LNK", "C:\\Tools\\CALC.EXE", "Calc", "C:\\Tools\\", "C:\\Tools\\CALC.EXE", 1},
      {"C:\\Links\\Accent.lnk", "C:\\Tools\\CALC.EXE", accented.substr(0, 41), "C:\\", "C:\\Tools\\CALC.EXE", 1},
      // Not resolvable: the tile is the shortcut file itself.
      {"C:\\Links\\Broken.lnk", "C:\\Links\\Broken.lnk", "Broken", "C:\\Links\\", "C:\\Links\\Broken.lnk", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dropped);
    form->Tile(1, 2).Clear();
    view->icon_draws.clear();
    Drop(10, 50, c.dropped);
    const TTileRecord& t = form->Tile(1, 2);
    EXPECT_EQ(t.Filename, c.filename);
    EXPECT_EQ(t.Description, c.description);
    EXPECT_EQ(t.StartIn, c.startIn);
    EXPECT_EQ(t.IconFile, c.iconFile);
    EXPECT_EQ(t.IconIndex, c.iconIndex);
    EXPECT_EQ(view->icon_draws.size(), 3u) << "the new tile is drawn into the three layers";
  }
  EXPECT_EQ(view->resolved, (std::vector<std::string>{"C:\\Links\\Tool.lnk", "C:\\Links\\calc.LNK",
                                                       "C:\\Links\\Accent.lnk", "C:\\Links\\Broken.lnk"}));
  EXPECT_EQ(view->accept_drops, 1 + 6) << "registered at creation and again after every drop";
  EXPECT_TRUE(messages.empty());
}

TEST_F(TileMakingTest, DropOnATileHandsTheQuotedNameToItsProgram) {
  testing::TempFolder folder;
  const std::string spaced = folder.Path() + "my tool.exe";
  testing::WriteText(spaced, "MZ");
  TTileRecord& notepad = form->Tile(1, 1);
  notepad.Filename = "C:\\WINDOWS\\NOTEPAD.EXE";
  notepad.StartIn = "C:\\Docs\\";
  form->Tile(2, 1).Filename = spaced;
  const std::string spacedFolder = folder.Path() + "my folder";
  ASSERT_TRUE(CreateFolder(spacedFolder));
  form->Tile(1, 2).Filename = spacedFolder;

  Drop(10, 10, "C:\\My Files\\a b.txt");
  Drop(40, 10, "C:\\plain.txt");
  Drop(10, 50, "D:\\");
  EXPECT_EQ(view->started, (std::vector<LaunchRequest>{{"C:\\WINDOWS\\NOTEPAD.EXE", "\"C:\\My Files\\a b.txt\"", "C:\\Docs\\"},
                                                        {spaced, "\"C:\\plain.txt\""},
                                                        {spacedFolder, "\"D:\\\\\""}}));
  EXPECT_EQ(notepad.Description, "") << "the tile is left as it was";
}

TEST_F(TileMakingTest, DropsThatMakeNoTileAndStartNothing) {
  form->Tile(1, 1).Filename = "EXPLORER.EXE C:\\";
  form->Tile(1, 1).Drive = 3;
  form->Tile(2, 1).Filename = "C:\\WINDOWS\\NOTEPAD.EXE";
  const std::string self = "Can't make a shortcut to myself...";
  const struct {
    const char* what;
    int x, y;
    const char* name;
    const char* problem;
    std::string message;
  } cases[] = {
      {"on a drive tile", 10, 10, "C:\\a.txt", "", ""},
      {"in the spacing", 37, 50, "C:\\a.txt", "", ""},
      {"on the border", 0, 0, "C:\\a.txt", "", ""},
      {"the program itself on a tile", 40, 10, "c:\\PROG\\TESSARA.EXE", "", self},
      {"the program itself on an empty cell", 10, 50, kProgram, "", self},
      {"a name that cannot be kept", 10, 50, "", "too long", "too long"},
      {"a shortcut whose texts cannot be kept", 10, 50, "C:\\Links\\Foreign.lnk", "", "not in the code page"},
  };
  view->shortcuts["C:\\Links\\Foreign.lnk"] = {"C:\\Tools\\a.exe", "", "", "", 1, "not in the code page"};
  int accepted = view->accept_drops;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    Drop(c.x, c.y, c.name, c.problem);
    EXPECT_EQ(messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    EXPECT_EQ(view->accept_drops, ++accepted);
  }
  EXPECT_TRUE(view->started.empty());
  EXPECT_TRUE(form->Tile(1, 2).Empty());
  EXPECT_TRUE(form->Tile(2, 2).Empty());
  EXPECT_EQ(form->Tile(1, 1).Filename, "EXPLORER.EXE C:\\");
}

TEST_F(TileMakingTest, ShortcutCommandUsesTheOpenDialogAndKeepsTheNameAsItIs) {
  Extractable("C:\\Tools\\Calc.EXE", 1);
  host.answers = {"C:\\Tools\\Calc.EXE", "", kProgram};
  form->Lit.Select(2, 2);
  form->cmShortcutClick();
  EXPECT_EQ(form->Tile(2, 2).Description, "Calc.EXE");
  EXPECT_EQ(form->Tile(2, 2).StartIn, "C:\\Tools\\");

  // Cancelled, and the program itself: no tile.
  form->Lit.Select(2, 1);
  form->cmShortcutClick();
  form->cmShortcutClick();
  EXPECT_TRUE(form->Tile(2, 1).Empty());

  // An occupied cell asks no file; no selected cell does nothing.
  form->Lit.Select(2, 2);
  form->cmShortcutClick();
  form->Lit.Select(-1, -1);
  form->cmShortcutClick();
  EXPECT_EQ(host.opens, 3);
  EXPECT_EQ(messages, (std::vector<std::string>{"Can't make a shortcut to myself...", "Please select an empty tile"}));
}

TEST_F(TileMakingTest, DriveCommandMakesADriveTileWithTheLibraryIconRule) {
  Extractable(kLibrary, 1);
  Extractable(kLibrary, 4);
  const struct {
    const char* drive;  // chosen in the list; nullptr leaves it untouched
    int item;           // list item clicked; -1 none
    const char* filename;
    const char* description;
    int driveNumber;
    int libIcon;
  } cases[] = {
      {nullptr, -1, "EXPLORER.EXE A:\\", "Drive A:", 1, 0},
      {"D:", 3, "EXPLORER.EXE D:\\", "Drive D:", 4, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filename);
    form->Tile(1, 1).Clear();
    form->Lit.Select(1, 1);
    view->dialog_answer = [&](TfrmProperties& dialog, FakePropertiesView& dv) {
      EXPECT_TRUE(dialog.DriveMode);
      EXPECT_EQ(dv.selected, 0) << "the library's first icon is selected";
      if (c.drive) dialog.DriveComboChange(c.drive);
      if (c.item >= 0) dialog.lbClick(c.item);
      return true;
    };
    view->dialog_icon_counts[kLibrary] = 20;
    form->cmDriveClick();
    const TTileRecord& t = form->Tile(1, 1);
    EXPECT_EQ(t.Filename, c.filename);
    EXPECT_EQ(t.Description, c.description);
    EXPECT_EQ(t.Drive, c.driveNumber);
    EXPECT_EQ(t.LibIcon, c.libIcon);
    if (c.libIcon != 0) {
      EXPECT_EQ(t.IconFile, "");
      EXPECT_EQ(t.IconIndex, 0);
    } else {
      // LibIcon 0 with no icon file is no library icon: the fallbacks give the library's first.
      EXPECT_EQ(t.IconFile, kLibrary);
      EXPECT_EQ(t.IconIndex, 1);
    }
  }
  form->cmDriveClick();
  EXPECT_EQ(messages, std::vector<std::string>{"Please select an empty tile"});
  EXPECT_EQ(view->dialogs, 2);
}

TEST_F(TileMakingTest, PropertiesOkStoresTheIconChoiceAndKeepsTheDrive) {
  view->dialog_icon_counts = {{kLibrary, 20}, {"C:\\W\\SHELL32.DLL", 30}, {"C:\\x\\new.ico", 5}};
  for (const char* f : {"C:\\W\\SHELL32.DLL#6", "C:\\W\\SHELL32.DLL#3", "C:\\x\\new.ico#0"}) view->icons.insert(f);
  Extractable(kLibrary, 4);
  TTileRecord& lib = form->Tile(1, 1);
  lib.Filename = "EXPLORER.EXE C:\\";
  lib.Drive = 3;
  lib.LibIcon = 3;
  TTileRecord& shell = form->Tile(2, 1);
  shell.Filename = "C:\\W\\tool.exe";
  shell.IconFile = "C:\\W\\SHELL32.DLL";
  shell.IconIndex = 4;

  form->Lit.Select(1, 1);
  view->dialog_answer = [](TfrmProperties& d, FakePropertiesView& dv) {
    EXPECT_EQ(d.Edit4, kLibrary);
    EXPECT_EQ(dv.selected, 3);
    d.Edit1 = "EXPLORER.EXE E:\\";
    d.Edit2 = std::string(39, 'd') + "\xE2\x82\xAC" + std::string(8, 'd');
    return true;
  };
  const int compositions = view->paints;
  form->cmPropertiesClick();
  EXPECT_EQ(lib.Description, std::string(39, 'd') + "\xE2\x82\xAC") << "forty characters, whatever their bytes";
  EXPECT_EQ(std::tie(lib.LibIcon, lib.IconFile, lib.IconIndex), std::make_tuple(3, std::string(), 0));
  EXPECT_EQ(lib.Drive, 3) << "a drive tile stays one";
  EXPECT_GT(view->paints, compositions);

  form->Lit.Select(2, form->Lit.SelRow());
  view->dialog_answer = [](TfrmProperties& d, FakePropertiesView& dv) {
    EXPECT_EQ(dv.selected, 3);
    d.lbClick(6);
    return true;
  };
  form->cmPropertiesClick();
  EXPECT_EQ(shell.IconIndex, 7);

  // Browsing without a click chooses no icon: the tile keeps its icon fields.
  view->dialog_answer = [](TfrmProperties& d, FakePropertiesView& dv) {
    dv.browse_answer = "C:\\x\\new.ico";
    d.btnBrowseClick();
    EXPECT_EQ(d.SelectedIcon, 0);
    return true;
  };
  form->cmPropertiesClick();
  EXPECT_EQ(shell.IconFile, "C:\\W\\SHELL32.DLL");
  EXPECT_EQ(shell.IconIndex, 7);
}

TEST_F(TileMakingTest, DialogCommandsKeepToTheirCellAndLeaveAWindowDeletedMeanwhile) {
  for (const bool deleted : {false, true})
    for (const MenuId command : {MenuId::cmShortcut, MenuId::cmDrive, MenuId::cmProperties}) {
      SCOPED_TRACE(static_cast<int>(command) + (deleted ? 100 : 0));
      auto v = std::make_unique<FakeTessaraView>();
      view = v.get();
      form = std::make_unique<TfrmTessara>(&host, std::move(v), "C:\\prog\\");
      form->FormCreate();
      Extractable("C:\\a\\new.exe", 1);
      Extractable(kLibrary, 1);
      const std::string before = command == MenuId::cmProperties ? "C:\\a\\old.exe" : "";
      form->Tile(1, 1).Filename = before;
      form->Tile(2, 1).Filename = "C:\\b\\kept.exe";
      // While the dialog is up a press selects the other cell, or the window is deleted.
      host.while_open = [&] { deleted ? form->cmDeleteClick() : form->Lit.Select(2, form->Lit.SelRow()); };
      host.answers = {"C:\\a\\new.exe"};
      host.opens = 0;
      view->dialog_answer = [&](TfrmProperties& d, FakePropertiesView&) {
        d.Edit1 = "C:\\a\\new.exe";
        host.while_open();
        return true;
      };
      form->Lit.Select(1, 1);
      form->RunCommand(command);
      EXPECT_EQ(form->Tile(1, 1).Filename == before, deleted);
      EXPECT_EQ(form->Tile(1, 1).Icon != nullptr, !deleted);
      EXPECT_EQ(form->Tile(2, 1).Filename, "C:\\b\\kept.exe");
      EXPECT_FALSE(form->Tile(2, 1).Icon);
    }
}

}  // namespace
}  // namespace tessara

namespace tessara {
namespace {

TEST_F(TileMakingTest, TilesOfOnePassShowingTheSameIconShareOneExtraction) {
  const char* sources[][2] = {{"C:\\a.exe", "C:\\a.exe"}, {"C:\\b.dll", "C:\\b.dll"}, {"C:\\a.exe", "C:\\a.exe"},
                              {"C:\\c.dll", "C:\\c.dll"}};
  for (int k = 0; k < 4; ++k) {
    TTileRecord& tile = form->Tile(k / 2 + 1, k % 2 + 1);
    tile.Filename = sources[k][0];
    tile.IconFile = sources[k][1];
    tile.IconIndex = 1;
  }
  Extractable("C:\\a.exe", 1);
  Extractable(kLibrary, 1);
  view->extractions.clear();
  form->RebuildIcons1Click();

  // a.exe once for both of its tiles; the two files without icons share the library's.
  EXPECT_EQ(view->extractions,
            (std::vector<std::string>{"C:\\a.exe#0", "C:\\b.dll#0", std::string(kLibrary) + "#0", "C:\\c.dll#0"}));
  const std::string shown[] = {"C:\\a.exe#0", std::string(kLibrary) + "#0"};
  for (int k = 0; k < 4; ++k) {
    const TTileRecord& tile = form->Tile(k / 2 + 1, k % 2 + 1);
    ASSERT_TRUE(tile.Icon) << k;
    EXPECT_EQ(static_cast<const testing::FakeIcon&>(*tile.Icon).Source, shown[k % 2]) << k;
  }
}

}  // namespace
}  // namespace tessara
