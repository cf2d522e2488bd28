// The control panel as a real window under Wine: start-up, the limit of sixteen with its
// message box answered from a watcher thread, the tray, and the shutdown paths.
#include "app/UMain_win32.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "shell/error.h"
#include "shell/window_win32.h"
#include "msgbox_win32.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;

using testing::MessageBoxWatcher;

void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Pumps until the loop would end; true when a WM_QUIT arrived.
bool PumpUntilQuit(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return true;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return false;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string IniValue(const std::string& text, const std::string& key) {
  const std::string needle = "\n" + key + "=";
  const auto at = ("\n" + text).find(needle);
  if (at == std::string::npos) return "<missing>";
  const auto start = at + needle.size() - 1;
  return text.substr(start, text.find_first_of("\r\n", start) - start);
}

class ControlPanelWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InstallMessageBoxes();
  }
  static void TearDownTestSuite() { CoUninitialize(); }

  void SetUp() override {
    Starting = true;
    folder_ = fs::temp_directory_path() /
              ("tessara_panel_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    main_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    Starting = true;
  }

  std::string Folder() const { return folder_.string() + "\\"; }
  fs::path Ini() const { return folder_ / "tessara.ini"; }

  MainWindow& Start() {
    main_ = std::make_unique<MainWindow>(GetModuleHandleA(nullptr), Folder());
    main_->Create();
    main_->ShowFirst();
    Pump(50);
    return *main_;
  }

  // Exit as the user does: Exit button, then the loop ends and the forms are destroyed.
  bool Exit() {
    SendMessageA(main_->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BTNEXIT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(main_->Control(IDC_BTNEXIT)));
    if (!PumpUntilQuit(2000)) return false;
    main_->Shutdown();
    return true;
  }

  fs::path folder_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(ControlPanelWin32Test, FirstStartShowsThePanelWithItsControlsAndExitWrites) {
  MainWindow& main = Start();
  HWND panel = main.Handle();
  ASSERT_TRUE(IsWindowVisible(panel));
  RECT client;
  GetClientRect(panel, &client);
  EXPECT_EQ(client.right, 345);
  EXPECT_EQ(client.bottom, 334);
  EXPECT_EQ(GetWindowLongA(panel, GWL_STYLE) & WS_SYSMENU, 0) << "no title-bar buttons";
  char text[128];
  GetWindowTextA(panel, text, sizeof text);
  EXPECT_STREQ(text, "Tessarav1.99.0.3 beta");
  EXPECT_EQ(ApplicationTitle(), "Tessara v1.99.0.3 beta");

  struct Expected {
    UINT id;
    const char* caption;
    RECT rect;
  };
  const Expected controls[] = {
      {IDC_BTNHIDE, "&Hide Control Panel", {4, 5, 125, 30}},
      {IDC_BTNNEW, "&New Tessara", {128, 5, 229, 30}},
      {IDC_BTNEXIT, "&Exit", {268, 5, 341, 30}},
      {IDC_CHKSNAPEDGES, "Snap To Screen Edges", {4, 40, 141, 57}},
      {IDC_CHKSTARTUP, "Start Tessara when Windows start", {4, 60, 213, 77}},
  };
  for (const auto& c : controls) {
    HWND control = main.Control(c.id);
    ASSERT_NE(control, nullptr) << c.caption;
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ(text, c.caption);
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, c.rect.left) << c.caption;
    EXPECT_EQ(rc.top, c.rect.top) << c.caption;
    EXPECT_EQ(rc.right, c.rect.right) << c.caption;
    EXPECT_EQ(rc.bottom, c.rect.bottom) << c.caption;
  }

  HMENU tray = main.TrayMenu();
  ASSERT_EQ(GetMenuItemCount(tray), 4);
  const char* items[] = {"&New Tessara", "Tessara &Control Panel", "", "E&xit"};
  for (int i = 0; i < 4; ++i) {
    text[0] = 0;
    GetMenuStringA(tray, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, items[i]);
  }
  EXPECT_TRUE(GetMenuState(tray, 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_TRUE(main.TrayIconShown());

  // The three buttons' hints, made once the pointer first comes over the panel.
  SendMessageA(panel, WM_SETCURSOR, reinterpret_cast<WPARAM>(main.Control(IDC_BTNNEW)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  ASSERT_NE(main.Hints(), nullptr);
  EXPECT_EQ(SendMessageA(main.Hints(), TTM_GETTOOLCOUNT, 0, 0), 3);
  char hint[128] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = panel;
  tool.uId = reinterpret_cast<UINT_PTR>(main.Control(IDC_BTNHIDE));
  tool.lpszText = hint;
  SendMessageA(main.Hints(), TTM_GETTEXTA, sizeof hint, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(hint, "Hide this Control Panel and continue running the program");

  ASSERT_TRUE(Exit());
  const std::string ini = ReadFile(Ini());
  EXPECT_EQ(IniValue(ini, "SnapEdges"), "0");
  EXPECT_EQ(IniValue(ini, "Startup"), "0");
  EXPECT_EQ(IniValue(ini, "tsCount"), "0");
  EXPECT_EQ(IniValue(ini, "LastX"), "240");
  EXPECT_EQ(IniValue(ini, "SnapDistance"), "8");
}

TEST_F(ControlPanelWin32Test, SeventeenthTessaraIsRefusedWithAMessage) {
  MainWindow& main = Start();
  MessageBoxWatcher watcher;
  for (int i = 0; i < 16; ++i) main.Form().btnNewClick();
  EXPECT_EQ(main.Form().TessaraCount, 16);
  for (int i = 1; i <= 16; ++i) {
    TfrmTessara* t = main.Form().Tessara(i);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->View().Width(), 76);
    EXPECT_EQ(t->View().Height(), 112);
  }
  // Through the tray menu's command, as the user would.
  SendMessageA(main.Handle(), WM_COMMAND, MAKEWPARAM(IDM_TRAY_NEW, 0), 0);
  EXPECT_EQ(main.Form().TessaraCount, 16);
  const auto texts = watcher.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "Tessara v1.99.0.3 beta|Maximum number of tessaras reached");

  ASSERT_TRUE(Exit());
  EXPECT_EQ(IniValue(ReadFile(Ini()), "tsCount"), "16");
}

TEST_F(ControlPanelWin32Test, HideParksThePanelAndTheTrayBringsItBack) {
  MainWindow& main = Start();
  SetWindowPos(main.Handle(), nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(main.Handle(), WM_COMMAND, MAKEWPARAM(IDC_BTNHIDE, BN_CLICKED),
               reinterpret_cast<LPARAM>(main.Control(IDC_BTNHIDE)));
  RECT rc;
  GetWindowRect(main.Handle(), &rc);
  EXPECT_GE(rc.left, std::max(4000, GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN)));
  EXPECT_EQ(rc.top, 50);
  SendMessageA(main.Handle(), WM_APP_TRAY, 1, WM_LBUTTONDBLCLK);
  GetWindowRect(main.Handle(), &rc);
  EXPECT_EQ(rc.left, 100);
  EXPECT_EQ(rc.top, 50);

  // The shell restarted: the icon is added again.
  NOTIFYICONDATAA gone{};
  gone.cbSize = sizeof gone;
  gone.hWnd = main.Handle();
  gone.uID = 1;
  Shell_NotifyIconA(NIM_DELETE, &gone);
  SendMessageA(main.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(main.TrayIconShown());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone)) << "the icon was back in the tray";
}

// A second start during the exit must not call on a loop that is ending: it waits instead.
TEST_F(ControlPanelWin32Test, ExitEndsThoughAFileCannotBeWrittenAndNoLongerAnswersASecondStart) {
  MainWindow& main = Start();
  const unsigned long long key = ProgramFolderKey(Folder());
  ASSERT_EQ(FindRunningPanel(key), main.Handle());
  fs::create_directory(Ini());  // a folder where the file must go: the write fails
  std::vector<std::string> texts;
  HWND answering = main.Handle();
  const MessageHandler previous = SetErrorHandler([&](const std::string& text) {
    texts.push_back(text);
    answering = FindRunningPanel(key);
  });
  const bool ended = Exit();
  SetErrorHandler(previous);
  EXPECT_TRUE(ended);
  EXPECT_EQ(texts, std::vector<std::string>{"Unable to write to " + Folder() + "tessara.ini"});
  EXPECT_EQ(answering, nullptr);
}

TEST_F(ControlPanelWin32Test, EndingTheSessionSavesAsExitDoes) {
  MainWindow& main = Start();
  main.Form().btnNewClick();
  SendMessageA(main.Handle(), WM_QUERYENDSESSION, 0, 0);
  SendMessageA(main.Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(main.Form().Saved);
  EXPECT_EQ(IniValue(ReadFile(Ini()), "tsCount"), "1");
}

TEST_F(ControlPanelWin32Test, EndingTheSessionDuringACaptureSavesTheWindowAtItsPlaceBeforeItIsAnswered) {
  MainWindow& main = Start();
  main.Form().btnNewClick();
  TfrmTessara& form = *main.Form().Tessara(1);
  // Dragged, its change-save still to come; transparent, so composing captures.
  const int left = form.View().Left() < 300 ? 400 : 100;
  form.View().SetBounds(left, 150, form.View().Width(), form.View().Height());
  form.Left = left, form.Top = 150;
  form.BackType = 2;
  std::string answered;  // the settings file once the system has its answer: all it may get
  std::thread system([&] {
    for (const DWORD start = GetTickCount(); form.View().Left() < 10000 && GetTickCount() - start < 5000;) Sleep(0);
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(main.Handle(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored))
      answered = ReadFile(folder_ / "tswin.ini");
  });
  form.ComposeLayers();
  system.join();
  EXPECT_EQ(IniValue(answered, "Left") + "," + IniValue(answered, "Top") + "," + IniValue(answered, "LayersStale"),
            std::to_string(left) + ",150,1");
  EXPECT_FALSE(form.LayersReady()) << "nothing copied with the window back in place";
}

TEST_F(ControlPanelWin32Test, TessarasRefuseACloseFromOutside) {
  MainWindow& main = Start();
  main.Form().btnNewClick();
  HWND tessara = FindWindowA("TTessara", "ts");
  ASSERT_NE(tessara, nullptr);
  SendMessageA(tessara, WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageA(tessara, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(tessara));
  EXPECT_EQ(main.Form().TessaraCount, 1);
  ASSERT_TRUE(Exit());
  EXPECT_FALSE(IsWindow(tessara)) << "destroyed with the program";
}

}  // namespace
}  // namespace tessara
