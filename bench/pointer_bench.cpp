// Cost of the pointer's work on the largest window (64 x 64 tiles of 48 pixels, spacing 8,
// both borders, border spacing 8: 3596 x 3596 pixels): one move that changes the hovered
// cell (two cell copies onto the window), and a tile swap (one composition), opaque and
// transparent. The view copies each painted rectangle into a window-sized image as the
// window's blit would, and counts the bytes, so a step that copied a whole layer would show.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "render/drawbmps.h"
#include "tessara/UTessara.h"

namespace {

using namespace tessara;

struct BenchView final : ITessaraView {
  int left = 0, top = 0, width = 0, height = 0;
  Bitmap24 window;  // the screen's copy of the window
  std::size_t painted_bytes = 0;

  void Attach(TfrmTessara*) override {}
  void SetBounds(int l, int t, int w, int h) override {
    left = l;
    top = t;
    width = w;
    height = h;
    window.Resize(w, h);
  }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetColor(int) override {}
  void Show() override {}
  ScreenSize Screen() const override { return {3840, 3840}; }
  void SetMenuCheck(MenuId, bool) override {}
  bool ChooseColorDialog(int&) override { return false; }
  void LoadPicture(const std::string&, Bitmap24&) override {}
  CaptureResult CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) override {
    // The screen copy itself: one pass over the layer (the real one also waits for repaints).
    FillBitmap(layer, Rgb{90, 120, 150});
    whileAway(layer);
    return CaptureResult::Copied;
  }
  void DrawIcon(Bitmap24&, const TileIcon&, int, int) override {}
  void DrawLayerText(Bitmap24&, int, int, const std::string&, int) override {}
  void PaintRect(const Bitmap24& layer, int x, int y, int w, int h) override {
    for (int row = y; row < y + h; ++row)
      std::memcpy(window.Pixel(x, row), layer.Pixel(x, row), static_cast<std::size_t>(3 * w));
    painted_bytes += static_cast<std::size_t>(3 * w) * h;
  }
  void Hide() override {}
  bool Confirm(const std::string&) override { return false; }
  std::unique_ptr<TileIcon> ExtractTileIcon(const std::string&, int) override { return nullptr; }
  std::unique_ptr<TileIcon> ShareIcon(const TileIcon&) override { return nullptr; }
  std::unique_ptr<TileIcon> IconFromFileBytes(std::string) override { return nullptr; }
  std::unique_ptr<TileIcon> IconFromCacheFile(const std::string&) override { return nullptr; }
  std::string FindAssociatedProgram(const std::string&) override { return {}; }
  std::string ProgramPath() override { return "C:\\tessara.exe"; }
  void SetDragCursor(bool) override {}
  WorkRect WorkAreaAt(int, int) const override { return {0, 0, 3840, 3840}; }
  void MoveTo(int l, int t) override {
    left = l;
    top = t;
  }
  bool StartShell(const LaunchRequest&, std::string&) override { return true; }
  void BringToTop() override {}
  DroppedFile TakeDrop(std::uintptr_t) override { return {}; }
  void AcceptDrops() override {}
  ShortcutFields ResolveShortcut(const std::string&) override { return {}; }
  std::unique_ptr<IPropertiesView> CreatePropertiesView() override { return nullptr; }
  std::unique_ptr<ITSPropertiesView> MakePropertiesView() override { return nullptr; }
  void SetLetterFont(const FontSpec&) override {}
  void ShowHint(const std::string&, int, int, int, int, const CellRect&) override {}
  void HideHint() override {}
  bool DirectoryReachable(const std::string&) override { return true; }
  std::vector<WorkRect> WorkAreas() const override { return {{0, 0, 1280, 1024}}; }
  void ShowContextMenuAt(int, int) override {}
};

std::unique_ptr<TfrmTessara> LargestWindow(int backType, BenchView*& view) {
  auto owned = std::make_unique<BenchView>();
  view = owned.get();
  auto form = std::make_unique<TfrmTessara>(nullptr, std::move(owned), "C:\\");
  form->FormCreate();
  form->Cols = form->Rows = 64;
  form->TileWidth = form->TileHeight = 48;
  form->CellSpacing = 8;
  form->BorderSpacing = 8;
  form->BorderType = 3;
  form->BackType = backType;
  form->Opacity = 50;
  for (int col = 1; col <= 64; ++col)
    for (int row = 1; row <= 64; ++row) form->Tile(col, row).Filename = "C:\\a.exe";
  form->Icons().MarkBuilt();
  form->ApplySize();
  form->ComposeLayers();
  return form;
}

void BM_hover_step(benchmark::State& state) {
  BenchView* view = nullptr;
  auto form = LargestWindow(0, view);
  const CellRect a = form->CellRectOf(31, 31), b = form->CellRectOf(32, 31);
  form->FormMouseMove(ssNone, a.Left + 5, a.Top + 5);
  view->painted_bytes = 0;
  bool onB = false;
  for (auto _ : state) {
    const CellRect& to = onB ? a : b;
    form->FormMouseMove(ssNone, to.Left + 5, to.Top + 5);
    onB = !onB;
  }
  state.counters["bytes_per_step"] =
      static_cast<double>(view->painted_bytes) / static_cast<double>(state.iterations());
  state.counters["layer_bytes"] = static_cast<double>(form->Layers()[0].ByteSize());
}

void BM_tile_swap(benchmark::State& state) {
  BenchView* view = nullptr;
  auto form = LargestWindow(static_cast<int>(state.range(0)), view);
  const CellRect a = form->CellRectOf(10, 10), b = form->CellRectOf(11, 10);
  form->Tile(11, 10).Filename = "C:\\b.exe";
  for (auto _ : state) {
    form->FormMouseDown(mbLeft, ssNone, a.Left + 5, a.Top + 5);
    form->FormMouseUp(mbLeft, ssNone, b.Left + 5, b.Top + 5);
  }
  state.SetLabel(state.range(0) == 2 ? "transparent" : "opaque");
}

BENCHMARK(BM_hover_step)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_tile_swap)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
