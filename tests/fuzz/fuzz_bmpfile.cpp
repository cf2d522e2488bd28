// The background picture reader. Input: a bitmap file of any kind.
// Properties: no crash; an accepted file has the size its headers alone declare, within the cap.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzzcheck.h"
#include "render/bmpread.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tessara::Bitmap24 image;
  if (!tessara::DecodeBitmapFile(bytes, image)) return 0;
  long long width = 0, height = 0;
  FUZZ_CHECK(tessara::ReadBitmapFileSize(bytes.substr(0, 170), width, height));
  FUZZ_CHECK(width == image.Width() && height == image.Height() && tessara::PictureSizeAllowed(width, height));
  return 0;
}
