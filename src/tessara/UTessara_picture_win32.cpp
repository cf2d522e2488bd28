#include "tessara/UTessara_picture_win32.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "settings/atomicfile.h"
#include "shell/comptr_win32.h"
#include "shell/error.h"
#include "shell/handles_win32.h"

namespace tessara {

namespace {

// Larger pictures are refused rather than allocated: a background tile this size is
// surely a broken file.
constexpr std::uint64_t kMaxPixels = 1ull << 26;

// COM for one call, whatever the thread has set up already.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

bool SizeAllowed(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxPixels && width < 0x7FFFFFFF && height < 0x7FFFFFFF;
}

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

// Raster pictures: the first frame, premultiplied, laid over white.
bool LoadWithWic(const std::string& path, Bitmap24& picture) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Put()))))
    return false;
  const std::wstring wide = Wide(path);
  ComPtr<IWICBitmapDecoder> decoder;
  if (wide.empty() || FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) return false;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0.0, WICBitmapPaletteTypeCustom)))
    return false;
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || !SizeAllowed(width, height)) return false;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data())))
    return false;
  picture.Resize(static_cast<int>(width), static_cast<int>(height));
  for (UINT y = 0; y < height; ++y) {
    const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(y) * width * 4;
    std::uint8_t* to = picture.Pixel(0, static_cast<int>(y));
    for (UINT x = 0; x < width; ++x, from += 4, to += 3) {
      // Premultiplied colour over white: c + (255 - alpha).
      const int uncovered = 255 - from[3];
      for (int k = 0; k < 3; ++k) to[k] = static_cast<std::uint8_t>(std::min(255, from[k] + uncovered));
    }
  }
  return true;
}

// Metafiles (and whatever else OLE reads): drawn onto white at their natural size.
bool LoadWithOle(const std::string& path, Bitmap24& picture) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty() || bytes.size() > (1u << 30)) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return false;
  void* at = GlobalLock(memory);
  if (!at) {
    GlobalFree(memory);
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), static_cast<char*>(at));
  GlobalUnlock(memory);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.Put()))) {
    GlobalFree(memory);
    return false;
  }
  // The OLE automation library is loaded only for a metafile background: linked, it would
  // be loaded at every start of the program.
  using LoadPictureFn = HRESULT(WINAPI*)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);
  static const auto load = reinterpret_cast<LoadPictureFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("oleaut32.dll"), "OleLoadPicture")));
  ComPtr<IPicture> ole;
  if (!load || FAILED(load(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                           reinterpret_cast<void**>(ole.Put()))))
    return false;
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  if (FAILED(ole->get_Width(&hmWidth)) || FAILED(ole->get_Height(&hmHeight))) return false;
  UniqueDC dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  // HIMETRIC is hundredths of a millimetre: 2540 to the inch.
  const int width = MulDiv(hmWidth, GetDeviceCaps(dc.Get(), LOGPIXELSX), 2540);
  const int height = MulDiv(hmHeight, GetDeviceCaps(dc.Get(), LOGPIXELSY), 2540);
  if (width <= 0 || height <= 0 || !SizeAllowed(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
    return false;
  picture.Resize(width, height);
  HGDIOBJ old = SelectObject(dc.Get(), static_cast<HBITMAP>(picture.Handle()));
  if (!old || old == HGDI_ERROR) return false;
  RECT all{0, 0, width, height};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const HRESULT drawn = ole->Render(dc.Get(), 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
  SelectObject(dc.Get(), old);
  GdiFlush();
  return SUCCEEDED(drawn);
}

}  // namespace

bool IsWindowsBitmapFile(const std::string& path) {
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    file.Release();
    return false;
  }
  char head[2] = {};
  DWORD read = 0;
  return ReadFile(file.Get(), head, sizeof head, &read, nullptr) && read == 2 && head[0] == 'B' && head[1] == 'M';
}

void LoadSystemPicture(const std::string& path, Bitmap24& picture) {
  ComScope com;
  if (LoadWithWic(path, picture) || LoadWithOle(path, picture)) return;
  picture.Clear();
  throw Error("Cannot load the picture " + path);
}

}  // namespace tessara
