// TfrmTessara: the window properties dialog, its Apply and the floating hint.
#include <utility>

#include "tessara/UTessara.h"

namespace tessara {

namespace {

// The open dialog is known to ApplyProperties for exactly as long as it exists, also when
// a handler throws.
class OpenDialog {
 public:
  explicit OpenDialog(TfrmTSProperties& dialog) : previous_(std::exchange(frmTSProperties, &dialog)) {}
  ~OpenDialog() { frmTSProperties = previous_; }
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;

 private:
  TfrmTSProperties* previous_;
};

}  // namespace

void TfrmTessara::cmWindowPropertiesClick() {
  TfrmTSProperties dialog(view_->MakePropertiesView());
  OpenDialog open(dialog);
  dialog.Target = [this] { ApplyProperties(); };
  const int values[kTSBarCount] = {Cols, Rows, TileWidth, TileHeight, BorderSpacing, CellSpacing};
  for (int i = 0; i < kTSBarCount; ++i) dialog.SetPosition(static_cast<TSBar>(i), values[i]);
  dialog.SetPanelColor(Color);
  dialog.SetBackType(BackType);
  dialog.SetBitmapFile(BMPFilename);
  dialog.SetChecked(TSCheck::DriveLetterShadow, LetterShadow);
  dialog.SetChecked(TSCheck::BlackFrame, (BorderType & 1) != 0);
  dialog.SetChecked(TSCheck::Frame3D, (BorderType & 2) != 0);
  // The labels tell the stored numbers, also where a bar had to clamp them.
  for (int i = 0; i < kTSBarCount; ++i) dialog.SetLabelText(static_cast<TSBar>(i), std::to_string(values[i]));
  // The hint and the font are kept per window, so the dialog shows this window's.
  dialog.SetChecked(TSCheck::FloatHint, FloatHint);
  dialog.SetHintColors(HintColor, HintTextColor);
  if (!LetterFont.Face.empty()) dialog.SetLetterFont(LetterFont);
  const auto life = Life();
  if (dialog.ShowModal() && StillHere(life)) ApplyProperties();
}

void TfrmTessara::ApplyProperties() {
  if (!frmTSProperties) return;
  const TfrmTSProperties& d = *frmTSProperties;
  Cols = d.Position(TSBar::Cols);
  Rows = d.Position(TSBar::Rows);
  TileWidth = d.Position(TSBar::TileWidth);
  TileHeight = d.Position(TSBar::TileHeight);
  BorderSpacing = d.Position(TSBar::BorderSpacing);
  CellSpacing = d.Position(TSBar::CellSpacing);
  Color = d.PanelColor();
  BackType = d.BackType();
  BMPFilename = d.BitmapFile();
  LetterShadow = d.Checked(TSCheck::DriveLetterShadow);
  BorderType = 0;
  if (d.Checked(TSCheck::BlackFrame)) BorderType |= 1;
  if (d.Checked(TSCheck::Frame3D)) BorderType |= 2;
  view_->SetMenuCheck(MenuId::cmBlackFrame, (BorderType & 1) != 0);
  view_->SetMenuCheck(MenuId::cm3DFrame, (BorderType & 2) != 0);
  FloatHint = d.Checked(TSCheck::FloatHint);
  HintColor = d.HintColor();
  HintTextColor = d.HintTextColor();
  if (!FloatHint) HintHide();
  // A window that never had a font of its own keeps the default until one is chosen.
  if (d.FontChosen() || !LetterFont.Face.empty()) {
    LetterFont = d.LetterFont();
    view_->SetLetterFont(LetterFont);
  }
  view_->SetColor(Color);
  ApplySize();
  // Tiles that lay outside the grid when the icons were first built have none yet. A read of
  // every cell: through the const model, so the empty ones get no record.
  const TessaraModel& model = *this;
  for (int col = 1; col <= Cols; ++col)
    for (int row = 1; row <= Rows; ++row)
      if (model.Occupied(col, row) && !model.Tile(col, row).Icon) icons_.Load(col, row);
  ComposeLayers();
  view_->TilesReordered();
  SaveChange();
}

void TfrmTessara::HintOver(int col, int row, int screenX, int screenY) {
  hint_.Over(col, row, screenX, screenY, view_->Left(), view_->Top());
}

void TfrmTessara::HintHide() { hint_.Hide(); }

}  // namespace tessara
