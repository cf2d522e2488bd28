// TfrmTessara: composition of the three layers, tiles, cell shading and painting.
#include <array>
#include <new>
#include <string>

#include "base/phases.h"
#include "render/drawbmps.h"
#include "render/shading.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/error.h"
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::ComposeLayers() {
  const bool held = BackType == 2 && CaptureHeld();
  // Any composition that is not held either captures or needs no capture.
  capture_wanted_ = held;
  const int width = view_->Width();
  const int height = view_->Height();
  // What the window shows now: kept while no capture may be taken, or should the screen
  // refuse to be copied.
  const bool shown = LayersReady && Layers[NormalLayer].Width() == width && Layers[NormalLayer].Height() == height;
  if (held && shown) return;
  const PhaseTimer timer(Phase::Composing);
  const std::array<bool, 3> shownInFile = layer_in_file_;
  LayersReady = false;
  layers_saved_ = false;
  layer_in_file_ = {};
  picture_stand_in_ = false;
  capture_failed_ = false;
  // The same-sized images of the last composition are reused: a fresh window-sized
  // allocation costs more in page faults than the passes themselves.
  for (auto& layer : Layers) layer.Resize(width, height);
  Bitmap24& normal = Layers[NormalLayer];
  if (normal.Empty()) return;

  // Scratch of this composition only: the pass's second buffer (a window-sized image for
  // blur, displace, emboss and monochrome) and the decoded background picture go back when
  // it ends instead of staying beside the layers for the window's life.
  EffectScratch scratch;
  Bitmap24 picture;
  EffectParams params{-1, Opacity != 0, Color, BorderType, OutlineWidth(), EdgeWidth()};
  switch (BackType) {
    case 0: {
      const PhaseTimer timer(Phase::PixelPasses);
      FillBitmap(normal, Rgb::FromColor(Color));
      ApplyEffect(normal, params, scratch);
      break;
    }
    case 1: {
      bool read = false;
      if (!BMPFilename.empty() && FileExists(BMPFilename)) {
        const PhaseTimer timer(Phase::Pictures);
        read = LoadBackground(picture);
      }
      const PhaseTimer timer(Phase::PixelPasses);
      if (read) {
        TileBitmap(normal, picture);
      } else {
        FillBitmap(normal, Rgb::FromColor(Color));
      }
      ApplyEffect(normal, params, scratch);
      break;
    }
    case 2: {
      if (held) {
        // Not to be cached: the next start composes with the real background.
        picture_stand_in_ = true;
        FillBitmap(normal, Rgb::FromColor(Color));
        ApplyEffect(normal, params, scratch);
        break;
      }
      params.Effect = Effect;
      // The hint floats above the screen: it must not become part of the background.
      HintHide();
      const PhaseTimer timer(Phase::Captures);
      const CaptureResult captured = view_->CaptureBehind(normal, [&](Bitmap24& screen) {
        const PhaseTimer pass(Phase::PixelPasses);
        ApplyEffect(screen, params, scratch);
      });
      // Cut short, the composition is abandoned: the layers stay unready and unsaved, and
      // the next start composes.
      if (captured == CaptureResult::CutShort) return;
      if (captured == CaptureResult::CopyFailed) {
        // The window keeps what it shows, or shows its colour; the caches keep neither, so
        // the next composition and the next start copy the screen again.
        capture_failed_ = true;
        if (shown && TakeInLayerFiles(shownInFile)) {
          LayersReady = true;
          FormPaint();
          return;
        }
        const PhaseTimer pass(Phase::PixelPasses);
        FillBitmap(normal, Rgb::FromColor(Color));
        params.Effect = -1;
        ApplyEffect(normal, params, scratch);
      }
      break;
    }
    default:
      // Only a hand-edited file gets here: no background, no pass.
      FillBitmap(normal, Rgb{});
      break;
  }
  {
    const PhaseTimer timer(Phase::PixelPasses);
    if (BorderType & 1) DrawOutline(normal, Rgb{}, OutlineWidth());
    CopyPixels(Layers[HoverLayer], normal);
    CopyPixels(Layers[PressedLayer], normal);
    ShadeCells(0, Layers[HoverLayer]);
    ShadeCells(1, Layers[PressedLayer]);
  }
  if (!IconsBuilt) {
    const PhaseTimer timer(Phase::IconExtraction);
    // Tiles are drawn once below; drawing them here as well would lay alpha-blended icon
    // edges over themselves twice.
    IconMemo memo;
    for (int col = 1; col <= Cols; ++col)
      for (int row = 1; row <= Rows; ++row) LoadIconOnly(col, row, &memo);
    IconsBuilt = true;
  }
  {
    const PhaseTimer timer(Phase::IconDrawing);
    for (int col = 1; col <= Cols; ++col)
      for (int row = 1; row <= Rows; ++row) DrawTile(col, row);
  }
  LayersReady = true;
  FormPaint();
}

bool TfrmTessara::TakeInLayerFiles(const std::array<bool, 3>& inFile) {
  const Bitmap24& normal = Layers[NormalLayer];
  for (int m = HoverLayer; m <= PressedLayer; ++m) {
    Bitmap24& layer = Layers[static_cast<std::size_t>(m)];
    if (inFile[static_cast<std::size_t>(m)] &&
        (!LoadBmp24File(LayerCacheFile(program_folder_, Tag, m), layer) || layer.Width() != normal.Width() ||
         layer.Height() != normal.Height()))
      return false;
  }
  return true;
}

bool TfrmTessara::LoadBackground(Bitmap24& picture) {
  std::string error;
  try {
    view_->LoadPicture(BMPFilename, picture);
    picture_error_shown_.clear();
    return true;
  } catch (const Error& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = "Cannot load the picture " + BMPFilename;
  }
  // One unreadable picture must not cost the window (or, at start, every later window):
  // the window shows its colour instead and keeps its settings, so the picture comes back
  // once it can be read.
  picture.Clear();
  picture_stand_in_ = true;
  if (picture_error_shown_ != BMPFilename) {
    picture_error_shown_ = BMPFilename;
    ShowError(error);
  }
  return false;
}

Bitmap24& TfrmTessara::DrawingLayer(int m) {
  Bitmap24& layer = Layer(m);
  layers_saved_ = false;
  return layer;
}

void TfrmTessara::FormPaint() {
  const Bitmap24& normal = Layers[NormalLayer];
  if (LayersReady && !normal.Empty()) view_->PaintRect(normal, 0, 0, normal.Width(), normal.Height());
}

bool TfrmTessara::IconSourceGone(const std::string& file) {
  // Without a folder of its own the name cannot be out of reach.
  const std::size_t slash = file.find_last_of("\\/");
  if (slash == std::string::npos) return true;
  return view_->DirectoryReachable(file.substr(0, slash + 1));
}

std::unique_ptr<TileIcon> IconMemo::Extract(IIconSource& icons, const std::string& file, int index) {
  auto [at, added] = icons_.try_emplace({file, index});
  if (added) at->second = icons.ExtractTileIcon(file, index);
  return at->second ? icons.ShareIcon(*at->second) : nullptr;
}

std::string IconMemo::FindAssociatedProgram(IIconSource& icons, const std::string& file) {
  auto [at, added] = programs_.try_emplace(file);
  if (added) at->second = icons.FindAssociatedProgram(file);
  return at->second;
}

void TfrmTessara::LoadIconOnly(int col, int row, IconMemo* memo) {
  // A pass over the whole grid comes here for every cell: one never written has no icon to
  // drop or load, and its record stays unmade.
  TTileRecord* found = Find(col, row);
  if (!found) return;
  TTileRecord& r = *found;
  r.Icon.reset();
  // An empty cell shows nothing and its other fields are never read: extracting (and
  // rewriting) them would only cost time.
  if (r.Empty()) return;
  IconMemo single;
  IconMemo& shared = memo ? *memo : single;
  const auto extract = [&](const std::string& file, int index) { return shared.Extract(*view_, file, index); };
  std::unique_ptr<TileIcon> icon;
  if (r.LibIcon != 0) {
    icon = extract(IconLibraryPath(), r.LibIcon);
    if (!icon) icon = extract(view_->ProgramPath(), 0);
  } else {
    // IconIndex 0 names no icon of the file: it goes down the fallbacks like a missing one.
    if (r.IconIndex >= 1) icon = extract(r.IconFile, r.IconIndex - 1);
    if (!icon) {
      std::string source = shared.FindAssociatedProgram(*view_, r.IconFile);
      if (!source.empty()) icon = extract(source, 0);
      if (!icon) {
        source = IconLibraryPath();
        icon = extract(source, 0);
      }
      if (!icon) {
        source = view_->ProgramPath();
        icon = extract(source, 0);
      }
      if (IconSourceGone(r.IconFile)) {
        r.IconFile = FitText(source, kIconFileCap);
        r.IconIndex = 1;
      } else if (icon) {
        // The file may only be away for now (a removable drive, a network share): the user's
        // choice stays, and the fallback is shown for this session only.
        icon->StandIn = true;
      }
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

void TfrmTessara::DrawTile(int col, int row) {
  // A composition walks every cell: an empty one draws nothing and its record stays unmade.
  TTileRecord* found = Find(col, row);
  if (!found || found->Empty()) return;
  TTileRecord& r = *found;
  // A cached icon that cannot be read counts as missing: it is extracted again.
  if (r.Icon && !r.Icon->Usable()) LoadIconOnly(col, row);
  int x = 0, y = 0;
  IconPosition(col, row, x, y);
  for (int m = NormalLayer; m <= PressedLayer; ++m) {
    Bitmap24& layer = DrawingLayer(m);
    if (layer.Empty()) continue;
    if (r.Icon) view_->DrawIcon(layer, *r.Icon, x, y);
    if (r.Drive != 0) {
      const std::string text{static_cast<char>(64 + r.Drive), ':'};
      if (LetterShadow) view_->DrawLayerText(layer, x + Scaled(1), y + Scaled(1), text, 0x000000);
      view_->DrawLayerText(layer, x, y, text, 0xFFFFFF);
    }
  }
}

void TfrmTessara::ShadeCells(int mode, Bitmap24& layer) {
  if (layer.Empty()) return;
  layers_saved_ = false;
  tessara::ShadeCells(layer, mode == 0 ? CellShade::Raised : CellShade::Sunken,
                      CellGrid{Cols, Rows, Scaled(TileWidth), Scaled(TileHeight), Scaled(CellSpacing),
                               DeviceBorder(), EdgeWidth()});
}

void TfrmTessara::DrawCell(int layer, int col, int row) {
  const CellRect cell = CellRectOf(col, row);
  view_->PaintRect(Layer(layer), cell.Left, cell.Top, cell.Width, cell.Height);
  Lit.Painted(col, row, layer != NormalLayer);
}

void TfrmTessara::SyncMenuChecks() {
  if (BorderType & 1) view_->SetMenuCheck(MenuId::cmBlackFrame, true);
  if (BorderType & 2) view_->SetMenuCheck(MenuId::cm3DFrame, true);
  view_->SetMenuCheck(MenuId::cmTint, Opacity != 0);
  for (int i = 0; i < 5; ++i) view_->SetMenuCheck(kEffectItems[i], Effect == i);
}

}  // namespace tessara
