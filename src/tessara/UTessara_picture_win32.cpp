#include "tessara/UTessara_picture_win32.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/bmpread.h"
#include "settings/atomicfile.h"
#include "shell/comptr_win32.h"
#include "shell/error.h"
#include "shell/handles_win32.h"
#include "shell/late_win32.h"

namespace tessara {

namespace {

// Enough for the file header, any info header and the bit masks after a short one.
constexpr DWORD kBitmapHead = 170;

// A picture refused for its size is never handed to another decoder.
[[noreturn]] void RefuseSize(const std::string& path) {
  throw Error("The picture " + path + " is too large: at most " + std::to_string(kMaxPictureSide) +
              " pixels a side and " + std::to_string(kMaxPictureBytes >> 20) + " MB of pixels");
}

// The first bytes of a file; empty when it cannot be read.
std::string FileHead(const std::string& path) {
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    file.Release();
    return {};
  }
  std::string head(kBitmapHead, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), head.data(), kBitmapHead, &read, nullptr)) return {};
  head.resize(read);
  return head;
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
  if (FAILED(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Put()))))
    return false;
  const std::wstring wide = Wide(path);
  ComPtr<IWICBitmapDecoder> decoder;
  if (wide.empty() || FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) return false;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height))) return false;
  if (!PictureSizeAllowed(width, height)) RefuseSize(path);
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0.0, WICBitmapPaletteTypeCustom)))
    return false;
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
  if (FAILED(late::CreateStreamOnHGlobal(memory, TRUE, stream.Put()))) {
    GlobalFree(memory);
    return false;
  }
  ComPtr<IPicture> ole;
  if (FAILED(late::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
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
  if (width <= 0 || height <= 0) return false;
  if (!PictureSizeAllowed(width, height)) RefuseSize(path);
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

void LoadPictureFile(const std::string& path, Bitmap24& picture) {
  const std::string head = FileHead(path);
  if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') {
    // The size is checked from the header before the file is even read whole.
    long long width = 0, height = 0;
    const bool known = ReadBitmapFileSize(head, width, height);
    if (known && !PictureSizeAllowed(width, height)) RefuseSize(path);
    std::string bytes;
    if (known && ReadWholeFile(path, bytes) && DecodeBitmapFile(bytes, picture)) return;
    picture.Clear();
    throw Error("Cannot load the picture " + path);
  }
  if (LoadWithWic(path, picture) || LoadWithOle(path, picture)) return;
  picture.Clear();
  throw Error("Cannot load the picture " + path);
}

}  // namespace tessara
