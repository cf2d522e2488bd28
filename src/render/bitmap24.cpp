#include "render/bitmap24.h"

#include <new>

namespace tessara {

void Bitmap24::Resize(int width, int height) {
  if (width < 0 || height < 0) width = height = 0;
  if (width == width_ && height == height_ && (storage_ || width == 0 || height == 0)) return;
  storage_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  if (width == 0 || height == 0) return;
  storage_ = AllocateBitmap24Storage(width, height);
  if (!storage_) throw std::bad_alloc();
  width_ = width;
  height_ = height;
  bits_ = storage_->Bits();
}

void Bitmap24::Clear() {
  storage_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

}  // namespace tessara
