// The tessara's pointer under Wine with real input: a click starts a tile's program once in
// its folder (never a decoy split off a path with a blank), a document opens in the program
// of its type, a drive tile hands its drive to the explorer, a window drag snaps;
// and a Ctrl+F4 arriving while a capture runs waits until the composition is over.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/UMain_win32.h"
#include "base/globals.h"
#include "msgbox_win32.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"
#include "tessara/fake_host.h"
#include "testutil.h"
#include "ui_win32.h"

namespace tessara {
namespace {

using testing::Pump;
using testing::PumpUntil;
using testing::ReadText;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Real pointer input through the system's input queue.
void MouseTo(int x, int y) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  // Rounded up, so that the system's conversion back lands on the pixel itself.
  in.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65536 + w - 1) / w);
  in.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65536 + h - 1) / h);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
  PumpUntil([&] {
    POINT p{};
    return GetCursorPos(&p) && p.x == x && p.y == y;
  }, 2000);
  Pump(30);
}

void Button(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
  Pump(40);
}

class PointerWin32Test : public testing::Win32Test {
 protected:
  PointerWin32Test() {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    old_cwd_ = cwd;
    log_ = Folder() + "probe.log";
    SetEnvironmentVariableA("TESSARA_PROBE_LOG", log_.c_str());
  }
  ~PointerWin32Test() override {
    form_.reset();
    SetCurrentDirectoryA(old_cwd_.c_str());
    SetEnvironmentVariableA("TESSARA_PROBE_LOG", nullptr);
  }

  void CopyProbe(const std::string& to) {
    ASSERT_TRUE(CopyFileA((alTools::ProgramFolder() + "launch_probe.exe").c_str(), to.c_str(), FALSE)) << to;
  }

  // A shown window of 3 x 1 tiles of 40 pixels at (left, top), composed, with a tile of
  // `file` at `col` if one is given.
  TfrmTessara& Show(int left, int top, ITessaraHost* host = nullptr, int col = 0, const std::string& file = "",
                    const std::string& startIn = "") {
    form_ = std::make_unique<TfrmTessara>(
        host, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), program_folder_);
    form_->FormCreate();
    form_->Cols = 3;
    form_->Rows = 1;
    form_->TileWidth = form_->TileHeight = 40;
    form_->BorderType = 2;
    form_->BackType = 0;
    if (col) {
      TTileRecord& t = form_->Tile(col, 1);
      t.Filename = file;
      t.StartIn = startIn;
      t.LibIcon = 1;
    }
    form_->UpdateBorder();
    form_->View().SetBounds(left, top, form_->CalcWidth(), form_->CalcHeight());
    form_->ComposeLayers();
    form_->View().Show();
    Pump(50);
    return *form_;
  }
  void ClickTile(int col) {
    const CellRect r = form_->CellRectOf(col, 1);
    const int x = form_->View().Left() + r.Left + r.Width / 2, y = form_->View().Top() + r.Top + r.Height / 2;
    // A freshly shown window takes scripted input once the pointer has moved inside it.
    MouseTo(x - 3, y - 3);
    MouseTo(x, y);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
  }
  // The lines the probe wrote, once there is one and a second start had time to show up.
  std::vector<std::string> ProbeLines() {
    PumpUntil([&] { return !ReadText(log_).empty(); });
    Pump(300);
    return Lines(ReadText(log_));
  }

  // A drop of one name from the shell, in UTF-16, on the tile at `col`.
  void DropOn(int col, const std::string& name) {
    const std::wstring wide = WideFromAnsi(name);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    *drop = DROPFILES{sizeof(DROPFILES), POINT{form_->CellRectOf(col, 1).Left + 5, 5}, FALSE, TRUE};
    wide.copy(reinterpret_cast<wchar_t*>(drop + 1), wide.size());
    GlobalUnlock(memory);
    PostMessageA(static_cast<TessaraWindow&>(form_->View()).Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    Pump(100);
  }

  std::string log_, old_cwd_, program_folder_ = alTools::ProgramFolder();
  std::unique_ptr<TfrmTessara> form_;
};

TEST_F(PointerWin32Test, NamesInChineseAndGreekReachTheShellWholeAlsoAfterTheWindowIsSavedAndLoaded) {
  CreateDirectoryA((Folder() + "settings").c_str(), nullptr);
  program_folder_ = Folder();
  const std::string program = Folder() + AnsiText(L"\u7a0b\u5e8f \u03b4.exe");
  const std::string document = Folder() + AnsiText(L"\u6587\u4ef6 \u03b3.txt");
  CopyProbe(program);
  testing::WriteText(document, "hello");
  Show(200, 200).SetNumber(1);
  DropOn(1, program);
  EXPECT_EQ(form_->Tile(1, 1).Description, AnsiText(L"\u7a0b\u5e8f \u03b4"));
  for (int run = 0; run < 2; ++run) {
    ClickTile(1);
    DropOn(1, document);
    PumpUntil([&] { return Lines(ReadText(log_)).size() >= 2; });
    const auto lines = ProbeLines();
    ASSERT_EQ(lines.size(), 2u) << ReadText(log_);
    EXPECT_EQ(lines[0].substr(0, lines[0].find('|')), program) << run;
    EXPECT_EQ(lines[1].substr(lines[1].rfind('|') + 1), "\"" + program + "\" \"" + document + "\"") << run;
    // An exit and a start: the tile as its files give it back.
    Starting = false;  // saves are held back while the program starts
    form_->SaveTessara();
    Starting = true;
    Show(200, 200).LoadTessara(1);
    DeleteFileA(log_.c_str());
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointerWin32Test, ClickRunsTheTileOnceInItsFolderNeverADecoy) {
  // "...\Program Files\probe.exe" handed unquoted to the starter would start "...\Program.exe".
  CreateDirectoryA((Folder() + "Program Files").c_str(), nullptr);
  CreateDirectoryA((Folder() + "work").c_str(), nullptr);
  const std::string program = Folder() + "Program Files\\probe.exe";
  CopyProbe(program);
  CopyProbe(Folder() + "Program.exe");
  Show(200, 200, nullptr, 2, program, Folder() + "work");
  ClickTile(2);
  const auto lines = ProbeLines();
  ASSERT_EQ(lines.size(), 1u) << ReadText(log_);
  EXPECT_EQ(Lower(lines[0].substr(0, lines[0].find('|'))), Lower(program)) << lines[0];
  EXPECT_NE(Lower(lines[0]).find(Lower("|" + Folder() + "work|")), std::string::npos) << lines[0];
  EXPECT_EQ(form_->View().Left(), 200) << "a click on a tile does not move the window";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointerWin32Test, DriveTileHandsItsDriveToTheExplorer) {
  // The shell looks in the start-in folder before the system's: a probe named like the file
  // explorer there records the command line it was given.
  CopyProbe(Folder() + "EXPLORER.EXE");
  Show(200, 300, nullptr, 1, "EXPLORER.EXE C:\\", Folder());
  ClickTile(1);
  const auto lines = ProbeLines();
  ASSERT_EQ(lines.size(), 1u) << ReadText(log_);
  EXPECT_EQ(Lower(lines[0].substr(0, lines[0].find('|'))), Lower(Folder() + "EXPLORER.EXE")) << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].rfind(' ')), " C:\\");
}

TEST_F(PointerWin32Test, DocumentTileOpensInTheProgramOfItsTypeInTheTilesFolder) {
  // A type of the test's own, opened by the probe: the shell finds the program, hands it the
  // document and starts it in the tile's folder, while Tessara's own folder stays as it was.
  // (Wine's class root does not include the user's classes: the type goes there directly.)
  const std::string type = ".tsprobe", kind = "TessaraProbe";
  const std::string command = "\"" + alTools::ProgramFolder() + "launch_probe.exe\" \"%1\"";
  RegSetKeyValueA(HKEY_CLASSES_ROOT, type.c_str(), nullptr, REG_SZ, "TessaraProbe", 13);
  RegSetKeyValueA(HKEY_CLASSES_ROOT, (kind + "\\shell\\open\\command").c_str(), nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>(command.size() + 1));
  CreateDirectoryA((Folder() + "work").c_str(), nullptr);
  const std::string document = Folder() + "my notes.tsprobe";
  testing::WriteText(document, "hello");
  Show(200, 400, nullptr, 3, document, Folder() + "work");
  ClickTile(3);
  const auto lines = ProbeLines();
  RegDeleteTreeA(HKEY_CLASSES_ROOT, type.c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kind.c_str());
  ASSERT_EQ(lines.size(), 1u) << ReadText(log_);
  EXPECT_NE(Lower(lines[0]).find(Lower("|" + Folder() + "work|")), std::string::npos) << lines[0];
  EXPECT_NE(Lower(lines[0]).find(Lower("\"" + document + "\"")), std::string::npos) << lines[0];
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(std::string(cwd), old_cwd_);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointerWin32Test, WindowDragSnapsToTheWorkAreaEdges) {
  testing::FakeHost host;
  TfrmTessara& form = Show(300, 300, &host);
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  HWND hwnd = static_cast<TessaraWindow&>(form.View()).Handle();
  const int width = form.CalcWidth(), height = form.CalcHeight();
  const struct {
    const char* what;
    LONG toLeft, toTop, left, top;  // unsnapped place the drag asks for; where the window ends
  } cases[] = {
      {"5 px snaps", area.left + 5, area.top + 200, area.left, area.top + 200},
      {"8 px stays", area.left + 8, area.top + 300, area.left + 8, area.top + 300},
      {"right and top edges", area.right - width - 3, area.top + 3, area.right - width, area.top},
      {"beyond the bottom sits on it", area.left + 400, area.bottom - 1, area.left + 400, area.bottom - height},
  };
  for (const auto& c : cases) {
    // Grabbed on the border at the window's top-left pixel.
    RECT r{};
    GetWindowRect(hwnd, &r);
    MouseTo(r.left + 2, r.top + 2);
    MouseTo(r.left, r.top);
    Button(MOUSEEVENTF_LEFTDOWN);
    MouseTo((r.left + c.toLeft) / 2, (r.top + c.toTop) / 2);
    MouseTo(c.toLeft, c.toTop);
    Button(MOUSEEVENTF_LEFTUP);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(c.left, c.top)) << c.what;
  }
  EXPECT_FALSE(form.Pointing().Moving());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PointerWin32Test, ClickOnTheBorderShowsNoFocusCellAndARightClickWhileMovingOpensNoMenu) {
  TfrmTessara& form = Show(200, 200, nullptr, 1, "C:\\a.exe");
  MouseTo(202, 201);
  MouseTo(201, 201);
  for (DWORD b : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN,
                  MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTUP}) Button(b);
  EXPECT_TRUE(form.Focus().Focused() && form.Lit.HoverCol() == -1 && !IsWindowVisible(FindWindowA("#32768", nullptr)))
      << "a pointer user sees no focus cell, nor a menu while the left button is down";
}

TEST_F(PointerWin32Test, CtrlF4DuringACaptureWaitsAndLosesNoFiles) {
  MainWindow window(GetModuleHandleA(nullptr), Folder());
  window.Create();
  window.ShowFirst();
  TfrmMain& main = window.Form();
  main.btnNewClick();
  main.btnNewClick();
  Pump(50);
  TfrmTessara* first = main.Tessara(1);
  TfrmTessara* second = main.Tessara(2);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->BackType, 2) << "a new tessara is transparent: its composition captures";
  second->Tile(1, 1).Filename = "C:\\windows\\notepad.exe";
  second->Tile(1, 1).Description = "kept";

  // Ctrl+F4 for the first window is waiting in the queue when its composition starts.
  BYTE keys[256] = {}, held[256];
  GetKeyboardState(keys);
  std::copy(std::begin(keys), std::end(keys), std::begin(held));
  held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
  SetKeyboardState(held);
  PostMessageA(static_cast<TessaraWindow&>(first->View()).Handle(), WM_KEYDOWN, VK_F4, 1);
  testing::MessageBoxWatcher yes(IDYES);
  first->Redraw1Click();
  EXPECT_EQ(main.TessaraCount, 2) << "the delete ran inside the composition";
  EXPECT_TRUE(first->LayersReady());

  // Once the composition is over, the key deletes the window as usual.
  ASSERT_TRUE(PumpUntil([&] { return main.TessaraCount == 1; }));
  SetKeyboardState(keys);
  Pump(50);
  EXPECT_EQ(main.Tessara(1), second);
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(IDC_BTNEXIT, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(IDC_BTNEXIT)));
  Pump(300);
  window.Shutdown();
  const std::string tiles = ReadText(Folder() + "settings\\tessara1.dat");
  EXPECT_EQ(tiles.size(), 821u);
  EXPECT_NE(tiles.find("kept"), std::string::npos) << "the renumbered window keeps its tiles";
  // The new window wrote its empty tile file under number 2 when it was made; nothing of
  // it reaches that file after the renumbering.
  EXPECT_EQ(std::filesystem::file_size(Folder() + "settings\\tessara2.dat"), 0u);
}

}  // namespace
}  // namespace tessara
