// The tessara's pointer under Wine with real input: a click starts a tile's program once in
// its folder (never a decoy split off a path with a blank), a document opens in its
// program, a drive tile's command line reaches the starter unchanged, a window drag snaps;
// and a Ctrl+F4 arriving while a capture runs waits until the composition is over.
#include <gtest/gtest.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/UMain_win32.h"
#include "base/globals.h"
#include "msgbox_win32.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"
#include "tessara/fake_host.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;

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

// Pumps until `done` holds or the time is up; returns `done`'s last answer.
template <class F>
bool PumpUntil(F done, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump(20);
  }
  return true;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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


class PointerWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Starting = true;
    old_message_ = SetMessageHandler([this](const std::string& t) { messages_.push_back(t); });
    folder_ = fs::temp_directory_path() /
              ("tessara_pointer_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    old_cwd_ = cwd;
    log_ = Folder() + "probe.log";
    SetEnvironmentVariableA("TESSARA_PROBE_LOG", log_.c_str());
  }
  void TearDown() override {
    form_.reset();
    SetCurrentDirectoryA(old_cwd_.c_str());
    SetEnvironmentVariableA("TESSARA_PROBE_LOG", nullptr);
    SetMessageHandler(old_message_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::string Folder() const { return folder_.string() + "\\"; }
  static std::string Probe() { return ::alTools::ProgramFolder() + "launch_probe.exe"; }

  // A shown window of 3 x 1 tiles of 40 pixels at (left, top), composed.
  TfrmTessara& Show(int left, int top, ITessaraHost* host = nullptr) {
    form_ = std::make_unique<TfrmTessara>(
        host, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), ::alTools::ProgramFolder());
    form_->FormCreate();
    form_->Cols = 3;
    form_->Rows = 1;
    form_->TileWidth = form_->TileHeight = 40;
    form_->BorderType = 2;
    form_->BackType = 0;
    form_->UpdateBorder();
    form_->View().SetBounds(left, top, form_->CalcWidth(), form_->CalcHeight());
    form_->ComposeLayers();
    form_->View().Show();
    Pump(50);
    return *form_;
  }
  void Put(int col, const std::string& file, const std::string& startIn = "") {
    TTileRecord& t = form_->Tile(col, 1);
    t.Filename = file;
    t.StartIn = startIn;
    t.LibIcon = 1;
  }
  POINT Screen(int col) const {
    const CellRect r = form_->CellRectOf(col, 1);
    return {form_->View().Left() + r.Left + r.Width / 2, form_->View().Top() + r.Top + r.Height / 2};
  }
  void ClickTile(int col) {
    const POINT p = Screen(col);
    // A freshly shown window takes scripted input once the pointer has moved inside it.
    MouseTo(p.x - 3, p.y - 3);
    MouseTo(p.x, p.y);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
  }
  std::vector<std::string> ProbeLines(size_t atLeast) {
    PumpUntil([&] { return Lines(ReadFile(log_)).size() >= atLeast; });
    Pump(300);  // a second start, if any, has time to show up
    return Lines(ReadFile(log_));
  }

  fs::path folder_;
  std::string log_;
  std::string old_cwd_;
  std::vector<std::string> messages_;
  std::unique_ptr<TfrmTessara> form_;

 private:
  MessageHandler old_message_;
};

TEST_F(PointerWin32Test, ClickRunsTheTileOnceInItsFolderNeverADecoy) {
  // "...\Program Files\probe.exe" handed unquoted to the starter would start "...\Program.exe".
  fs::create_directories(folder_ / "Program Files");
  fs::create_directories(folder_ / "work");
  const std::string program = Folder() + "Program Files\\probe.exe";
  ASSERT_TRUE(CopyFileA(Probe().c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(Probe().c_str(), (Folder() + "Program.exe").c_str(), FALSE));
  Show(200, 200);
  Put(2, program, Folder() + "work");
  form_->ComposeLayers();

  ClickTile(2);
  const auto lines = ProbeLines(1);
  ASSERT_EQ(lines.size(), 1u) << ReadFile(log_);
  EXPECT_EQ(Lower(lines[0].substr(0, lines[0].find('|'))), Lower(program)) << lines[0];
  EXPECT_NE(Lower(lines[0]).find(Lower("|" + Folder() + "work|")), std::string::npos) << lines[0];
  EXPECT_EQ(form_->View().Left(), 200) << "a click on a tile does not move the window";
  EXPECT_FALSE(form_->Pressing);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointerWin32Test, DriveTileCommandLineReachesTheStarterUnchanged) {
  // The starter looks in the current folder before the system's: a probe named like the
  // file explorer there records the command line it was given.
  ASSERT_TRUE(CopyFileA(Probe().c_str(), (Folder() + "EXPLORER.EXE").c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryA(Folder().c_str()));
  Show(200, 300);
  Put(1, "EXPLORER.EXE C:\\");
  form_->Tile(1, 1).Drive = 3;
  form_->ComposeLayers();
  ClickTile(1);
  const auto lines = ProbeLines(1);
  ASSERT_EQ(lines.size(), 1u) << ReadFile(log_);
  EXPECT_EQ(lines[0].substr(lines[0].rfind('|') + 1), "EXPLORER.EXE C:\\");
}

bool NotepadRunning() {
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
    if (Lower(entry.szExeFile) == "notepad.exe") return true;
  return false;
}

TEST_F(PointerWin32Test, DocumentTileOpensInItsAssociatedProgram) {
  const std::string document = Folder() + "notes.txt";
  std::ofstream(document) << "hello";
  ASSERT_FALSE(NotepadRunning());
  Show(200, 400);
  Put(3, document);
  form_->ComposeLayers();
  ClickTile(3);
  EXPECT_TRUE(PumpUntil(NotepadRunning, 8000)) << "no notepad after a click on a text file";
  HWND notepad = nullptr;
  PumpUntil([&] { return (notepad = FindWindowA("Notepad", nullptr)) != nullptr; }, 3000);
  if (notepad) PostMessageA(notepad, WM_CLOSE, 0, 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointerWin32Test, WindowDragSnapsToTheWorkAreaEdges) {
  testing::FakeHost host;
  TfrmTessara& form = Show(300, 300, &host);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const WorkRect area{static_cast<int>(work.left), static_cast<int>(work.top), static_cast<int>(work.right),
                      static_cast<int>(work.bottom)};
  HWND hwnd = static_cast<TessaraWindow&>(form.View()).Handle();
  // Grabbed on the border at the window's top-left pixel, dropped so that it would sit at
  // (toLeft, toTop) without snapping.
  auto drag = [&](int toLeft, int toTop) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MouseTo(r.left + 2, r.top + 2);
    MouseTo(r.left, r.top);
    Button(MOUSEEVENTF_LEFTDOWN);
    MouseTo((r.left + toLeft) / 2, (r.top + toTop) / 2);
    MouseTo(toLeft, toTop);
    Button(MOUSEEVENTF_LEFTUP);
    GetWindowRect(hwnd, &r);
    return std::pair<int, int>(static_cast<int>(r.left), static_cast<int>(r.top));
  };
  const int width = form.CalcWidth(), height = form.CalcHeight();
  EXPECT_EQ(drag(area.Left + 5, area.Top + 200), std::make_pair(area.Left, area.Top + 200)) << "5 px snaps";
  EXPECT_EQ(drag(area.Left + 8, area.Top + 300), std::make_pair(area.Left + 8, area.Top + 300)) << "8 px stays";
  EXPECT_EQ(drag(area.Right - width - 3, area.Top + 3), std::make_pair(area.Right - width, area.Top))
      << "right and top edges";
  EXPECT_EQ(drag(area.Left + 400, area.Bottom - 1), std::make_pair(area.Left + 400, area.Bottom - height))
      << "dragged beyond the bottom it sits on the edge";
  EXPECT_FALSE(form.Moving);
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---- a key arriving during a capture ----

class CaptureReentryWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InstallMessageBoxes();
  }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    Starting = true;
    folder_ = fs::temp_directory_path() / ("tessara_reentry_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    main_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    Starting = true;
  }
  fs::path folder_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(CaptureReentryWin32Test, CtrlF4DuringACaptureWaitsAndLosesNoFiles) {
  main_ = std::make_unique<MainWindow>(GetModuleHandleA(nullptr), folder_.string() + "\\");
  main_->Create();
  main_->ShowFirst();
  TfrmMain& main = main_->Form();
  main.btnNewClick();
  main.btnNewClick();
  Pump(50);
  TfrmTessara* first = main.Tessara(1);
  TfrmTessara* second = main.Tessara(2);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->BackType, 2) << "a new tessara is transparent: its composition captures";
  second->Tile(1, 1).Filename = "C:\\windows\\notepad.exe";
  second->Tile(1, 1).Description = "kept";
  HWND hwnd = static_cast<TessaraWindow&>(first->View()).Handle();

  // Ctrl+F4 for the first window is waiting in the queue when its composition starts.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  BYTE held[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(held));
  held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
  SetKeyboardState(held);
  PostMessageA(hwnd, WM_KEYDOWN, VK_F4, 1);
  testing::MessageBoxWatcher yes(IDYES);
  first->Redraw1Click();
  EXPECT_EQ(main.TessaraCount, 2) << "the delete ran inside the composition";
  EXPECT_TRUE(first->LayersReady);

  // Once the composition is over, the key deletes the window as usual.
  ASSERT_TRUE(PumpUntil([&] { return main.TessaraCount == 1; }));
  SetKeyboardState(keys);
  Pump(50);
  EXPECT_EQ(main.Tessara(1), second);
  SendMessageA(main_->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BTNEXIT, BN_CLICKED),
               reinterpret_cast<LPARAM>(main_->Control(IDC_BTNEXIT)));
  PumpUntil([] {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  }, 3000);
  main_->Shutdown();
  const std::string tiles = ReadFile(folder_ / "settings" / "tessara1.dat");
  EXPECT_EQ(tiles.size(), 821u);
  EXPECT_NE(tiles.find("kept"), std::string::npos) << "the renumbered window keeps its tiles";
  // The new window wrote its empty tile file under number 2 when it was made; nothing of
  // it reaches that file after the renumbering.
  EXPECT_EQ(ReadFile(folder_ / "settings" / "tessara2.dat").size(), 0u);
}

}  // namespace
}  // namespace tessara
