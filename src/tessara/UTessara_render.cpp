// TfrmTessara: composition of the three layers, tiles, cell shading and painting.
#include <string>

#include "render/drawbmps.h"
#include "render/shading.h"
#include "settings/atomicfile.h"
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::ComposeLayers() {
  LayersReady = false;
  layers_saved_ = false;
  layer_in_file_ = {};
  const int width = view_->Width();
  const int height = view_->Height();
  // The same-sized images of the last composition are reused: a fresh window-sized
  // allocation costs more in page faults than the passes themselves.
  for (auto& layer : Layers) layer.Resize(width, height);
  Bitmap24& normal = Layers[NormalLayer];
  if (normal.Empty()) return;

  EffectParams params{-1, Opacity != 0, Color, BorderType};
  switch (BackType) {
    case 0:
      FillBitmap(normal, Rgb::FromColor(Color));
      ApplyEffect(normal, params, scratch_);
      break;
    case 1:
      if (!BMPFilename.empty() && FileExists(BMPFilename)) {
        view_->LoadPicture(BMPFilename, picture_);
        TileBitmap(normal, picture_);
      } else {
        FillBitmap(normal, Rgb::FromColor(Color));
      }
      ApplyEffect(normal, params, scratch_);
      break;
    case 2:
      params.Effect = Effect;
      view_->CaptureBehind(normal, [&](Bitmap24& captured) { ApplyEffect(captured, params, scratch_); });
      break;
    default:
      // Only a hand-edited file gets here: no background, no pass.
      FillBitmap(normal, Rgb{});
      break;
  }
  if (BorderType & 1) DrawOutline(normal, Rgb{});
  CopyPixels(Layers[HoverLayer], normal);
  CopyPixels(Layers[PressedLayer], normal);
  ShadeCells(0, Layers[HoverLayer]);
  ShadeCells(1, Layers[PressedLayer]);
  if (!IconsBuilt) {
    // Tiles are drawn once below; drawing them here as well would lay alpha-blended icon
    // edges over themselves twice.
    for (int col = 1; col <= Cols; ++col)
      for (int row = 1; row <= Rows; ++row) LoadIconOnly(col, row);
    IconsBuilt = true;
  }
  for (int col = 1; col <= Cols; ++col)
    for (int row = 1; row <= Rows; ++row) DrawTile(col, row);
  LayersReady = true;
  FormPaint();
}

void TfrmTessara::FormPaint() {
  const Bitmap24& normal = Layers[NormalLayer];
  if (LayersReady && !normal.Empty()) view_->PaintRect(normal, 0, 0, normal.Width(), normal.Height());
}

void TfrmTessara::LoadIconOnly(int col, int row) {
  TTileRecord& r = Tile(col, row);
  r.Icon.reset();
  // An empty cell shows nothing and its other fields are never read: extracting (and
  // rewriting) them would only cost time.
  if (r.Empty()) return;
  std::unique_ptr<TileIcon> icon;
  if (r.LibIcon != 0) {
    icon = view_->ExtractTileIcon(IconLibraryPath(), r.LibIcon);
    if (!icon) icon = view_->ExtractTileIcon(view_->ProgramPath(), 0);
  } else {
    // IconIndex 0 names no icon of the file: it goes down the fallbacks like a missing one.
    if (r.IconIndex >= 1) icon = view_->ExtractTileIcon(r.IconFile, r.IconIndex - 1);
    if (!icon) {
      const std::string program = view_->FindAssociatedProgram(r.IconFile);
      r.IconFile = FitText(program, kIconFileCap);
      r.IconIndex = 1;
      if (!program.empty()) icon = view_->ExtractTileIcon(program, 0);
    }
    if (!icon) {
      r.IconFile = FitText(IconLibraryPath(), kIconFileCap);
      r.IconIndex = 1;
      icon = view_->ExtractTileIcon(IconLibraryPath(), 0);
    }
    if (!icon) {
      r.IconFile = FitText(view_->ProgramPath(), kIconFileCap);
      r.IconIndex = 1;
      icon = view_->ExtractTileIcon(view_->ProgramPath(), 0);
    }
  }
  r.Icon = std::move(icon);
}

void TfrmTessara::LoadTileIcon(int col, int row) {
  LoadIconOnly(col, row);
  if (LayersReady) {
    DrawTile(col, row);
    DrawCell(NormalLayer, col, row);
  }
}

void TfrmTessara::LoadAllIcons() {
  for (int col = 1; col <= Cols; ++col)
    for (int row = 1; row <= Rows; ++row) LoadTileIcon(col, row);
  IconsBuilt = true;
}

void TfrmTessara::DrawTile(int col, int row) {
  TTileRecord& r = Tile(col, row);
  if (r.Empty()) return;
  // A cached icon that cannot be read counts as missing: it is extracted again.
  if (r.Icon && !r.Icon->Usable()) LoadIconOnly(col, row);
  int x = 0, y = 0;
  IconPosition(col, row, x, y);
  for (int m = NormalLayer; m <= PressedLayer; ++m) {
    Bitmap24& layer = Layer(m);
    if (layer.Empty()) continue;
    if (r.Icon) view_->DrawIcon(layer, *r.Icon, x, y);
    if (r.Drive != 0) {
      const std::string text{static_cast<char>(64 + r.Drive), ':'};
      if (LetterShadow) view_->DrawLayerText(layer, x + 1, y + 1, text, 0x000000);
      view_->DrawLayerText(layer, x, y, text, 0xFFFFFF);
    }
  }
}

void TfrmTessara::ShadeCells(int mode, Bitmap24& layer) {
  if (layer.Empty()) return;
  tessara::ShadeCells(layer, mode == 0 ? CellShade::Raised : CellShade::Sunken,
                      CellGrid{Cols, Rows, TileWidth, TileHeight, CellSpacing, Border});
}

void TfrmTessara::DrawCell(int layer, int col, int row) {
  const CellRect cell = CellRectOf(col, row);
  view_->PaintRect(Layer(layer), cell.Left, cell.Top, cell.Width, cell.Height);
  if (layer == NormalLayer) {
    HoverCol = -1;
  } else {
    HoverCol = col;
    HoverRow = row;
  }
}

void TfrmTessara::SyncMenuChecks() {
  if (BorderType & 1) view_->SetMenuCheck(MenuId::cmBlackFrame, true);
  if (BorderType & 2) view_->SetMenuCheck(MenuId::cm3DFrame, true);
  view_->SetMenuCheck(MenuId::cmTint, Opacity != 0);
  for (int i = 0; i < 5; ++i) view_->SetMenuCheck(kEffectItems[i], Effect == i);
}

}  // namespace tessara
