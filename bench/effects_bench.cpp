// Speed of the background passes against a plain memcpy of the same layer, which is as
// fast as any pass that reads and writes every byte once can be. Prints megapixels per
// second per pass and, at the end, each pass's speed as a fraction of memcpy's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/dpi.h"
#include "base/rng.h"
#include "render/bitmap24.h"
#include "render/effects.h"
#include "render/iconbitmap.h"
#include "render/shading.h"

namespace {

using tessara::Bitmap24;
using tessara::EffectScratch;
using tessara::Rgb;

// A noisy picture: the worst case for the blur's tie handling, as every byte differs.
const Bitmap24& Original(int w, int h) {
  static std::map<std::pair<int, int>, Bitmap24> cache;
  auto it = cache.find({w, h});
  if (it == cache.end()) {
    Bitmap24 bmp(w, h);
    std::mt19937 gen(1);
    for (std::size_t i = 0; i < bmp.ByteSize(); ++i) bmp.Bits()[i] = static_cast<std::uint8_t>(gen());
    it = cache.emplace(std::make_pair(w, h), std::move(bmp)).first;
  }
  return it->second;
}

void SetRate(benchmark::State& state, int w, int h) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(w) * h / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

// Runs `pass` on a fresh copy of the picture each iteration; the copy is not timed.
template <class Pass>
void RunPass(benchmark::State& state, Pass pass) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const Bitmap24& original = Original(w, h);
  Bitmap24 layer(w, h);
  EffectScratch scratch;
  tessara::RandSeed(1);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(layer.Bits(), original.Bits(), original.ByteSize());
    state.ResumeTiming();
    pass(layer, scratch);
    benchmark::DoNotOptimize(layer.Bits());
    benchmark::ClobberMemory();
  }
  SetRate(state, w, h);
}

const std::optional<Rgb> kNoTint;

void BM_memcpy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const Bitmap24& original = Original(w, h);
  Bitmap24 layer(w, h);
  for (auto _ : state) {
    state.PauseTiming();
    state.ResumeTiming();
    std::memcpy(layer.Bits(), original.Bits(), original.ByteSize());
    benchmark::DoNotOptimize(layer.Bits());
    benchmark::ClobberMemory();
  }
  SetRate(state, w, h);
}

void BM_tint(benchmark::State& state) {
  RunPass(state, [](Bitmap24& b, EffectScratch&) { tessara::TintPass(b, Rgb::FromColor(0x707070)); });
}
void BM_monochrome(benchmark::State& state) {
  RunPass(state, [](Bitmap24& b, EffectScratch& s) { tessara::MonochromePass(b, kNoTint, s); });
}
void BM_emboss(benchmark::State& state) {
  RunPass(state, [](Bitmap24& b, EffectScratch& s) { tessara::EmbossPass(b, kNoTint, s); });
}
void BM_blur(benchmark::State& state) {
  RunPass(state, [](Bitmap24& b, EffectScratch& s) { tessara::BlurPass(b, kNoTint, s); });
}
void BM_displace(benchmark::State& state) {
  RunPass(state, [](Bitmap24& b, EffectScratch& s) { tessara::DisplacePass(b, kNoTint, s); });
}
// The edges of the window and of the cells at 100 % and, one scaled length each, at 150 %.
void RaisedEdge(benchmark::State& state, int dpi) {
  RunPass(state, [dpi](Bitmap24& b, EffectScratch&) {
    tessara::RaiseWindowEdge(b, tessara::ScaleLength(1, dpi), tessara::ScaleLength(1, dpi));
  });
}
void BM_raised_edge(benchmark::State& state) { RaisedEdge(state, 96); }
void BM_raised_edge_150(benchmark::State& state) { RaisedEdge(state, 144); }
// Every cell of a window-filling grid of 36 by 36 tiles, 4 pixels apart inside an 8 pixel border.
void CellShading(benchmark::State& state, int dpi) {
  RunPass(state, [dpi](Bitmap24& b, EffectScratch&) {
    tessara::CellGrid grid;
    grid.TileWidth = grid.TileHeight = tessara::ScaleLength(36, dpi);
    grid.CellSpacing = tessara::ScaleLength(4, dpi);
    grid.Border = tessara::ScaleLength(8, dpi);
    grid.Line = tessara::ScaleLength(1, dpi);
    grid.Cols = (b.Width() - 2 * grid.Border + grid.CellSpacing) / (grid.TileWidth + grid.CellSpacing);
    grid.Rows = (b.Height() - 2 * grid.Border + grid.CellSpacing) / (grid.TileHeight + grid.CellSpacing);
    tessara::ShadeCells(b, tessara::CellShade::Raised, grid);
  });
}
void BM_cell_shading(benchmark::State& state) { CellShading(state, 96); }
void BM_cell_shading_150(benchmark::State& state) { CellShading(state, 144); }

// A window's three layers of 1,024 tiles each get a 32 x 32 icon: 3,072 blends, half of the
// icons with partial alpha, half through a mask.
void BM_icon_blend(benchmark::State& state) {
  const Bitmap24& black = Original(32, 32);
  const Bitmap24& white = Original(33, 32);  // any bytes: only the blend is timed
  Bitmap24 over(32, 32);
  for (int y = 0; y < 32; ++y) std::memcpy(over.Row(y), white.Row(y), 96);
  const tessara::IconBitmap icons[2] = {
      tessara::IconBitmap::FromDrawnOver(black, over, tessara::IconBitmap::Kind::Alpha),
      tessara::IconBitmap::FromDrawnOver(black, over, tessara::IconBitmap::Kind::Mask)};
  Bitmap24 layer(32 * 36, 32 * 36);
  for (auto _ : state) {
    for (int draw = 0; draw < 3072; ++draw)
      tessara::DrawIconBitmap(layer, 2 + 36 * (draw % 32), 2 + 36 * (draw / 32 % 32), icons[draw & 1]);
    benchmark::DoNotOptimize(layer.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_icon_blend)->Unit(benchmark::kMillisecond);

#define TESSARA_SIZES ->Args({800, 600})->Args({3596, 3596})->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_memcpy) TESSARA_SIZES;
BENCHMARK(BM_tint) TESSARA_SIZES;
BENCHMARK(BM_monochrome) TESSARA_SIZES;
BENCHMARK(BM_emboss) TESSARA_SIZES;
BENCHMARK(BM_blur) TESSARA_SIZES;
BENCHMARK(BM_displace) TESSARA_SIZES;
BENCHMARK(BM_raised_edge) TESSARA_SIZES;
BENCHMARK(BM_raised_edge_150) TESSARA_SIZES;
BENCHMARK(BM_cell_shading) TESSARA_SIZES;
BENCHMARK(BM_cell_shading_150) TESSARA_SIZES;

// Keeps each benchmark's time per iteration (the median when repeated) for the table.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (!run.aggregate_name.empty() && run.aggregate_name != "median") continue;
      const std::string key = run.run_name.function_name + "|" + run.run_name.args;
      // A median replaces the single runs of the same benchmark.
      if (run.aggregate_name == "median" || !medians_.count(key)) {
        times_[key] = run.GetAdjustedRealTime();
        cpuTimes_[key] = run.GetAdjustedCPUTime();
      }
      if (run.aggregate_name == "median") medians_[key] = true;
    }
  }
  const std::map<std::string, double>& Times() const { return times_; }
  const std::map<std::string, double>& CpuTimes() const { return cpuTimes_; }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> cpuTimes_;
  std::map<std::string, bool> medians_;
};

void PrintRatios(const std::map<std::string, double>& times, const std::map<std::string, double>& cpuTimes) {
  std::printf("\nSpeed as a fraction of memcpy on the same layer (time_memcpy / time_pass):\n");
  std::printf("%-16s %14s %14s\n", "pass", "800x600", "3596x3596");
  const char* const passes[] = {"BM_tint",     "BM_monochrome", "BM_emboss",      "BM_blur",
                                "BM_displace", "BM_raised_edge", "BM_cell_shading"};
  const char* const sizes[] = {"800/600", "3596/3596"};
  for (const char* pass : passes) {
    std::printf("%-16s", pass + 3);
    for (const char* size : sizes) {
      const auto base = times.find(std::string("BM_memcpy|") + size);
      const auto t = times.find(std::string(pass) + "|" + size);
      if (base == times.end() || t == times.end() || t->second <= 0)
        std::printf(" %14s", "-");
      else
        std::printf(" %14.3f", base->second / t->second);
    }
    std::printf("\n");
  }
  // Processor time is the steadier figure on a shared machine.
  const auto blur = times.find("BM_blur|3596/3596");
  const auto displace = times.find("BM_displace|3596/3596");
  if (blur != times.end() && displace != times.end())
    std::printf("displace / blur time on 3596x3596: %.2f real, %.2f processor\n", displace->second / blur->second,
                cpuTimes.at(displace->first) / cpuTimes.at(blur->first));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter.Times(), reporter.CpuTimes());
  benchmark::Shutdown();
  return 0;
}
