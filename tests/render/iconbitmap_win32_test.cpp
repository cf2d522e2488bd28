// The program's own icon blend against DrawIconEx with DI_NORMAL on the same 24-bit layer.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "render/iconbitmap_win32.h"
#include "shell/dpi_win32.h"
#include "shell/handles_win32.h"
#include "tessara/tileicon_win32.h"

namespace tessara {
namespace {

// The pattern every icon kind draws from; mixes both coordinates so no two rows agree.
std::uint32_t Hash(int x, int y) { return static_cast<std::uint32_t>(x * 73 + y * 151 + x * y * 7) * 2654435761u; }

// An icon resource as icon files hold it: header with doubled height, palette, colour bits
// and AND mask, both bottom row first. 32-bit pixels carry alpha (0, 255 and partial in
// columns); the others set their mask on every third diagonal under a non-black colour, so
// inverting pixels are drawn too.
std::vector<BYTE> IconResource(int bpp, int size) {
  const int colourStride = (size * bpp + 31) / 32 * 4;
  const int maskStride = (size + 31) / 32 * 4;
  const int colours = bpp <= 8 ? 1 << bpp : 0;
  std::vector<BYTE> data(40 + 4 * colours + static_cast<std::size_t>(colourStride + maskStride) * size);
  BITMAPINFOHEADER header{40, size, 2 * size, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, 0, 0};
  std::memcpy(data.data(), &header, sizeof header);
  for (int i = 0; i < colours; ++i) {
    const std::uint32_t c = bpp == 1 ? (i ? 0xFFFFFF : 0) : Hash(i, 3 * i) >> 8;
    std::memcpy(&data[40 + 4 * i], &c, 4);
  }
  BYTE* colourBits = &data[40 + 4 * colours];
  BYTE* maskBits = colourBits + colourStride * size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      BYTE* row = colourBits + (size - 1 - y) * colourStride;
      const std::uint32_t h = Hash(x, y);
      const int alpha = x % 4 == 0 ? 0 : x % 4 == 1 ? 255 : static_cast<int>(h >> 24);
      const bool masked = bpp == 32 ? alpha == 0 : (x + y) % 3 == 0;
      if (bpp == 32) {
        const std::uint32_t argb = (h & 0xFFFFFF) | static_cast<std::uint32_t>(alpha) << 24;
        std::memcpy(row + 4 * x, &argb, 4);
      } else if (bpp == 24) {
        std::memcpy(row + 3 * x, &h, 3);
      } else {
        const int index = static_cast<int>(h >> 16) & (colours - 1);
        row[x * bpp / 8] |= static_cast<BYTE>(index << (8 - bpp - x * bpp % 8));
      }
      if (masked) maskBits[(size - 1 - y) * maskStride + x / 8] |= static_cast<BYTE>(0x80 >> x % 8);
    }
  return data;
}

UniqueIcon MakeIcon(int bpp, int size) {
  std::vector<BYTE> data = IconResource(bpp, size);
  return UniqueIcon(CreateIconFromResourceEx(data.data(), static_cast<DWORD>(data.size()), TRUE, 0x00030000, size,
                                             size, LR_DEFAULTCOLOR));
}

void FillNoise(Bitmap24& layer) {
  std::mt19937 gen(7);
  for (std::size_t i = 0; i < layer.ByteSize(); ++i) layer.Bits()[i] = static_cast<std::uint8_t>(gen());
}

// Every icon kind, at 100 % (32 px), at 150 % (48 px) from an image of that size and from a
// 32-px image stretched (a cached icon), inside the layer and cut off at each of its edges.
TEST(IconBitmap, BlendGivesTheBytesOfDrawIconExForEveryIconKindAndScale) {
  struct Size {
    int icon, drawn;
  };
  const Size sizes[] = {{32, 32}, {48, 48}, {32, 48}};
  const int kinds[] = {32, 24, 8, 4, 1};
  constexpr int kW = 90, kH = 70;
  const POINT places[] = {{5, 7}, {-9, -13}, {kW - 20, kH - 10}};
  UniqueDC dc(CreateCompatibleDC(nullptr));
  for (int bpp : kinds)
    for (const Size& size : sizes) {
      const UniqueIcon icon = MakeIcon(bpp, size.icon);
      ASSERT_TRUE(icon) << bpp;
      const IconBitmap image = IconBitmapFromIcon(icon.Get(), size.drawn);
      ASSERT_EQ(image.Width(), size.drawn);
      EXPECT_EQ(image.GetKind() == IconBitmap::Kind::Alpha, bpp == 32) << bpp;
      for (const POINT& at : places) {
        Bitmap24 system(kW, kH), own(kW, kH);
        FillNoise(system);
        FillNoise(own);
        {
          ScopedSelect select(dc.Get(), static_cast<HBITMAP>(system.Handle()));
          ASSERT_TRUE(DrawIconEx(dc.Get(), at.x, at.y, icon.Get(), size.drawn, size.drawn, 0, nullptr, DI_NORMAL));
        }
        GdiFlush();
        DrawIconBitmap(own, at.x, at.y, image);
        std::size_t differ = 0;
        while (differ < system.ByteSize() && system.Bits()[differ] == own.Bits()[differ]) ++differ;
        EXPECT_EQ(differ, system.ByteSize())
            << bpp << "-bit, " << size.icon << " px drawn at " << size.drawn << " at " << at.x << "," << at.y
            << ": byte " << differ << " is " << int{own.Bits()[differ]} << ", DrawIconEx gives "
            << int{system.Bits()[differ]};
      }
    }
}

// .ico files of one image of each kind and of several sizes in different orders, read directly
// and through the shell, at the system's 32 px and at 150 %: the same image is picked and
// made at the same size, so both draw the same pixels over the same noise.
TEST(IconBitmap, IcoFileReadDirectlyDrawsAsTheShellExtractsIt) {
  struct Image {
    int bpp, size;
  };
  const std::vector<std::vector<Image>> files = {
      {{32, 32}}, {{24, 32}}, {{8, 32}}, {{4, 32}}, {{1, 32}}, {{32, 48}}, {{8, 16}},
      {{32, 16}, {32, 32}, {32, 48}}, {{24, 48}, {8, 16}, {32, 32}}, {{4, 16}, {1, 48}, {24, 32}},
      {{4, 32}, {32, 32}}, {{32, 32}, {4, 32}}, {{1, 16}, {1, 48}}};
  char temp[MAX_PATH];
  const std::string path = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "direct.ico";
  UniqueDC dc(CreateCompatibleDC(nullptr));
  std::string last;
  for (std::size_t f = 0; f < files.size(); ++f) {
    std::string directory{0, 0, 1, 0, static_cast<char>(files[f].size()), 0}, images;
    for (const Image& image : files[f]) {
      const std::vector<BYTE> data = IconResource(image.bpp, image.size);
      // Width, height, colour count, reserved; planes, bits; bytes; offset.
      const std::uint32_t side = static_cast<std::uint32_t>(image.size), bits = static_cast<std::uint32_t>(image.bpp);
      const std::uint32_t entry[] = {side | side << 8 | (bits < 8 ? 1u << bits : 0u) << 16, 1 | bits << 16,
                                     static_cast<std::uint32_t>(data.size()),
                                     static_cast<std::uint32_t>(6 + 16 * files[f].size() + images.size())};
      directory.append(reinterpret_cast<const char*>(entry), sizeof entry);
      images.append(data.begin(), data.end());
    }
    last = directory + images;
    std::ofstream(path, std::ios::binary) << last;
    for (int size : {32, 48}) {
      const UniqueIcon direct(IconFromIcoFile(path, size));
      const UniqueIcon shell(size == 32 ? ExtractIconA(nullptr, path.c_str(), 0) : ExtractIconOfSize(path, 0, size));
      ASSERT_TRUE(direct && shell) << "file " << f << " at " << size;
      Bitmap24 fromShell(64, 64), fromFile(64, 64);
      for (auto [canvas, icon] : {std::pair{&fromShell, shell.Get()}, std::pair{&fromFile, direct.Get()}}) {
        FillNoise(*canvas);
        ScopedSelect select(dc.Get(), static_cast<HBITMAP>(canvas->Handle()));
        ASSERT_TRUE(DrawIconEx(dc.Get(), 3, 5, icon, 0, 0, 0, nullptr, DI_NORMAL));
      }
      GdiFlush();
      EXPECT_EQ(std::memcmp(fromShell.Bits(), fromFile.Bits(), fromShell.ByteSize()), 0) << "file " << f << " at " << size;
    }
  }
  // A file cut inside the image picked (the last file's 48-px one) and a missing one are left
  // to the shell.
  std::ofstream(path, std::ios::binary) << last.substr(0, last.size() - 1);
  EXPECT_EQ(IconFromIcoFile(path, 48), nullptr);
  EXPECT_EQ(IconFromIcoFile(path.substr(0, path.size() - 4) + "-missing.ico", 32), nullptr);
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace tessara
