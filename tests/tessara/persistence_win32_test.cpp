// A tessara's files under Wine: real icons and layers go to disk and come back, a failed
// save leaves the old files, and the delete confirmation is a real Yes/No box.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/globals.h"
#include "base/legacytext_win32.h"
#include "settings/tiledata.h"
#include "shell/alTools.h"
#include "shell/error.h"
#include "shell/window_win32.h"
#include "tessara/UTessara.h"
#include "tessara/UTessara_win32.h"
#include "msgbox_win32.h"

namespace tessara {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using testing::MessageBoxWatcher;

class PersistenceWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageBoxes();
    Starting = false;
    folder_ = fs::temp_directory_path() /
              ("tessara_pers_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "settings");
    fs::copy_file(::alTools::ProgramFolder() + "TESSARA.DLL", folder_ / "TESSARA.DLL");
  }
  void TearDown() override {
    Starting = true;
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string Folder() const { return folder_.string() + "\\"; }

  std::unique_ptr<TfrmTessara> MakeForm() {
    auto form = std::make_unique<TfrmTessara>(
        nullptr, std::make_unique<TessaraWindow>(GetModuleHandleA(nullptr), nullptr), Folder());
    form->FormCreate();
    return form;
  }

  // Window 3: a plain 3 x 2 grid with two library tiles, one of them outside a 2 x 2 grid.
  std::unique_ptr<TfrmTessara> SavedWindow() {
    auto form = MakeForm();
    form->SetNumber(3);
    form->Cols = 3;
    form->Rows = 2;
    form->BackType = 0;
    form->BorderType = 3;
    form->Color = 0x4080C0;
    for (auto [col, lib] : {std::pair{1, 2}, std::pair{3, 4}}) {
      TTileRecord& t = form->Tile(col, 1);
      t.Filename = "C:\\windows\\notepad.exe";
      t.LibIcon = static_cast<std::uint8_t>(lib);
    }
    form->View().SetBounds(120, 80, 0, 0);
    form->Left = 120, form->Top = 80;  // where the user put it
    form->ApplySize();
    form->ComposeLayers();
    form->SaveTessara();
    return form;
  }

  fs::path folder_;
};

TEST_F(PersistenceWin32Test, WindowComesBackFromItsFilesPixelForPixel) {
  auto saved = SavedWindow();
  saved->Cols = 2;  // the tile at (3,1) is now hidden, and must still be saved
  saved->SaveTessara();
  EXPECT_EQ(fs::file_size(folder_ / "settings" / "tessara3.dat"), 2 * 821u);
  ASSERT_TRUE(fs::exists(folder_ / "settings" / "tessara3_3_1.ico"));
  saved->Cols = 3;
  saved->ApplySize();
  saved->ComposeLayers();
  saved->SaveTessara();

  auto loaded = MakeForm();
  loaded->LoadTessara(3);
  loaded->FormShow();
  ASSERT_TRUE(loaded->LayersReady());
  EXPECT_FALSE(loaded->Icons().Built()) << "shown from the cached layers, not composed";
  for (int m = 0; m < 3; ++m) {
    ASSERT_EQ(loaded->Layer(m).ByteSize(), saved->Layers()[m].ByteSize());
    EXPECT_EQ(0, std::memcmp(loaded->Layer(m).Bits(), saved->Layers()[m].Bits(), saved->Layers()[m].ByteSize()))
        << "layer " << m;
  }
  EXPECT_EQ(loaded->View().Left(), 120);
  // Icons made from their cached bytes draw exactly like the extracted ones.
  loaded->ComposeLayers();
  for (int m = 0; m < 3; ++m)
    EXPECT_EQ(0, std::memcmp(loaded->Layers()[m].Bits(), saved->Layers()[m].Bits(), saved->Layers()[m].ByteSize()));
}

TEST(LegacyCodePageWin32, Windows1252KeepsWhatItCanHoldAndGivesShortNamesForTheRest) {
  const fs::path folder = fs::temp_directory_path() / ("tessara_cp_" + std::to_string(GetCurrentProcessId()));
  const fs::path chinese = folder / L"\u62A5\u544A\u6587\u6863.txt";
  fs::create_directories(folder);
  std::ofstream(chinese) << "x";
  std::wstring shortName(MAX_PATH, L'\0');
  shortName.resize(GetShortPathNameW(chinese.c_str(), shortName.data(), MAX_PATH));
  const auto codec = MakeLegacyCodec(1252);
  const struct { std::string text; bool name; std::string bytes; bool lossless; } rows[] = {
      {"C:\\Café\\menü.exe", true, "C:\\Caf\xE9\\men\xFC.exe", true},
      {"5 €", false, "5 \x80", true},  // the code page's own euro sign
      {reinterpret_cast<const char*>(chinese.u8string().c_str()), true, fs::path(shortName).string(), false},
      {"报告", false, "??", false},  // no such file, no nearer characters
      {"x😀", false, "x??", false},
  };
  for (const auto& r : rows) {
    const LegacyForm form = codec->ToLegacy(r.text, r.name);
    EXPECT_EQ(std::tie(form.Bytes, form.Lossless), std::tie(r.bytes, r.lossless)) << r.text;
    EXPECT_EQ(codec->ToProgram(form.Bytes) == r.text, r.lossless) << r.text;
  }
  fs::remove_all(folder);
}

TEST_F(PersistenceWin32Test, AnEarlierBuildsLatin1NamesComeBackUnchangedThroughCodePage1252) {
  SavedWindow();
  // Tiles and settings as an earlier build writes them: plain and Latin-1 texts in 1252.
  TileGrid earlier;
  earlier.Tile(1, 1).Filename = "C:\\windows\\notepad.exe";
  earlier.Tile(3, 1).Filename = "C:\\Caf\xE9\\men\xFC.exe";
  earlier.Tile(3, 1).Description = "Men\xFC \xC0 la carte";
  earlier.Tile(1, 1).LibIcon = earlier.Tile(3, 1).LibIcon = 2;
  const std::string tiles = (ScopedFileCodec(SameCodePage()), EncodeTileData(earlier));  // bytes as they are
  std::ofstream(folder_ / "settings" / "tessara3.dat", std::ios::binary) << tiles;
  std::string ini = ReadFile(folder_ / "tswin.ini");
  std::ofstream(folder_ / "tswin.ini", std::ios::binary) << ini.replace(ini.find("LetterFontName="), 15, "LetterFontName=Caf\xE9 Sans");
  const auto codec = MakeLegacyCodec(1252);
  const ScopedFileCodec scoped(*codec);
  auto loaded = MakeForm();
  loaded->LoadTessara(3);
  loaded->FormShow();
  EXPECT_EQ(loaded->Tile(3, 1).Description + ", " + loaded->LetterFont.Face, "Menü À la carte, Café Sans");
  loaded->SaveTessara();
  EXPECT_EQ(ReadFile(folder_ / "settings" / "tessara3.dat"), tiles);
  EXPECT_EQ(ReadFile(folder_ / "tswin.ini"), ini);
}

TEST_F(PersistenceWin32Test, DeletedIconIsExtractedAgainAndWrittenAtTheNextSave) {
  auto saved = SavedWindow();
  fs::remove(folder_ / "settings" / "tessara3_1_1.ico");
  auto loaded = MakeForm();
  loaded->LoadTessara(3);
  ASSERT_TRUE(loaded->Tile(1, 1).Icon);
  loaded->FormShow();
  loaded->SaveTessara();
  EXPECT_TRUE(IsValidIconFile(ReadFile(folder_ / "settings" / "tessara3_1_1.ico")));
}

TEST_F(PersistenceWin32Test, CorruptIconFileOfACachedWindowIsRepairedAtTheNextSave) {
  auto saved = SavedWindow();
  std::ofstream(folder_ / "settings" / "tessara3_1_1.ico", std::ios::binary) << "no icon here";
  auto loaded = MakeForm();
  loaded->LoadTessara(3);
  loaded->FormShow();
  ASSERT_FALSE(loaded->Icons().Built()) << "shown from the cached layers";
  loaded->SaveTessara();
  EXPECT_EQ(ReadFile(folder_ / "settings" / "tessara3_1_1.ico"), saved->Tile(1, 1).Icon->FileBytes());
}

TEST_F(PersistenceWin32Test, MissingSettingsFolderFailsTheSaveAndMarksTheLayersStale) {
  auto saved = SavedWindow();
  fs::remove_all(folder_ / "settings");
  saved->Color = 0x010203;
  try {
    saved->SaveTessara();
    FAIL() << "the save must fail";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file "), std::string::npos) << e.what();
  }
  EXPECT_NE(ReadFile(folder_ / "tswin.ini").find("LayersStale=1"), std::string::npos) << "the next start composes";
}

TEST_F(PersistenceWin32Test, DeleteAsksFirstAndANoChangesNothing) {
  auto form = SavedWindow();
  {
    MessageBoxWatcher no(IDNO);
    form->cmDeleteClick();
    EXPECT_EQ(no.Text(), "Are you sure you want to delete this tessara and all its contents?");
  }
  EXPECT_TRUE(form->Files().SaveOnExit());
  {
    MessageBoxWatcher yes(IDYES);
    form->cmDeleteClick();
  }
  EXPECT_FALSE(form->Files().SaveOnExit());
  EXPECT_FALSE(IsWindowVisible(static_cast<TessaraWindow&>(form->View()).Handle()));
  EXPECT_FALSE(form->Tile(1, 1).Icon) << "the icons are released";
}

TEST_F(PersistenceWin32Test, TileFileHeldWithoutSharingAtLoadIsLeftByteForByte) {
  SavedWindow();
  const fs::path tiles = folder_ / "settings" / "tessara3.dat";
  const std::string kept = ReadFile(tiles);
  HANDLE held = CreateFileW(tiles.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  MessageBoxWatcher ok;
  auto loaded = MakeForm();
  loaded->LoadTessara(3);
  CloseHandle(held);  // let go after the load, as a backup program does
  loaded->FormShow();
  loaded->SaveTessara();
  EXPECT_TRUE(ReadFile(tiles) == kept);
  EXPECT_NE(ok.Text().find("tessara3.dat"), std::string::npos) << ok.Text();
}

}  // namespace
}  // namespace tessara
