#pragma once
// The look of a transparent window's background: tint and one of four effects over the
// captured picture, then the raised window edge. Runs once per composition, in place on
// the layer, so painting and hovering never pay for it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/bitmap24.h"

namespace tessara {

enum EffectCode : int {
  kEffectNone = -1,
  kEffectTintOnly = 0,
  kEffectMonochrome = 1,
  kEffectEmboss = 2,
  kEffectBlur = 3,
  kEffectDisplace = 4,
};

struct EffectParams {
  int Effect = kEffectNone;  // -1..4; any other value does nothing, like -1
  bool Tint = false;         // the window's Opacity is not 0
  int Color = 0;             // tint colour, red in the low byte
  int BorderType = 0;        // bit 1: raised window edge; bit 0: black line (edge one line in)
  int OutlineWidth = 1;      // device thickness of the black line and of the raised edge
  int EdgeWidth = 1;
};

// Working memory of the passes, kept by the window between compositions so a composition
// allocates nothing once the largest layer has been seen. The passes work in place and
// keep only a few rows of the original picture here.
class EffectScratch {
 public:
  // At least `bytes` bytes, holding whatever the last pass left there.
  std::uint8_t* Take(std::size_t bytes);
  std::size_t Capacity() const { return buffer_.size(); }

 private:
  std::vector<std::uint8_t> buffer_;
};

// The whole pass: the effect of p.Effect, then the raised edge if BorderType bit 1 is set.
// Stride padding bytes are never touched.
void ApplyEffect(Bitmap24& layer, const EffectParams& p, EffectScratch& scratch);

// The single passes; `tint` empty means the tint is off.
void TintPass(Bitmap24& layer, Rgb tint);
void MonochromePass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch);
void EmbossPass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch);
void BlurPass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch);
// Draws from tessara::Random: bottom row first, left to right, sx then sy per pixel.
void DisplacePass(Bitmap24& layer, std::optional<Rgb> tint, EffectScratch& scratch);
// Brightens the `line` rows and columns from `inset` on by 1.5 and darkens the opposite ones
// by 0.75.
void RaiseWindowEdge(Bitmap24& layer, int inset, int line = 1);

// Gray of a colour: (3R + 3G + 4B) / 10 rounded to nearest, halves to even.
std::uint8_t GrayOf(int r, int g, int b);

// Which code the vectorised loops run. Auto picks AVX2 when the processor has it; tests
// and benchmarks force a path to check or measure each one.
enum class PixelPath { Auto, Baseline, Avx2 };
void ForcePixelPath(PixelPath path);
bool Avx2PathAvailable();

}  // namespace tessara
