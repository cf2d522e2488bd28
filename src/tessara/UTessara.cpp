#include "tessara/UTessara.h"

#include <string>

#include "app/globals.h"
#include "app/rng.h"

namespace tessara {

namespace {
// A brand-new window: 2 x 3 cells of 36 x 36 inside a border of 2.
constexpr int kNewWidth = 76;
constexpr int kNewHeight = 112;
}  // namespace

TRegVal::Lines TessaraBooleanKeys() { return {"LetterShadow=0"}; }
TRegVal::Lines TessaraIntegerKeys() {
  return {"Left=0",      "Top=0",           "Cols=2",         "Rows=3",
          "TileWidth=36", "TileHeight=36",  "CellSpacing=0",  "Color=$707070",
          "Border=2",     "BorderSpacing=0", "BorderType=2",  "BackType=0",
          "Opacity=50",   "Effect=0"};
}
TRegVal::Lines TessaraStringKeys() { return {"BMPFilename="}; }

TfrmTessara::TfrmTessara(TfrmMain* main, std::unique_ptr<ITessaraView> view,
                         const std::string& programFolder)
    : main_(main), view_(std::move(view)) {
  ini.UseStartUpDir = false;
  ini.IniFileName = programFolder + "tswin.ini";
  ini.Set_Booleans(TessaraBooleanKeys());
  ini.Set_Integers(TessaraIntegerKeys());
  ini.Set_Strings(TessaraStringKeys());
  view_->Attach(this);
}

TfrmTessara::~TfrmTessara() = default;

void TfrmTessara::FormCreate() { SaveOnExit = true; }

void TfrmTessara::SetNumber(int number) {
  Tag = number;
  ini.IniSection = std::to_string(number);
}

void TfrmTessara::LoadTessara(int number) {
  SetNumber(number);
  ini.ReadSettings();
  Color = ini.IntegerValue("Color");
  view_->SetColor(Color);
  view_->SetBounds(ini.IntegerValue("Left"), ini.IntegerValue("Top"), kNewWidth, kNewHeight);
}

void TfrmTessara::SetDefaults() {
  Color = 0x707070;
  view_->SetColor(Color);
  const ScreenSize screen = view_->Screen();
  const int left = Random(screen.Width - kNewWidth);
  const int top = Random(screen.Height - kNewHeight - 20);
  view_->SetBounds(left, top, kNewWidth, kNewHeight);
}

void TfrmTessara::FormShow() { view_->Show(); }

void TfrmTessara::SaveTessara() {
  if (Starting) return;
  // The window's own files arrive with its persistence; nothing is written yet.
}

void TfrmTessara::FormDestroy() {
  if (SaveOnExit) SaveTessara();
}

}  // namespace tessara
