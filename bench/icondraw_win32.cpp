// Drawing tile icons into the layers: the system's DrawIconEx, a layer selected and flushed
// per draw as the window draws them, against the program's own image and blend. Times
// 3,072 draws of 32 x 32 icons (1,024 tiles, three layers each) per run, both ways in turn,
// and prints the median of the runs, and the once-per-icon cost of making the image.
// Usage: icondraw_bench.exe [runs]   (Google Benchmark is not built for Windows here.)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/bitmap24.h"
#include "render/iconbitmap_win32.h"
#include "shell/handles_win32.h"

namespace {

using tessara::Bitmap24;
using tessara::IconBitmap;

constexpr int kSize = 32;
constexpr int kTiles = 1024;
constexpr int kLayers = 3;

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1e3 * static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  // The system's own icons: alpha and mask kinds as a user's tiles show them.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string library = std::string(system) + "\\shell32.dll";
  std::vector<tessara::UniqueIcon> icons;
  for (int i = 0; static_cast<int>(icons.size()) < 16 && i < 64; ++i)
    if (HICON icon = ExtractIconA(GetModuleHandleA(nullptr), library.c_str(), static_cast<UINT>(i)))
      icons.emplace_back(icon);
  if (icons.empty()) {
    std::fprintf(stderr, "no icons in %s\n", library.c_str());
    return 1;
  }
  // Window-sized layers of 32 x 32 tiles of 36 px.
  Bitmap24 layers[kLayers];
  for (Bitmap24& layer : layers) layer.Resize(32 * 36, 32 * 36);
  tessara::UniqueDC dc(CreateCompatibleDC(nullptr));

  std::vector<IconBitmap> images;
  std::vector<double> making;
  tessara::IconImager imager;  // as a window keeps one
  for (const auto& icon : icons) {
    const double start = Now();
    images.push_back(imager.Make(icon.Get(), kSize));
    making.push_back(Now() - start);
  }
  int alpha = 0;
  for (const IconBitmap& image : images) alpha += image.GetKind() == IconBitmap::Kind::Alpha;

  std::vector<double> old, own;
  for (int run = 0; run < runs; ++run) {
    double start = Now();
    for (int layer = 0; layer < kLayers; ++layer)
      for (int tile = 0; tile < kTiles; ++tile) {
        {
          tessara::ScopedSelect select(dc.Get(), static_cast<HBITMAP>(layers[layer].Handle()));
          DrawIconEx(dc.Get(), 2 + 36 * (tile % 32), 2 + 36 * (tile / 32), icons[tile % icons.size()].Get(), kSize,
                     kSize, 0, nullptr, DI_NORMAL);
        }
        GdiFlush();
      }
    old.push_back(Now() - start);
    start = Now();
    for (int layer = 0; layer < kLayers; ++layer)
      for (int tile = 0; tile < kTiles; ++tile)
        tessara::DrawIconBitmap(layers[layer], 2 + 36 * (tile % 32), 2 + 36 * (tile / 32),
                                images[tile % images.size()]);
    own.push_back(Now() - start);
  }
  std::printf("%d icons (%d with alpha), %d draws of %d x %d per run, median of %d runs\n",
              static_cast<int>(icons.size()), alpha, kTiles * kLayers, kSize, kSize, runs);
  std::printf("DrawIconEx, layer selected and flushed per draw: %8.2f ms\n", Median(old));
  std::printf("own image and blend:                            %8.2f ms\n", Median(own));
  std::printf("making one image from an HICON (once per icon):  %8.3f ms\n", Median(making));
  return 0;
}
