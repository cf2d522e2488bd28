#include "app/UMain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/rng.h"
#include "settings/RegVal.h"
#include "shell/error.h"
#include "tessara/fake_view.h"
#include "testutil.h"

namespace tessara {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;
using testing::FakeTessaraView;

struct Shortcut {
  std::string target, file, description;
};

struct FakePlatform : IMainPlatform {
  std::string folder;
  std::string startup;
  std::vector<Shortcut> shortcuts;
  std::vector<FakeTessaraView*> views;
  std::string ProgramFolder() override { return folder; }
  std::string ProgramPath() override { return folder + "tessara.exe"; }
  std::string StartupFolder() override { return startup; }
  long shortcut_result = 0;  // an HRESULT
  bool entry_disabled = false;
  long CreateShortcut(const std::string& t, const std::string& f, const std::string& d) override {
    shortcuts.push_back({t, f, d});
    if (shortcut_result >= 0) WriteText(f, "link");
    return shortcut_result;
  }
  bool StartupEntryDisabled(const std::string& name) override { return entry_disabled && name == "tessara2.lnk"; }
  // The windows of each capture taken together, by the order their views were made (1-based).
  // and the windows on screen at that moment.
  std::vector<std::vector<int>> capture_groups, shown_at_capture;
  void CaptureTogether(const std::vector<ITessaraView*>& together) override {
    std::vector<int> group, shown;
    for (std::size_t k = 0; k < views.size(); ++k) {
      if (std::find(together.begin(), together.end(), views[k]) != together.end())
        group.push_back(static_cast<int>(k) + 1);
      if (views[k] && views[k]->shown) shown.push_back(static_cast<int>(k) + 1);
    }
    capture_groups.push_back(group);
    shown_at_capture.push_back(shown);
  }
  int release_posts = 0;
  void PostReleaseClosed() override { ++release_posts; }
  std::unique_ptr<ITessaraView> CreateTessaraView() override {
    if (static_cast<int>(views.size()) + 1 == failing_view) {
      views.push_back(nullptr);
      throw Error("Cannot create a tessara window");
    }
    auto view = std::make_unique<FakeTessaraView>();
    views.push_back(view.get());
    if (prepare) prepare(*view);
    return view;
  }
  // Answers of the open dialog in turn ("" cancels) and what it was preset to.
  std::vector<std::string> open_answers, open_presets;
  bool ExecuteOpenDlg(std::string& name) override {
    open_presets.push_back(name);
    const std::string answer = open_answers.at(open_presets.size() - 1);
    if (answer.empty()) return false;
    name = answer;
    return true;
  }

  int failing_view = 0;  // the view made n-th fails to be made
  std::function<void(FakeTessaraView&)> prepare;
};

struct FakeMainView : IMainView {
  std::string caption;
  int left = 300, top = 200;
  bool snap = false, startup = false;
  bool app_window_hidden = false;
  int closes = 0, foregrounds = 0;
  std::function<void()> at_foreground;
  void SetCaption(const std::string& c) override { caption = c; }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int system_dpi = 96;
  int SystemDpi() const override { return system_dpi; }
  void SetLeft(int l) override { left = l; }
  void SetTop(int t) override { top = t; }
  bool Checked(MainCheck box) const override {
    return box == MainCheck::SnapEdges ? snap : startup;
  }
  void SetChecked(MainCheck box, bool c) override { (box == MainCheck::SnapEdges ? snap : startup) = c; }
  void HideApplicationWindow() override { app_window_hidden = true; }
  void BringToForeground() override {
    ++foregrounds;
    if (at_foreground) at_foreground();
  }
  void Close() override { ++closes; }
  // Keeping the panel on screen.
  int width = 353, height = 363;
  std::vector<WorkRect> work_areas{{0, 0, 1280, 1024}};
  int Width() const override { return width; }
  int Height() const override { return height; }
  std::vector<WorkRect> WorkAreas() const override { return work_areas; }
  WorkRect virtual_screen{0, 0, 1280, 1024};
  WorkRect VirtualScreen() const override { return virtual_screen; }
};

// One program run in a temporary program folder.
class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = true;
    platform.folder = folder.Path();
    previous_ = SetMessageHandler([this](const std::string& text) { messages.push_back(text); });
  }
  void TearDown() override {
    SetMessageHandler(previous_);
    Starting = true;
  }

  std::unique_ptr<TfrmMain> Start() {
    Starting = true;
    platform.views.clear();
    auto form = std::make_unique<TfrmMain>(platform, view);
    form->FormCreate();
    form->FormShow();
    return form;
  }

  std::string Ini() const { return folder.Path() + "tessara.ini"; }

  // Reads the written file back through a store of the same keys.
  TRegVal Written() const {
    TRegVal stored;
    stored.UseStartUpDir = false;
    stored.IniFileName = Ini();
    stored.Set_Booleans({"SnapEdges=9", "Startup=9"});
    stored.Set_Integers({"tsCount=-1", "LastX=-1", "LastY=-1", "SnapDistance=-1"});
    stored.ReadSettings();
    return stored;
  }

  TempFolder folder;
  FakePlatform platform;
  FakeMainView view;
  std::vector<std::string> messages;

 private:
  MessageHandler previous_;
};

TEST_F(MainFormTest, FirstStartShowsPanelAndExitWritesTheDefaults) {
  auto form = Start();
  EXPECT_EQ(form->TessaraCount, 0);
  EXPECT_EQ(view.left, 300) << "without tessaras the panel stays where the system put it";
  EXPECT_TRUE(platform.views.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "settings"));
  EXPECT_EQ(view.caption, "Tessarav1.99.0.3 beta");
  EXPECT_TRUE(view.app_window_hidden);
  EXPECT_FALSE(std::filesystem::exists(Ini())) << "reading never creates the file";

  form->btnExitClick();
  EXPECT_EQ(view.closes, 1);
  form->FormClose();
  EXPECT_TRUE(form->Saved);
  TRegVal stored = Written();
  EXPECT_FALSE(stored.BooleanValue("SnapEdges"));
  EXPECT_FALSE(stored.BooleanValue("Startup"));
  EXPECT_EQ(stored.IntegerValue("tsCount"), 0);
  EXPECT_EQ(stored.IntegerValue("LastX"), 240);
  EXPECT_EQ(stored.IntegerValue("LastY"), 200) << "LastY is the panel's top edge at exit";
  EXPECT_EQ(stored.IntegerValue("SnapDistance"), 8);
  const std::string text = ReadText(Ini());
  EXPECT_LT(text.find("[Booleans]"), text.find("[Integers]"));
  EXPECT_LT(text.find("SnapEdges"), text.find("Startup"));
  EXPECT_LT(text.find("tsCount"), text.find("LastX"));

  // The destroy after a successful close writes nothing more.
  std::filesystem::remove(Ini());
  form->FormDestroy();
  EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(MainFormTest, StoredCountIsLimitedToSixteenNumberedWindows) {
  WriteText(Ini(), "[Integers]\r\ntsCount=20\r\n");
  auto form = Start();
  ASSERT_EQ(form->TessaraCount, 16);
  EXPECT_EQ(view.left, kParkedLeft) << "with tessaras the panel starts parked";
  ASSERT_EQ(platform.views.size(), 16u);
  for (int i = 1; i <= 16; ++i) {
    ASSERT_NE(form->Tessara(i), nullptr);
    EXPECT_EQ(form->Tessara(i)->Number(), i);
    EXPECT_EQ(form->Tessara(i)->Files().Ini().IniSection, std::to_string(i));
    EXPECT_TRUE(platform.views[i - 1]->shown);
  }
  form->btnNewClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Maximum number of tessaras reached");
  EXPECT_EQ(form->TessaraCount, 16);
  EXPECT_EQ(platform.views.size(), 16u);
  form->FormClose();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 16);
}

TEST_F(MainFormTest, NegativeStoredCountRestoresNothing) {
  WriteText(Ini(), "[Integers]\r\ntsCount=-3\r\n");
  auto form = Start();
  EXPECT_EQ(form->TessaraCount, 0);
  EXPECT_TRUE(platform.views.empty());
}

TEST_F(MainFormTest, NewTessaraTakesTheNextNumberUpToSixteen) {
  WriteText(Ini(), "[Integers]\r\ntsCount=15\r\n");
  auto form = Start();
  RandSeed(12345);
  form->btnNewClick();
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(form->TessaraCount, 16);
  TfrmTessara* added = form->Tessara(16);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Number(), 16);
  EXPECT_EQ(added->Files().Ini().IniSection, "16");
  const FakeTessaraView* v = platform.views.back();
  EXPECT_TRUE(v->shown);
  EXPECT_EQ(v->width, 76);
  EXPECT_EQ(v->height, 112);
}

TEST_F(MainFormTest, NewWindowsLandInsideTheScreen) {
  auto form = Start();
  RandSeed(1);
  for (int i = 0; i < 16; ++i) form->btnNewClick();
  ASSERT_EQ(platform.views.size(), 16u);
  for (const FakeTessaraView* v : platform.views) {
    EXPECT_GE(v->left, 0);
    EXPECT_LT(v->left, 1024 - 76);
    EXPECT_GE(v->top, 0);
    EXPECT_LT(v->top, 768 - 112 - 20);
  }
}

TEST_F(MainFormTest, NothingIsWrittenBeforeThePanelWasShown) {
  Starting = true;
  TfrmMain form(platform, view);
  form.FormCreate();
  form.FormClose();
  form.FormDestroy();
  EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(MainFormTest, HiddenPositionIsRememberedAcrossRuns) {
  {
    auto form = Start();
    view.left = 100;
    view.top = 50;
    form->btnHideClick();
    EXPECT_EQ(view.left, kParkedLeft);
    EXPECT_EQ(view.top, 50);
    form->FormClose();
    form->FormDestroy();
  }
  TRegVal stored = Written();
  EXPECT_EQ(stored.IntegerValue("LastX"), 100);
  EXPECT_EQ(stored.IntegerValue("LastY"), 50);

  view.left = 700;
  view.top = 600;
  auto form = Start();
  form->RxTrayIcon1DblClick();
  EXPECT_EQ(view.left, 100);
  EXPECT_EQ(view.top, 50);
  form->btnNewClick();
  form->btnNewClick();
  int raised = -1;
  view.at_foreground = [&] { raised = platform.views[0]->raises + platform.views[1]->raises; };
  form->RxTrayIcon1Click();
  EXPECT_EQ(view.left, 100) << "a single click only brings the panel to the front";
  EXPECT_EQ(raised, 2) << "each tessara comes up before the panel takes the front";
}

TEST_F(MainFormTest, ParkedPanelLiesBeyondTheWholeDesktopAsMonitorsComeAndGo) {
  WriteText(Ini(), "[Integers]\r\ntsCount=1\r\nLastX=100\r\nLastY=50\r\n");
  view.virtual_screen = {0, 0, 5760, 1080};  // three monitors of 1920
  auto form = Start();
  EXPECT_EQ(view.left, 5760) << "parked at start";
  // In turn: the left and right edges of the desktop around every monitor, changed while the
  // panel is parked, and where the parked panel lies then.
  const std::array<int, 3> rows[] = {{0, 1920, kParkedLeft},     {0, 3840, kParkedLeft}, {0, 4000, 4000},
                                     {0, 4001, 4001},            {-1920, 3840, kParkedLeft}, {-2560, 5120, 5120},
                                     {-1280, 1280, kParkedLeft}, {0, 7680, 7680}};
  for (const auto& [left, right, parked] : rows) {
    view.virtual_screen = {left, 0, right, 1080};
    form->DisplayChanged();
    EXPECT_EQ(view.left, parked) << left << ".." << right << ", changed while parked";
    form->cmControlPanelClick();
    EXPECT_EQ(view.left, 100);
    form->btnHideClick();
    EXPECT_EQ(view.left, parked) << left << ".." << right << ", hidden";
  }
  form->FormClose();
  EXPECT_EQ(Written().IntegerValue("LastX"), 100) << "the place it left is stored, never the parking place";
}

TEST_F(MainFormTest, StartupShortcutFollowsTheBox) {
  TempFolder startup;
  platform.startup = startup.Path();
  WriteText(Ini(), "[Booleans]\r\nStartup=1\r\n");
  auto form = Start();
  ASSERT_EQ(platform.shortcuts.size(), 1u) << "a stored Startup writes the shortcut at every start";
  EXPECT_EQ(platform.shortcuts[0].target, folder.Path() + "tessara.exe");
  EXPECT_EQ(platform.shortcuts[0].file, startup.Path() + "tessara2.lnk");
  EXPECT_EQ(platform.shortcuts[0].description, "Tessarav1.99.0.3 beta");
  EXPECT_TRUE(messages.empty());

  WriteText(startup.Path() + "Tessara.lnk", "old");
  view.startup = false;
  form->chkStartupClick();
  EXPECT_FALSE(std::filesystem::exists(startup.Path() + "Tessara.lnk"));
  EXPECT_FALSE(std::filesystem::exists(startup.Path() + "tessara2.lnk"));
  EXPECT_EQ(platform.shortcuts.size(), 1u);

  view.startup = true;
  form->chkStartupClick();
  EXPECT_EQ(platform.shortcuts.size(), 2u);

  platform.entry_disabled = true;  // turned off in Task Manager: told once where to turn it on
  for (int click = 0; click < 2; ++click) form->chkStartupClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Task Manager, go to Startup apps"), std::string::npos) << messages[0];
  platform.shortcut_result = -2147467259L;  // E_FAIL
  form->chkStartupClick();
  EXPECT_FALSE(view.startup);
  EXPECT_EQ(messages.back(), "Tessara cannot start with Windows: the shortcut " + startup.Path() + "tessara2.lnk could not be made.");
}

TEST_F(MainFormTest, NoStartupFolderMeansNoShortcut) {
  platform.startup.clear();
  WriteText(Ini(), "[Booleans]\r\nStartup=1\r\n");
  auto form = Start();
  EXPECT_FALSE(view.startup) << "a box must not promise a start that cannot happen";
  EXPECT_TRUE(platform.shortcuts.empty());
  EXPECT_EQ(messages, std::vector<std::string>{"Tessara cannot start with Windows: the Startup folder cannot be found."});
}

TEST_F(MainFormTest, ExitSavesEveryFileItCanAndReportsTheOthersInOneMessage) {
  WriteText(Ini(), "[Integers]\r\ntsCount=2\r\n");
  auto form = Start();
  const std::string tiles1 = folder.Path() + "settings/tessara1.dat";
  for (const std::string& blocked : {Ini(), tiles1}) {  // a folder where the file should go
    std::filesystem::remove(blocked);
    std::filesystem::create_directory(blocked);
  }
  std::vector<std::string> errors;
  const MessageHandler previous = SetErrorHandler([&](const std::string& t) { errors.push_back(t); });
  form->FormClose();
  std::filesystem::remove(tiles1);  // written by the second save: not reported
  form->FormDestroy();
  SetErrorHandler(previous);
  EXPECT_TRUE(form->Saved) << "the program ends";
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to write to " + Ini()});
  EXPECT_TRUE(std::filesystem::is_regular_file(tiles1));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path() + "settings/tessara2.dat")) << "the next window saved";
  EXPECT_NE(ReadText(folder.Path() + "tswin.ini").find("[1\\"), std::string::npos) << "the failed window's settings too";
}

// "New Tessara" while "tessara.ini" is locked for a moment: later change-saves write the count.
TEST_F(MainFormTest, CountThatFailedIsWrittenAtTheNextChangeSave) {
  auto form = Start();
  std::filesystem::create_directory(Ini());
  std::vector<std::string> errors;
  const MessageHandler previous = SetErrorHandler([&](const std::string& t) { errors.push_back(t); });
  form->btnNewClick();
  form->Tessara(1)->cmBlackFrameClick();  // the window saves, the count fails again: told once
  SetErrorHandler(previous);
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to write to " + Ini()});
  std::filesystem::remove(Ini());
  form->Tessara(1)->cmBlackFrameClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 1);
}

TEST_F(MainFormTest, RemovingAWindowGivesItsNumberToTheLastOne) {
  WriteText(Ini(), "[Integers]\r\ntsCount=3\r\n");
  auto form = Start();
  TfrmTessara* second = form->Tessara(2);
  TfrmTessara* third = form->Tessara(3);
  auto removed = form->RemoveTessara(second);
  EXPECT_EQ(removed.get(), second);
  EXPECT_EQ(form->TessaraCount, 2);
  EXPECT_EQ(form->Tessara(2), third);
  EXPECT_EQ(third->Number(), 2);
  EXPECT_EQ(third->Files().Ini().IniSection, "2");
  EXPECT_EQ(form->Tessara(3), nullptr);

  auto last = form->RemoveTessara(third);
  EXPECT_EQ(last.get(), third);
  EXPECT_EQ(form->TessaraCount, 1);
  EXPECT_EQ(form->Tessara(1)->Number(), 1);
  EXPECT_EQ(form->RemoveTessara(third), nullptr) << "a window no longer listed is refused";
}

}  // namespace
}  // namespace tessara

namespace tessara {
namespace {

TEST_F(MainFormTest, DeletingWindowTwoOfThreeRenumbersTheLastAndSavesNothingOfIt) {
  WriteText(Ini(), "[Integers]\r\ntsCount=3\r\n");
  auto form = Start();
  TfrmTessara* second = form->Tessara(2);
  TfrmTessara* third = form->Tessara(3);
  second->cmDeleteClick();
  EXPECT_EQ(form->TessaraCount, 2);
  EXPECT_EQ(form->Tessara(2), third);
  EXPECT_EQ(third->Number(), 2);
  EXPECT_EQ(third->Files().Ini().IniSection, "2");
  EXPECT_EQ(platform.release_posts, 1) << "destroyed only after its own handler returned";
  form->ReleaseClosed();
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "settings/tessara3.dat"));
  form->FormClose();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 2);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() + "settings/tessara2.dat"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "settings/tessara3.dat"));
}

TEST_F(MainFormTest, DeletingTheOnlyWindowLeavesNone) {
  WriteText(Ini(), "[Integers]\r\ntsCount=1\r\n");
  auto form = Start();
  form->Tessara(1)->cmDeleteClick();
  EXPECT_EQ(form->TessaraCount, 0);
  form->FormClose();
  form->FormDestroy();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 0);
}

TEST_F(MainFormTest, OpenDialogOpensWithTheNameLastChosen) {
  auto form = Start();
  platform.open_answers = {"C:\\Tools\\a.exe", "", "C:\\b.txt", ""};
  std::string name;
  ASSERT_TRUE(form->ExecuteOpenDlg(name));
  EXPECT_EQ(name, "C:\\Tools\\a.exe");
  EXPECT_FALSE(form->ExecuteOpenDlg(name));  // a cancel keeps the last name
  ASSERT_TRUE(form->ExecuteOpenDlg(name));
  EXPECT_FALSE(form->ExecuteOpenDlg(name));
  EXPECT_EQ(platform.open_presets,
            (std::vector<std::string>{"", "C:\\Tools\\a.exe", "C:\\Tools\\a.exe", "C:\\b.txt"}));
}


TEST_F(MainFormTest, OneWindowThatFailsNeverStopsTheStartOfTheOthers) {
  const std::string picture = folder.Path() + "broken.bmp";
  WriteText(picture, "no picture");
  WriteText(folder.Path() + "tessara.ini", "[Integers]\r\ntsCount=4\r\n");
  WriteText(folder.Path() + "tswin.ini",
            "[1\\Integers]\r\nBackType=1\r\nColor=$102030\r\n[1\\Strings]\r\nBMPFilename=" + picture +
                "\r\n[3\\Integers]\r\nCols=5\r\n[4\\Integers]\r\nCols=7\r\n");
  std::filesystem::create_directories(folder.Path() + "settings");
  WriteText(folder.Path() + "settings/tessara4.dat", "tiles of window 4");
  WriteText(folder.Path() + "settings/tessara4.utf8", "names of window 4");
  std::vector<std::string> errors;
  const MessageHandler previous = SetErrorHandler([&](const std::string& t) { errors.push_back(t); });
  platform.failing_view = 4;
  platform.prepare = [](FakeTessaraView& v) {
    v.picture_loader = [](const std::string& path, Bitmap24&) { throw Error("Cannot load the picture " + path); };
  };
  auto form = Start();
  SetErrorHandler(previous);

  EXPECT_EQ(errors, (std::vector<std::string>{"Cannot load the picture " + picture, "Cannot create a tessara window"}));
  EXPECT_EQ(form->TessaraCount, 4);
  ASSERT_EQ(platform.views.size(), 4u);
  for (int slot : {1, 2, 3}) {
    ASSERT_TRUE(form->Tessara(slot)) << slot;
    EXPECT_TRUE(platform.views[static_cast<std::size_t>(slot - 1)]->shown) << slot;
  }
  EXPECT_EQ(form->Tessara(4), nullptr);
  TfrmTessara& plain = *form->Tessara(1);
  EXPECT_EQ(plain.BMPFilename, picture) << "the picture may come back";
  EXPECT_EQ(plain.Layers()[NormalLayer].Pixel(5, 5)[2], 0x30) << "composed in its colour";
  EXPECT_EQ(form->Tessara(3)->Cols, 5);

  // Saving and deleting go on around the empty slot, and the failed window's settings stay.
  form->FormClose();
  EXPECT_NE(ReadText(folder.Path() + "tswin.ini").find("BMPFilename=" + picture), std::string::npos);
  // The failed window takes the freed number with its files; the deleted one never returns.
  form->DeleteTessara(form->Tessara(2));
  EXPECT_EQ(form->Tessara(2), nullptr);
  EXPECT_EQ(form->TessaraCount, 3);
  EXPECT_EQ(Written().IntegerValue("tsCount"), 3);
  EXPECT_EQ(ReadText(folder.Path() + "settings/tessara2.dat"), "tiles of window 4");
  EXPECT_EQ(ReadText(folder.Path() + "settings/tessara2.utf8"), "names of window 4");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "settings/tessara2_0.bmp")) << "no layers of the deleted one";
  auto next = Start();
  EXPECT_EQ(next->Tessara(2)->Cols, 7);
}

}  // namespace
}  // namespace tessara

namespace tessara {
namespace {

TEST_F(MainFormTest, PlacesOfAnUnawareBuildAreConvertedOnce) {
  WriteText(Ini(), "[Integers]\r\ntsCount=1\r\nLastX=200\r\nLastY=100\r\n");
  WriteText(folder.Path() + "tswin.ini", "[1\\Integers]\r\nLeft=100\r\nTop=-40\r\n");
  view.system_dpi = 120;
  platform.prepare = [](FakeTessaraView& v) { v.system_dpi = 120; };
  for (int start = 0; start < 2; ++start) {
    auto form = Start();
    EXPECT_TRUE(form->PanelX == 250 && (start == 1 || form->PanelY == 125) && platform.views[0]->left == 125 &&
                platform.views[0]->top == -50) << form->PanelX << ", " << form->PanelY << ", " << platform.views[0]->left;
    form->FormClose();
  }
}

TEST_F(MainFormTest, PanelComesBackOnScreenWhenShownOrWhenItsMonitorGoesButStaysParkedWhileHidden) {
  // A hand-edited (or other-monitor) place of the hidden panel.
  WriteText(Ini(), "[Integers]\r\ntsCount=1\r\nLastX=3000\r\nLastY=3000\r\n");
  view.work_areas = {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
  auto form = Start();
  form->DisplayChanged();
  EXPECT_EQ(view.left, kParkedLeft) << "parked on purpose, not lost";
  form->cmControlPanelClick();
  EXPECT_EQ(view.left, 2560 - view.width);
  EXPECT_EQ(view.top, 1024 - view.height);
  view.work_areas.pop_back();  // the second monitor goes
  form->DisplayChanged();
  EXPECT_EQ(view.left, 1280 - view.width);
  form->FormClose();
  EXPECT_EQ(Written().IntegerValue("LastX"), 1280 - view.width) << "the reachable place is stored";
  EXPECT_EQ(Written().IntegerValue("LastY"), 1024 - view.height);
}

TEST_F(MainFormTest, NoCaptureWhileTheSessionIsAwayAndOneOnceBackForEachWindowThatWantedOne) {
  WriteText(Ini(), "[Integers]\r\ntsCount=2\r\n");
  WriteText(folder.Path() + "tswin.ini", "[1\\Integers]\r\nBackType=2\r\n[2\\Integers]\r\nBackType=2\r\nLeft=500\r\n");
  auto form = Start();
  FakeTessaraView& view = *platform.views[0];
  const auto centre = [&] { return form->Tessara(1)->Layers()[NormalLayer].Pixel(view.width / 2, view.height / 2)[0]; };
  const unsigned char before = centre();
  view.behind = Rgb{200, 200, 200};
  form->SessionChanged(true);
  form->Tessara(1)->ComposeLayers();
  EXPECT_TRUE(view.captures == 1 && form->Tessara(1)->LayersReady() && centre() == before) << "it keeps what it shows";
  for (int back = 0; back < 2; ++back) form->SessionChanged(false);
  EXPECT_TRUE(view.captures == 2 && centre() != before && platform.views[1]->captures == 1) << "once, where wanted";
}

// No exit follows these changes (a kill): the files alone must hold them.
TEST_F(MainFormTest, NewAndDeletedWindowsReachTheFilesAtOnce) {
  WriteText(Ini(), "[Integers]\r\ntsCount=3\r\n");
  WriteText(folder.Path() + "tswin.ini", "[2\\Integers]\r\nCols=4\r\n[3\\Integers]\r\nCols=5\r\n");
  auto form = Start();
  auto cols = [&](int number) {
    TRegVal section;
    section.UseStartUpDir = false;
    section.IniFileName = folder.Path() + "tswin.ini";
    section.IniSection = std::to_string(number);
    section.Set_Integers({"Cols=0"});
    section.Set_Booleans({"LayersStale=0"});
    section.ReadSettings();
    EXPECT_TRUE(section.BooleanValue("LayersStale")) << "the files of its number hold another image";
    return section.IntegerValue("Cols");
  };

  form->Tessara(2)->cmDeleteClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 2);
  EXPECT_EQ(cols(2), 5) << "the last window is written under the number it took";
  EXPECT_TRUE(std::filesystem::exists(folder.Path() + "settings/tessara2.dat"));

  form->btnNewClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 3);
  EXPECT_EQ(cols(3), 2) << "the new window's own settings, not the deleted one's";
  form->Tessara(3)->cmDeleteClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 2);
}

}  // namespace
}  // namespace tessara

namespace tessara {
namespace {

// Chains of failures that a kill at any point must survive without a window's tiles lost or
// a deleted window's tiles brought back.
TEST_F(MainFormTest, CountWaitsForAFailedWindowsFilesToReachTheirNewNumber) {
  WriteText(Ini(), "[Integers]\r\ntsCount=3\r\n");
  std::filesystem::create_directories(folder.Path() + "settings");
  WriteText(folder.Path() + "settings/tessara3.dat", "tiles of window 3");
  platform.failing_view = 3;
  std::vector<std::string> errors;
  const MessageHandler previous = SetErrorHandler([&](const std::string& t) { errors.push_back(t); });
  auto form = Start();
  const std::string held = folder.Path() + "settings/tessara2.dat";  // its replace fails
  std::filesystem::create_directory(held);
  testing::MakeUnreadable(folder.Path() + "settings/tessara3_0.bmp");  // held by another program
  form->Tessara(2)->cmDeleteClick();
  form->Tessara(1)->cmBlackFrameClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 3) << "window 3's only whole copy stays counted";
  form->btnNewClick();
  EXPECT_EQ(form->TessaraCount, 2) << "no new window over files still to be moved";
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(ReadText(folder.Path() + "settings/tessara3.dat"), "tiles of window 3");
  std::filesystem::remove(held);
  form->Tessara(1)->cmBlackFrameClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 3) << "a file that cannot be read now is not missing";
  std::filesystem::remove(folder.Path() + "settings/tessara3_0.bmp");
  form->FormClose();
  form->FormDestroy();
  SetErrorHandler(previous);
  EXPECT_EQ(Written().IntegerValue("tsCount"), 2);
  EXPECT_EQ(ReadText(held), "tiles of window 3");
}

TEST_F(MainFormTest, CountNamesNoNewWindowWhoseFilesAreNotYetWritten) {
  WriteText(Ini(), "[Integers]\r\ntsCount=3\r\n");
  auto form = Start();
  form->Tessara(3)->cmDeleteClick();
  const std::string held = folder.Path() + "settings/tessara3.dat";  // the new number 3 fails
  std::filesystem::create_directory(held);
  const MessageHandler previous = SetErrorHandler([](const std::string&) {});
  form->btnNewClick();
  form->btnNewClick();
  SetErrorHandler(previous);
  EXPECT_EQ(Written().IntegerValue("tsCount"), 2) << "number 3 holds no files of its own yet";
  std::filesystem::remove(held);
  form->Tessara(3)->cmBlackFrameClick();
  EXPECT_EQ(Written().IntegerValue("tsCount"), 4);
}

TEST_F(MainFormTest, TransparentWindowsCaptureTogetherUnlessOneMustSeeAnotherComposed) {
  // 1, 3, 4 and 5 are transparent; 2 (plain) overlaps 4 and 5 and can be shown first; 5
  // overlaps 4, so its capture must wait for 4 to be composed and shown.
  WriteText(folder.Path() + "tessara.ini", "[Integers]\r\ntsCount=5\r\n");
  std::string ini;
  const int places[][3] = {{2, 0, 0}, {0, 500, 0}, {2, 1000, 0}, {2, 520, 20}, {2, 540, 40}};
  for (int n = 1; n <= 5; ++n) {
    const auto& [back, left, top] = places[n - 1];
    ini += "[" + std::to_string(n) + "\\Integers]\r\nBackType=" + std::to_string(back) + "\r\nLeft=" +
           std::to_string(left) + "\r\nTop=" + std::to_string(top) + "\r\n";
  }
  WriteText(folder.Path() + "tswin.ini", ini);
  auto form = Start();

  EXPECT_EQ(platform.capture_groups, (std::vector<std::vector<int>>{{1, 3, 4}, {5}}));
  EXPECT_EQ(platform.shown_at_capture, (std::vector<std::vector<int>>{{2}, {1, 2, 3, 4}}));
  for (int n = 1; n <= 5; ++n) {
    EXPECT_TRUE(platform.views[static_cast<std::size_t>(n - 1)]->shown) << n;
    EXPECT_EQ(platform.views[static_cast<std::size_t>(n - 1)]->captures, n == 2 ? 0 : 1) << n;
  }
}

}  // namespace
}  // namespace tessara
