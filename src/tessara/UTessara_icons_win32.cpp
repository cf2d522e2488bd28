// TessaraWindow as the tiles' icon source, and the icons it makes.
#include "tessara/UTessara_win32.h"

#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "render/icofile.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/alTools.h"
#include "shell/dpi_win32.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/shortcut_win32.h"

namespace tessara {

namespace {

BITMAPINFO DibInfo(int width, int height, WORD bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The pixels of a bitmap as 32-bit BGRA values, top row first.
bool ReadTopDown32(HDC dc, HBITMAP bitmap, int width, int height, std::vector<std::uint32_t>& out) {
  out.assign(static_cast<std::size_t>(width) * height, 0);
  BITMAPINFO info = DibInfo(width, -height, 32);
  return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out.data(), &info, DIB_RGB_COLORS) ==
         height;
}

// Larger icon files are left to the shell, which maps them instead of reading them.
constexpr std::size_t kIcoFileCap = std::size_t{4} << 20;

// A name with its drive or share, so reading it finds the file the shell's search finds.
bool IsFullIcoName(const std::string& file) {
  const bool rooted = file.size() > 3 && (file[1] == ':' || (file[0] == '\\' && file[1] == '\\'));
  return rooted && lstrcmpiA(file.c_str() + file.size() - 4, ".ico") == 0;
}

}  // namespace

HICON IconFromIcoFile(const std::string& file, int size) {
  std::string bytes;
  if (!IsFullIcoName(file) || ReadFileUpTo(file, kIcoFileCap, bytes) != FileRead::Ok) return nullptr;
  auto field = [&](std::size_t at, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t k = width; k-- > 0;) v = (v << 8) | static_cast<unsigned char>(bytes[at + k]);
    return v;
  };
  if (bytes.size() < 6 || field(0, 2) != 0 || field(2, 2) != 1) return nullptr;
  const std::size_t count = field(4, 2);
  if (count == 0 || bytes.size() < 6 + 16 * count) return nullptr;
  // The directory as a resource holds it (14-byte entries ending in an id, here position + 1),
  // so that the system itself picks the entry for the size. With one image there is nothing to
  // pick, and asking would cost a query of the display per file.
  std::vector<BYTE> directory(6 + 14 * count);
  std::memcpy(directory.data(), bytes.data(), 6);
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&directory[6 + 14 * i], &bytes[6 + 16 * i], 12);
    directory[6 + 14 * i + 12] = static_cast<BYTE>((i + 1) & 0xFF);
    directory[6 + 14 * i + 13] = static_cast<BYTE>((i + 1) >> 8);
  }
  const int id = count == 1 ? 1 : LookupIconIdFromDirectoryEx(directory.data(), TRUE, size, size, LR_DEFAULTCOLOR);
  if (id < 1 || static_cast<std::size_t>(id) > count) return nullptr;
  const std::size_t entry = 6 + 16 * static_cast<std::size_t>(id - 1);
  const std::uint32_t length = field(entry + 8, 4);
  const std::uint32_t offset = field(entry + 12, 4);
  if (length == 0 || offset > bytes.size() || length > bytes.size() - offset) return nullptr;
  std::vector<BYTE> image(bytes.begin() + offset, bytes.begin() + offset + length);
  return CreateIconFromResourceEx(image.data(), length, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
}

HICON IconFromIcoBytes(const std::string& bytes) {
  // Directory header (6 bytes), then 16-byte entries: the first one's size and offset.
  if (bytes.size() < 22) return nullptr;
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(bytes[at + k]);
    return v;
  };
  const std::uint32_t size = u32(14);
  const std::uint32_t offset = u32(18);
  if (offset > bytes.size() || size > bytes.size() - offset || size == 0) return nullptr;
  std::vector<BYTE> image(bytes.begin() + offset, bytes.begin() + offset + size);
  return CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

std::unique_ptr<Win32TileIcon> Win32TileIcon::FromCacheFile(const std::string& path) {
  auto state = std::make_shared<State>();
  state->path = path;
  state->read = false;
  return std::unique_ptr<Win32TileIcon>(new Win32TileIcon(std::move(state)));
}

const std::string& Win32TileIcon::Bytes() const {
  State& s = *state_;
  if (!s.read) {
    s.read = true;
    if (!ReadWholeFile(s.path, s.bytes) || !IsValidIconFile(s.bytes)) s.bytes.clear();
  }
  return s.bytes;
}

HICON Win32TileIcon::Get() const {
  State& s = *state_;
  if (!s.icon && !s.unreadable && !Bytes().empty()) {
    s.icon.Reset(IconFromIcoBytes(s.bytes));
    s.unreadable = !s.icon;
  }
  return s.icon.Get();
}

const IconBitmap& Win32TileIcon::Image(int size, IconImager& imager) const {
  State& s = *state_;
  if (s.imageSize != size) {
    s.image = imager.Make(Get(), size);
    s.imageSize = size;
    // The image is what is drawn from now on; the bytes keep what the handle held.
    if (!s.image.Empty() && !s.bytes.empty()) s.icon.Reset();
  }
  return s.image;
}

std::unique_ptr<Win32TileIcon> Win32TileIcon::Share() const {
  std::unique_ptr<Win32TileIcon> other(new Win32TileIcon(state_));
  other->source_ = source_;
  other->index_ = index_;
  return other;
}

std::string Win32TileIcon::FileBytes() const {
  // Bytes taken from a file are already the file.
  if (!Bytes().empty()) return state_->bytes;
  // The cache keeps the 32-px image, whatever size is shown.
  UniqueIcon small(source_.empty() ? nullptr : ExtractIconOfSize(source_, index_, 32));
  const HICON encoded = small ? small.Get() : Get();
  ICONINFO info{};
  if (!encoded || !GetIconInfo(encoded, &info)) return {};
  UniqueBitmap color(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP maskInfo{};
  if (!mask || !GetObjectA(mask.Get(), sizeof maskInfo, &maskInfo)) return {};
  const int width = maskInfo.bmWidth;
  // A monochrome icon keeps its AND mask above its XOR image in one bitmap.
  const int height = color ? maskInfo.bmHeight : maskInfo.bmHeight / 2;
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return {};

  UniqueDC dc(CreateCompatibleDC(nullptr));
  std::vector<std::uint32_t> maskPixels;
  if (!ReadTopDown32(dc.Get(), mask.Get(), width, maskInfo.bmHeight, maskPixels)) return {};
  std::vector<std::uint32_t> colorPixels;
  if (color) {
    if (!ReadTopDown32(dc.Get(), color.Get(), width, height, colorPixels)) return {};
  } else {
    colorPixels.assign(maskPixels.begin() + static_cast<std::ptrdiff_t>(width) * height, maskPixels.end());
  }

  bool hasAlpha = false;
  for (std::uint32_t p : colorPixels) hasAlpha = hasAlpha || (p >> 24) != 0;
  IconEntry entry;
  entry.image.width = width;
  entry.image.height = height;
  entry.image.pixels.resize(static_cast<std::size_t>(width) * height);
  entry.depth = hasAlpha ? IconDepth::Argb32 : IconDepth::Rgb24;
  for (std::size_t i = 0; i < entry.image.pixels.size(); ++i) {
    const std::uint32_t rgb = colorPixels[i] & 0xFFFFFF;
    if (hasAlpha) {
      entry.image.pixels[i] = colorPixels[i];
    } else {
      const bool transparent = (maskPixels[i] & 0xFFFFFF) != 0;
      entry.image.pixels[i] = transparent ? 0 : 0xFF000000u | rgb;
    }
  }
  return EncodeIcon({entry});
}

std::unique_ptr<Win32TileIcon> TessaraWindow::ExtractSystemIcon(const std::string& file, int index) {
  // A negative index asks for a count or a resource id, never for the icon at a position.
  if (index < 0 || file.empty()) return nullptr;
  // A shortcut holds no icons of its own: the shell finds the one it shows (an app's, one named
  // by resource id), its only one.
  if (file.size() > 4 && lstrcmpiA(file.c_str() + file.size() - 4, ".lnk") == 0) {
    HICON shown = index == 0 ? ShellFileIcon(file) : nullptr;
    return shown ? std::make_unique<Win32TileIcon>(shown) : nullptr;
  }
  // The shell's extraction gives the size of the system's scale, which may not be the window's;
  // only at 32 px is its icon also the one for the icon cache.
  const bool scaling = dpi_ != kBaseDpi || GetSystemMetrics(SM_CXICON) != 32;
  // An icon file's only icon is made here as the shell makes it, without the shell's costly
  // mapping of each file; anything it cannot read goes the shell's way.
  if (index == 0) {
    if (HICON direct = IconFromIcoFile(file, ScaleLength(32, dpi_)))
      return scaling ? std::make_unique<Win32TileIcon>(direct, file, index) : std::make_unique<Win32TileIcon>(direct);
  }
  if (scaling) {
    HICON scaled = ExtractIconOfSize(file, index, ScaleLength(32, dpi_));
    return scaled ? std::make_unique<Win32TileIcon>(scaled, file, index) : nullptr;
  }
  HICON icon = late::ExtractIconA(instance_, file.c_str(), static_cast<UINT>(index));
  if (!icon || icon == reinterpret_cast<HICON>(1)) return nullptr;
  return std::make_unique<Win32TileIcon>(icon);
}

std::unique_ptr<TileIcon> TessaraWindow::ExtractTileIcon(const std::string& file, int index) {
  auto icon = ExtractSystemIcon(file, index);
  // Made into the image it is drawn as while it is extracted: once per icon, however many
  // tiles and layers show it.
  if (icon) icon->Image(ScaleLength(32, dpi_), imager_);
  return icon;
}

std::unique_ptr<TileIcon> TessaraWindow::ShareIcon(const TileIcon& icon) {
  const auto* own = dynamic_cast<const Win32TileIcon*>(&icon);
  if (!own) return nullptr;
  return own->Share();
}

std::unique_ptr<TileIcon> TessaraWindow::IconFromFileBytes(std::string bytes) {
  if (bytes.empty()) return nullptr;
  return std::make_unique<Win32TileIcon>(std::move(bytes));
}

std::unique_ptr<TileIcon> TessaraWindow::IconFromCacheFile(const std::string& path) {
  return Win32TileIcon::FromCacheFile(path);
}

std::string TessaraWindow::FindAssociatedProgram(const std::string& file) {
  if (file.empty()) return {};
  // The shell's answer in UTF-16: the program's own name may lie outside a legacy code page.
  wchar_t result[MAX_PATH] = {};
  const auto code = reinterpret_cast<INT_PTR>(late::FindExecutableW(WideFromAnsi(file).c_str(), L"", result));
  return code > 32 ? ToAnsiFileName(result).Name : std::string();
}

bool TessaraWindow::DirectoryReachable(const std::string& folder) { return DirectoryExists(folder); }

}  // namespace tessara
