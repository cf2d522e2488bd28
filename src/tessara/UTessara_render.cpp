// TfrmTessara: painting where it crosses roles. The composer composes and paints the layers,
// the tile icons role loads the icons; here a tile's new icon reaches the layers and a shown
// cell reaches the lit cell.
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::LoadTileIcon(int col, int row) {
  icons_.Load(col, row);
  if (composer_.Ready()) {
    composer_.DrawTile(col, row);
    DrawCell(NormalLayer, col, row);
  }
}

void TfrmTessara::DrawCell(int layer, int col, int row) {
  composer_.PaintCell(layer, col, row);
  Lit.Painted(col, row, layer != NormalLayer);
}

void TfrmTessara::SyncMenuChecks() {
  if (BorderType & 1) view_->SetMenuCheck(MenuId::cmBlackFrame, true);
  if (BorderType & 2) view_->SetMenuCheck(MenuId::cm3DFrame, true);
  view_->SetMenuCheck(MenuId::cmTint, Opacity != 0);
  for (int i = 0; i < 5; ++i) view_->SetMenuCheck(kEffectItems[i], Effect == i);
}

}  // namespace tessara
