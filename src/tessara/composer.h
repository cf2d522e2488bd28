#pragma once
// The composer: the window's three layers (normal, hovered, pressed), composed from its
// background, effect, cell shading and tiles, and painted onto the window. It owns the
// layers, whether they are ready and what the layer cache files hold of them, and the
// stand-ins shown for a picture or a screen that could not be read. It reads the model only.
#include <array>
#include <functional>
#include <string>

#include "render/bitmap24.h"
#include "tessara/hint.h"
#include "tessara/icons.h"
#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

enum LayerIndex { NormalLayer = 0, HoverLayer = 1, PressedLayer = 2 };

class Composer {
 public:
  // programFolder names where the layer cache files lie; captureHeld says whether the screen
  // cannot be copied now (the session is away).
  Composer(const TessaraModel& model, IFrame& frame, ISurface& surface, TileIcons& icons, FloatingHint& hint,
           std::string programFolder, std::function<bool()> captureHeld);
  Composer(const Composer&) = delete;
  Composer& operator=(const Composer&) = delete;

  // The layers as they are in memory: one still in its cache file is empty here.
  const std::array<Bitmap24, 3>& Layers() const { return layers_; }
  // Layer m, read from its cache file first if it was left there at show.
  Bitmap24& Layer(int m);
  bool Ready() const { return ready_; }
  // A composition was held back while the session was away.
  bool WantsCapture() const { return capture_wanted_; }
  // The layer cache files hold exactly the current layers (read from them, or written).
  bool Saved() const { return saved_; }

  void Compose();
  void Paint();
  // Draws the icon and drive letter of a tile into every layer.
  void DrawTile(int col, int row);
  // Copies one cell of a layer onto the window.
  void PaintCell(int layer, int col, int row);
  // The layers no longer show the window (a new start).
  void Forget() { ready_ = false; }

  // The window takes another number: layers still in the files of the old one are taken in
  // first, as the window that takes that number next may write over them.
  void Renumber(int number);
  // Shows the layers of the cache files when they fit the window; the hover and pressed
  // layers stay in their files until first needed, as a start shows only the normal one.
  bool LoadCaches();
  // Writes the layers to their cache files unless these already hold them; deletes them
  // when the layers show stand-ins. `markStale` runs before the first file is replaced.
  // Throws Error when a file cannot be written.
  void SaveCaches(const std::function<void()>& markStale);

 private:
  std::string CacheFile(int m) const;
  // Layer m to be drawn into: whatever draws into a layer takes it from here, so the change
  // reaches the layer cache files at the next save.
  Bitmap24& DrawingLayer(int m);
  void ShadeCells(int mode, Bitmap24& layer);
  bool LoadBackground(Bitmap24& picture);
  // Reads the layers still in their cache files (`inFile`) into memory; false when one
  // cannot be read whole.
  bool TakeInLayerFiles(const std::array<bool, 3>& inFile);
  // The picture, an icon of a file out of reach, or the screen behind, is shown by a stand-in
  // this session; the caches must not keep the stand-in, so the real one comes back once it
  // can be read.
  bool HoldsStandIns() const;

  const TessaraModel& model_;
  IFrame& frame_;
  ISurface& surface_;
  TileIcons& icons_;
  FloatingHint& hint_;
  std::string program_folder_;
  std::function<bool()> capture_held_;
  int number_ = 0;  // the window's number, which names its cache files

  std::array<Bitmap24, 3> layers_;
  bool ready_ = false;
  bool saved_ = false;
  bool capture_wanted_ = false;
  // Hover and pressed layers of a cached image stay in their files until first needed.
  std::array<bool, 3> in_file_{};
  // The layers show the plain colour in place of a picture that could not be read (or of a
  // background that could not be captured).
  bool picture_stand_in_ = false;
  // The screen behind refused to be copied: the layers show what they showed before, or the
  // plain colour.
  bool capture_failed_ = false;
  // The picture whose error was last shown: a window reports one unreadable picture once.
  std::string picture_error_shown_;
};

}  // namespace tessara
