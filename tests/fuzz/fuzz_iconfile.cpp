// The icon cache check and the icon writer. Input: an icon file for the check; the same
// bytes also describe images (count, sizes, depths, pixels) for the writer.
// Properties: no crash; whatever the writer makes passes the check and is exactly as long as
// its directory says.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzcheck.h"
#include "render/icofile.h"
#include "settings/tiledata.h"

namespace {

using namespace tessara;

std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool valid = IsValidIconFile(bytes);
  (void)valid;

  FuzzedDataProvider in(data, size);
  std::vector<IconEntry> entries(in.ConsumeIntegralInRange<std::size_t>(1, 3));
  for (IconEntry& e : entries) {
    // Mostly small images; now and then the largest, to reach the size limits.
    const bool big = &e == &entries[0] && in.ConsumeIntegralInRange<int>(0, 63) == 0;
    e.image.width = big ? 256 : in.ConsumeIntegralInRange<int>(1, 40);
    e.image.height = big ? 256 : in.ConsumeIntegralInRange<int>(1, 40);
    e.depth = in.PickValueInArray({IconDepth::Indexed4, IconDepth::Rgb24, IconDepth::Argb32});
    const std::vector<std::uint8_t> seed = in.ConsumeBytes<std::uint8_t>(64);
    e.image.pixels.resize(static_cast<std::size_t>(e.image.width) * static_cast<std::size_t>(e.image.height));
    for (std::size_t i = 0; i < e.image.pixels.size(); ++i) {
      std::uint32_t p = static_cast<std::uint32_t>(i) * 2654435761u;
      if (!seed.empty()) p ^= static_cast<std::uint32_t>(seed[i % seed.size()]) * 0x01010101u;
      e.image.pixels[i] = p;
    }
  }
  const std::string icon = EncodeIcon(entries);
  FUZZ_CHECK(IsValidIconFile(icon));
  const std::size_t last = 6 + 16 * (entries.size() - 1);
  FUZZ_CHECK(std::uint64_t{Get32(icon, last + 8)} + Get32(icon, last + 12) == icon.size());
  return 0;
}
