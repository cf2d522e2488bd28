// A tessara read by a screen reader in another process under Wine: the list and its tiles with
// their names, places and states, a tile started by the reader, and the reader's object after
// its window was deleted.
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

using testing::Pump;
using testing::PumpUntil;
using testing::ReadText;

class ReaderWin32Test : public testing::Win32Test {
 protected:
  ~ReaderWin32Test() override { SetEnvironmentVariableA("TESSARA_PROBE_LOG", nullptr); }
  // Window 3 of three 40-px tiles at (200, 200), active.
  void Show(int dpi = 96) {
    form_ = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), alTools::ProgramFolder());
    TfrmTessara& form = *form_;
    form.FormCreate();
    form.Tag = 3;
    form.Cols = 3;
    form.Rows = 1;
    form.TileWidth = form.TileHeight = 40;
    form.BorderType = form.BackType = 0;
    const std::string tiles[][3] = {{"C:\\windows\\notepad.exe", AnsiText(L"Caf\u00E9 cr\u00E8me"), ""},
                                    {"C:\\windows\\notepad.exe /a", "", ""},
                                    {Folder() + "probe.exe", "Alpha tile", Folder()}};
    for (int col = 1; col <= 3; ++col) {
      TTileRecord& t = form.Tile(col, 1);
      t.Filename = tiles[col - 1][0];
      t.Description = tiles[col - 1][1];  // a Latin-1 one in the program's code page
      t.StartIn = tiles[col - 1][2];
      t.LibIcon = 1;
    }
    form.UseDpi(dpi);
    form.View().SetBounds(200, 200, form.CalcWidth(), form.CalcHeight());
    form.ComposeLayers();
    form.View().Show();
    SetForegroundWindow(Handle());
    SetFocus(Handle());
    PumpUntil([&] { return form.Focused; });
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
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) return "";
    if (once && PumpUntil([&] { return ReadText(out) == "ready\n"; })) once();
    PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadText(out);
  }
  std::unique_ptr<TfrmTessara> form_;
};

TEST_F(ReaderWin32Test, AnotherProcessReadsTheTilesTheirPlacesAtEachScaleAndTheFocusTheKeysMove) {
  Show();
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
  Show(144);
  const std::string scaled = Read("read");
  EXPECT_NE(scaled.find("action=\"Open\" at 260,200 60x60"), std::string::npos) << scaled;
}

TEST_F(ReaderWin32Test, DefaultActionStartsTheTileAsAClickAndTheObjectOutlivingItsWindowIsDisconnected) {
  ASSERT_TRUE(CopyFileA((alTools::ProgramFolder() + "launch_probe.exe").c_str(), (Folder() + "probe.exe").c_str(), FALSE));
  const std::string log = Folder() + "probe.log";
  SetEnvironmentVariableA("TESSARA_PROBE_LOG", log.c_str());
  Show();
  EXPECT_EQ(Read("open 3"), "open=0x00000000\n");
  ASSERT_TRUE(PumpUntil([&] { return !ReadText(log).empty(); })) << "the tile was not started";
  const std::string started = Folder() + "probe.exe|" + Folder().substr(0, Folder().size() - 1) + "|";
  EXPECT_EQ(ReadText(log).substr(0, started.size()), started) << "the program in its folder";
  EXPECT_EQ(Read("after", [&] { form_.reset(); }), "ready\nafter=0x800401FD,0x800401FD\n");
}

}  // namespace
}  // namespace tessara
