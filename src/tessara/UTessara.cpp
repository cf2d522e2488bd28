// TfrmTessara: creation, loading, defaults, showing and destruction.
#include "tessara/UTessara.h"

#include <string>

#include "app/UMain.h"
#include "app/globals.h"
#include "app/rng.h"

namespace tessara {

TRegVal::Lines TessaraBooleanKeys() { return {"LetterShadow=0"}; }
TRegVal::Lines TessaraIntegerKeys() {
  return {"Left=0",       "Top=0",           "Cols=2",        "Rows=3",
          "TileWidth=36", "TileHeight=36",   "CellSpacing=0", "Color=$707070",
          "Border=2",     "BorderSpacing=0", "BorderType=2",  "BackType=0",
          "Opacity=50",   "Effect=0"};
}
TRegVal::Lines TessaraStringKeys() { return {"BMPFilename="}; }

TfrmTessara::TfrmTessara(TfrmMain* main, std::unique_ptr<ITessaraView> view,
                         const std::string& programFolder)
    : main_(main), view_(std::move(view)), program_folder_(programFolder) {
  ini.UseStartUpDir = false;
  ini.IniFileName = programFolder + "tswin.ini";
  ini.Set_Booleans(TessaraBooleanKeys());
  ini.Set_Integers(TessaraIntegerKeys());
  ini.Set_Strings(TessaraStringKeys());
  view_->Attach(this);
}

TfrmTessara::~TfrmTessara() {
  // The view goes first: it must not route messages to a half-destroyed form.
  view_.reset();
}

void TfrmTessara::FormCreate() {
  ClearTiles();
  SaveOnExit = true;
  LayersReady = false;
  HoverCol = -1;
  Pressing = false;
  Moving = false;
  SelCol = -1;
  SelRow = -1;
  IconsBuilt = false;
}

void TfrmTessara::SetNumber(int number) {
  Tag = number;
  ini.IniSection = std::to_string(number);
}

void TfrmTessara::ApplySize() {
  const int width = CalcWidth();
  const int height = CalcHeight();
  view_->SetBounds(view_->Left(), view_->Top(), width, height);
}

void TfrmTessara::LoadTessara(int number) {
  SetNumber(number);
  ini.ReadSettings();
  Left = ini.IntegerValue("Left");
  Top = ini.IntegerValue("Top");
  Cols = ini.IntegerValue("Cols");
  Rows = ini.IntegerValue("Rows");
  TileWidth = ini.IntegerValue("TileWidth");
  TileHeight = ini.IntegerValue("TileHeight");
  Border = ini.IntegerValue("Border");
  BorderSpacing = ini.IntegerValue("BorderSpacing");
  Color = ini.IntegerValue("Color");
  CellSpacing = ini.IntegerValue("CellSpacing");
  BorderType = ini.IntegerValue("BorderType");
  BackType = ini.IntegerValue("BackType");
  Opacity = ini.IntegerValue("Opacity");
  Effect = ini.IntegerValue("Effect");
  BMPFilename = ini.StringValue("BMPFilename");
  LetterShadow = ini.BooleanValue("LetterShadow");
  // A hand-edited file may hold anything; the grid must stay inside the tile array.
  ClampToModel();
  view_->SetColor(Color);
  view_->SetBounds(Left, Top, CalcWidth(), CalcHeight());
}

void TfrmTessara::SetDefaults() {
  Cols = 2;
  Rows = 3;
  TileWidth = 36;
  TileHeight = 36;
  CellSpacing = 0;
  BorderSpacing = 0;
  Border = 2;
  Color = 0x707070;
  BorderType = 3;
  BackType = 2;
  Opacity = 50;
  Effect = 0;
  BMPFilename.clear();
  view_->SetColor(Color);
  const int width = CalcWidth();
  const int height = CalcHeight();
  const ScreenSize screen = view_->Screen();
  Left = Random(screen.Width - width);
  Top = Random(screen.Height - height - 20);
  view_->SetBounds(Left, Top, width, height);
}

void TfrmTessara::FormShow() {
  UpdateBorder();
  SyncMenuChecks();
  ComposeLayers();
  view_->Show();
}

void TfrmTessara::SaveTessara() {
  if (Starting) return;
  // The window's own files arrive with its persistence; nothing is written yet.
}

void TfrmTessara::FormDestroy() {
  if (SaveOnExit) SaveTessara();
}

}  // namespace tessara
