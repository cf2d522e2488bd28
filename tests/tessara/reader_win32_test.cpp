// A tessara read by a screen reader in another process under Wine: the list and its tiles with
// their names, places at two scales and states after a key, a tile the reader opens in its
// folder, and the reader's object once its window was deleted.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "shell/alTools.h"
#include "shell/filenames_win32.h"
#include "tessara/UTessara_win32.h"
#include "testutil.h"
#include "ui_win32.h"

namespace tessara {
namespace {

using testing::PumpUntil;
using testing::ReadText;

class ReaderWin32Test : public testing::Win32Test {
 protected:
  ~ReaderWin32Test() override { SetEnvironmentVariableA("TESSARA_PROBE_LOG", nullptr); }
  // Window 3 of three 40-px tiles at (200, 200), active; the third starts the launch probe.
  void Show(int dpi) {
    form_ = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), alTools::ProgramFolder());
    form_->FormCreate();
    form_->Files().SetNumber(3);
    form_->Cols = 3;
    form_->Rows = 1;
    form_->TileWidth = form_->TileHeight = 40;
    form_->BorderType = form_->BackType = 0;
    const std::string tiles[][3] = {{"C:\\windows\\notepad.exe", AnsiText(L"Caf\u00E9 cr\u00E8me"), ""},
                                    {"C:\\windows\\notepad.exe /a", "", ""},
                                    {Folder() + "probe.exe", "Alpha tile", Folder()}};
    for (const int i : {0, 1, 2})  // each with the library's first icon
      form_->Tile(i + 1, 1) = {tiles[i][0], tiles[i][1], tiles[i][2], "", 0, nullptr, 1, 0};
    form_->UseDpi(dpi);
    form_->View().SetBounds(200, 200, form_->CalcWidth(), form_->CalcHeight());
    form_->ComposeLayers();
    form_->View().Show();
    SetForegroundWindow(Handle());
    SetFocus(Handle());
    PumpUntil([&] { return form_->Focus().Focused(); });
  }
  HWND Handle() const { return static_cast<TessaraWindow&>(form_->View()).Handle(); }
  // What the reader in its own process wrote, its calls answered meanwhile; `once` runs when it
  // says it is ready.
  std::string Read(const std::string& command, const std::function<void()>& once = {}) {
    const std::string out = Folder() + "reader.txt";
    std::string line = "\"" + alTools::ProgramFolder() + "reader_probe.exe\" " +
                       std::to_string(reinterpret_cast<INT_PTR>(Handle())) + " \"" + out + "\" " + command;
    STARTUPINFOA start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    DeleteFileA(out.c_str());
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
      return "";
    if (once && PumpUntil([&] { return ReadText(out).find("ready") != std::string::npos; })) once();
    PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadText(out);
  }
  std::unique_ptr<TfrmTessara> form_;
};

TEST_F(ReaderWin32Test, AnotherProcessReadsTheTilesAtEachScaleAndTheKeysFocusOpensOneAndOutlivesTheWindow) {
  const std::string launched = alTools::ProgramFolder() + "launch_probe.exe";
  ASSERT_TRUE(CopyFileA(launched.c_str(), (Folder() + "probe.exe").c_str(), FALSE));
  const std::string log = Folder() + "probe.log";
  SetEnvironmentVariableA("TESSARA_PROBE_LOG", log.c_str());
  Show(96);
  const std::string before = Read("read");
  SendMessageA(Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  const std::string after = Read("read");
  std::cout << "Before the key:\n" << before << "After Right:\n" << after;
  const std::string list = "children=3 focus=", self = "0 list \"Tessara 3\" value=\"\" description=\"\" action=\"\" "
                                                         "at 200,200 120x40 states=focusable,\n";
  const std::string tiles[] = {
      "1 list item \"Caf\xC3\xA9 cr\xC3\xA8me\" value=\"C:\\windows\\notepad.exe\" description=\"\" action=\"Open\" "
      "at 200,200 40x40 states=",
      "2 list item \"notepad\" value=\"C:\\windows\\notepad.exe /a\" description=\"\" action=\"Open\" "
      "at 240,200 40x40 states=",
      "3 list item \"Alpha tile\" value=\"" + Folder() + "probe.exe\" description=\"" + Folder() +
          "\" action=\"Open\" at 280,200 40x40 states="};
  const std::string focused = "selected,focused,focusable,selectable,\n", plain = "focusable,selectable,\n";
  EXPECT_EQ(before, list + "1\n" + self + tiles[0] + focused + tiles[1] + plain + tiles[2] + plain);
  EXPECT_EQ(after, list + "2\n" + self + tiles[0] + plain + tiles[1] + focused + tiles[2] + plain);

  // The reader opens a tile as a click does, then holds its object while the window is deleted.
  const std::string started = Folder() + "probe.exe|" + Folder().substr(0, Folder().size() - 1) + "|";
  EXPECT_EQ(Read("open 3", [&] {
              EXPECT_TRUE(PumpUntil([&] { return ReadText(log).substr(0, started.size()) == started; }))
                  << ReadText(log);
              Show(144);
            }),
            "open=0x00000000\nready\nafter=0x800401FD,0x800401FD\n");
  const std::string scaled = Read("read");
  EXPECT_NE(scaled.find("action=\"Open\" at 260,200 60x60"), std::string::npos) << scaled;
}

}  // namespace
}  // namespace tessara
