#include "tessara/composer.h"

#include <new>
#include <utility>

#include "base/phases.h"
#include "render/drawbmps.h"
#include "render/effects.h"
#include "render/shading.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/error.h"

namespace tessara {

Composer::Composer(const TessaraModel& model, IFrame& frame, ISurface& surface, TileIcons& icons,
                   FloatingHint& hint, std::string programFolder, std::function<bool()> captureHeld)
    : model_(model),
      frame_(frame),
      surface_(surface),
      icons_(icons),
      hint_(hint),
      program_folder_(std::move(programFolder)),
      capture_held_(std::move(captureHeld)) {}

std::string Composer::CacheFile(int m) const { return LayerCacheFile(program_folder_, number_, m); }

void Composer::Compose() {
  const bool held = model_.BackType == 2 && capture_held_();
  // Any composition that is not held either captures or needs no capture.
  capture_wanted_ = held;
  const int width = frame_.Width();
  const int height = frame_.Height();
  // What the window shows now: kept while no capture may be taken, or should the screen
  // refuse to be copied.
  const bool shown = ready_ && layers_[NormalLayer].Width() == width && layers_[NormalLayer].Height() == height;
  if (held && shown) return;
  const PhaseTimer timer(Phase::Composing);
  const std::array<bool, 3> shownInFile = in_file_;
  ready_ = false;
  saved_ = false;
  in_file_ = {};
  picture_stand_in_ = false;
  capture_failed_ = false;
  // The same-sized images of the last composition are reused: a fresh window-sized
  // allocation costs more in page faults than the passes themselves.
  for (auto& layer : layers_) layer.Resize(width, height);
  Bitmap24& normal = layers_[NormalLayer];
  if (normal.Empty()) return;

  // Scratch of this composition only: the pass's second buffer (a window-sized image for
  // blur, displace, emboss and monochrome) and the decoded background picture go back when
  // it ends instead of staying beside the layers for the window's life.
  EffectScratch scratch;
  Bitmap24 picture;
  EffectParams params{-1, model_.Opacity != 0, model_.Color, model_.BorderType, model_.OutlineWidth(),
                      model_.EdgeWidth()};
  const Rgb color = Rgb::FromColor(model_.Color);
  switch (model_.BackType) {
    case 0: {
      const PhaseTimer timer(Phase::PixelPasses);
      FillBitmap(normal, color);
      ApplyEffect(normal, params, scratch);
      break;
    }
    case 1: {
      bool read = false;
      if (!model_.BMPFilename.empty() && FileExists(model_.BMPFilename)) {
        const PhaseTimer timer(Phase::Pictures);
        read = LoadBackground(picture);
      }
      const PhaseTimer timer(Phase::PixelPasses);
      if (read) {
        TileBitmap(normal, picture);
      } else {
        FillBitmap(normal, color);
      }
      ApplyEffect(normal, params, scratch);
      break;
    }
    case 2: {
      if (held) {
        // Not to be cached: the next start composes with the real background.
        picture_stand_in_ = true;
        FillBitmap(normal, color);
        ApplyEffect(normal, params, scratch);
        break;
      }
      params.Effect = model_.Effect;
      // The hint floats above the screen: it must not become part of the background.
      hint_.Hide();
      const PhaseTimer timer(Phase::Captures);
      const CaptureResult captured = surface_.CaptureBehind(normal, [&](Bitmap24& screen) {
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
          ready_ = true;
          Paint();
          return;
        }
        const PhaseTimer pass(Phase::PixelPasses);
        FillBitmap(normal, color);
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
    if (model_.BorderType & 1) DrawOutline(normal, Rgb{}, model_.OutlineWidth());
    CopyPixels(layers_[HoverLayer], normal);
    CopyPixels(layers_[PressedLayer], normal);
    ShadeCells(0, layers_[HoverLayer]);
    ShadeCells(1, layers_[PressedLayer]);
  }
  if (!icons_.Built()) {
    const PhaseTimer timer(Phase::IconExtraction);
    // Tiles are drawn once below; drawing them here as well would lay alpha-blended icon
    // edges over themselves twice.
    icons_.BuildAll();
  }
  {
    const PhaseTimer timer(Phase::IconDrawing);
    for (int col = 1; col <= model_.Cols; ++col)
      for (int row = 1; row <= model_.Rows; ++row) DrawTile(col, row);
  }
  ready_ = true;
  Paint();
}

bool Composer::TakeInLayerFiles(const std::array<bool, 3>& inFile) {
  const Bitmap24& normal = layers_[NormalLayer];
  for (int m = HoverLayer; m <= PressedLayer; ++m) {
    Bitmap24& layer = layers_[static_cast<std::size_t>(m)];
    if (inFile[static_cast<std::size_t>(m)] &&
        (!LoadBmp24File(CacheFile(m), layer) || layer.Width() != normal.Width() || layer.Height() != normal.Height()))
      return false;
  }
  return true;
}

bool Composer::LoadBackground(Bitmap24& picture) {
  const std::string& file = model_.BMPFilename;
  std::string error;
  try {
    surface_.LoadPicture(file, picture);
    picture_error_shown_.clear();
    return true;
  } catch (const Error& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = "Cannot load the picture " + file;
  }
  // One unreadable picture must not cost the window (or, at start, every later window):
  // the window shows its colour instead and keeps its settings, so the picture comes back
  // once it can be read.
  picture.Clear();
  picture_stand_in_ = true;
  if (picture_error_shown_ != file) {
    picture_error_shown_ = file;
    ShowError(error);
  }
  return false;
}

Bitmap24& Composer::Layer(int m) {
  const auto i = static_cast<std::size_t>(m);
  if (in_file_[i]) {
    in_file_[i] = false;
    const bool read = LoadBmp24File(CacheFile(m), layers_[i]);
    // The file changed under us since the show: the image is made afresh instead.
    if (!read || layers_[i].Width() != layers_[NormalLayer].Width() ||
        layers_[i].Height() != layers_[NormalLayer].Height()) {
      // That layer is lost: the layers are no longer whole to be kept.
      ready_ = false;
      Compose();
    }
  }
  return layers_[i];
}

Bitmap24& Composer::DrawingLayer(int m) {
  Bitmap24& layer = Layer(m);
  saved_ = false;
  return layer;
}

void Composer::Paint() {
  const Bitmap24& normal = layers_[NormalLayer];
  if (ready_ && !normal.Empty()) surface_.PaintRect(normal, 0, 0, normal.Width(), normal.Height());
}

void Composer::DrawTile(int col, int row) {
  // A composition walks every cell: an empty one draws nothing and its record stays unmade.
  const TTileRecord* found = model_.Find(col, row);
  if (!found || found->Empty()) return;
  const TTileRecord& r = *found;
  // A cached icon that cannot be read counts as missing: it is extracted again.
  if (r.Icon && !r.Icon->Usable()) icons_.Load(col, row);
  int x = 0, y = 0;
  model_.IconPosition(col, row, x, y);
  for (int m = NormalLayer; m <= PressedLayer; ++m) {
    Bitmap24& layer = DrawingLayer(m);
    if (layer.Empty()) continue;
    if (r.Icon) surface_.DrawIcon(layer, *r.Icon, x, y);
    if (r.Drive != 0) {
      const std::string text{static_cast<char>(64 + r.Drive), ':'};
      if (model_.LetterShadow)
        surface_.DrawLayerText(layer, x + model_.Scaled(1), y + model_.Scaled(1), text, 0x000000);
      surface_.DrawLayerText(layer, x, y, text, 0xFFFFFF);
    }
  }
}

void Composer::ShadeCells(int mode, Bitmap24& layer) {
  if (layer.Empty()) return;
  saved_ = false;
  tessara::ShadeCells(layer, mode == 0 ? CellShade::Raised : CellShade::Sunken,
                      CellGrid{model_.Cols, model_.Rows, model_.Scaled(model_.TileWidth),
                               model_.Scaled(model_.TileHeight), model_.Scaled(model_.CellSpacing),
                               model_.DeviceBorder(), model_.EdgeWidth()});
}

void Composer::PaintCell(int layer, int col, int row) {
  const CellRect cell = model_.CellRectOf(col, row);
  surface_.PaintRect(Layer(layer), cell.Left, cell.Top, cell.Width, cell.Height);
}

void Composer::Renumber(int number) {
  for (int m = HoverLayer; m <= PressedLayer; ++m) Layer(m);
  number_ = number;
  saved_ = false;  // the files of the new number hold another window's image
}

bool Composer::LoadCaches() {
  std::array<std::string, 3> files;
  for (int m = 0; m < 3; ++m) {
    files[m] = CacheFile(m);
    if (!FileExists(files[m])) return false;
  }
  // A file that cannot be read counts as missing: the window composes again.
  Bitmap24& normal = layers_[NormalLayer];
  if (!LoadBmp24File(files[NormalLayer], normal)) return false;
  bool fit = normal.Width() == frame_.Width() && normal.Height() == frame_.Height();
  for (int m = HoverLayer; m <= PressedLayer; ++m) {
    int width = 0, height = 0;
    if (!ReadBmp24Size(files[m], width, height)) return false;
    fit = fit && width == frame_.Width() && height == frame_.Height();
  }
  if (!fit) return false;
  in_file_ = {false, true, true};
  ready_ = true;
  saved_ = true;
  return true;
}

void Composer::SaveCaches(const std::function<void()>& markStale) {
  if (!ready_) return;
  if (HoldsStandIns()) {
    // The next start must compose again and try the real picture and icons, not show the
    // stand-ins from the cache.
    for (int m = 0; m < 3; ++m)
      if (FileExists(CacheFile(m))) DeleteFileAt(CacheFile(m));
    saved_ = false;
    return;
  }
  // Unchanged layers are not written again: a save of a window that only moved costs
  // three small writes instead of three window-sized ones.
  bool intact = saved_;
  for (int m = 0; m < 3 && intact; ++m) intact = FileExists(CacheFile(m));
  if (intact) return;
  saved_ = false;
  // A kill between the three replacements would leave a mixed set that a clear mark lets
  // the next start trust.
  markStale();
  for (int m = 0; m < 3; ++m) SaveFileOrThrow(CacheFile(m), EncodeBmp24(Layer(m)));
  // A layer read back from its file may have composed again, and that composition may have
  // been cut short.
  saved_ = ready_;
}

bool Composer::HoldsStandIns() const {
  if (picture_stand_in_ || capture_failed_) return true;
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row) {
      const TTileRecord& tile = model_.Tile(col, row);
      if (!tile.Empty() && tile.Icon && tile.Icon->StandIn) return true;
    }
  return false;
}

}  // namespace tessara
