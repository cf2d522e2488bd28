// The layer cache reader and the background picture reader. Input: a bitmap file, read from
// memory and from a file. Properties: no crash; the file readers accept exactly what the
// memory reader accepts and give the same size and pixels; an accepted image written and read
// again is the same image; a picture has the size its headers alone declare.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "render/bitmap24.h"
#include "render/bmpread.h"
#include "settings/tiledata.h"

namespace {

using namespace tessara;

bool SameImage(const Bitmap24& a, const Bitmap24& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.ByteSize() == b.ByteSize() &&
         (a.ByteSize() == 0 || std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Bitmap24 image;
  Bitmap24 picture;
  long long declaredWidth = 0, declaredHeight = 0;
  if (DecodeBitmapFile(bytes, picture))
    FUZZ_CHECK(ReadBitmapFileSize(bytes.substr(0, 170), declaredWidth, declaredHeight) &&
               declaredWidth == picture.Width() && declaredHeight == picture.Height());

  const bool decoded = DecodeBmp24(bytes, image);

  const std::string& path = fuzz::WriteScratch(bytes);
  int width = -1, height = -1;
  const bool sized = ReadBmp24Size(path, width, height);
  Bitmap24 loaded;
  const bool read = LoadBmp24File(path, loaded);
  FUZZ_CHECK(sized == decoded && read == decoded);
  if (!decoded) return 0;
  FUZZ_CHECK(width == image.Width() && height == image.Height());
  FUZZ_CHECK(SameImage(image, loaded));

  Bitmap24 again;
  FUZZ_CHECK(DecodeBmp24(EncodeBmp24(image), again));
  FUZZ_CHECK(SameImage(image, again));
  return 0;
}
