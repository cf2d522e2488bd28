#include <vector>

#include "render/bitmap24.h"

namespace tessara {
namespace {
class HeapStorage final : public Bitmap24Storage {
 public:
  explicit HeapStorage(std::size_t bytes) : bytes_(bytes) {}
  std::uint8_t* Bits() override { return bytes_.data(); }
  void* Handle() override { return nullptr; }

 private:
  std::vector<std::uint8_t> bytes_;
};
}  // namespace

std::unique_ptr<Bitmap24Storage> AllocateBitmap24Storage(int width, int height) {
  return std::make_unique<HeapStorage>(static_cast<std::size_t>(Bitmap24Stride(width)) * height);
}

}  // namespace tessara
