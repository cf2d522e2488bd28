#pragma once
// Bitmap24: the one image type. 24 bits per pixel, bytes blue, green, red; rows stored from
// the bottom row up; stride = 3 * width rounded up to a multiple of 4. On Windows the
// memory is a DIB section, so GDI draws into it and blits from it while the pixel passes
// work on the same bytes in place; natively it is a plain buffer.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessara {

// Where a Bitmap24's bytes live; made by the platform (DIB section or plain memory).
class Bitmap24Storage {
 public:
  virtual ~Bitmap24Storage() = default;
  virtual std::uint8_t* Bits() = 0;
  // The platform object behind the bytes (an HBITMAP on Windows), or nullptr.
  virtual void* Handle() = 0;
};

// Allocates zeroed storage for an image; nullptr when the platform refuses.
std::unique_ptr<Bitmap24Storage> AllocateBitmap24Storage(int width, int height);

inline constexpr int Bitmap24Stride(int width) { return (3 * width + 3) & ~3; }

class Bitmap24 {
 public:
  Bitmap24() = default;
  Bitmap24(int width, int height) { Resize(width, height); }
  Bitmap24(Bitmap24&&) noexcept = default;
  Bitmap24& operator=(Bitmap24&&) noexcept = default;
  Bitmap24(const Bitmap24&) = delete;
  Bitmap24& operator=(const Bitmap24&) = delete;

  // Reallocates only when the size changes; the pixels are then zero (black). Throws
  // std::bad_alloc when the memory cannot be had. A size of 0 gives an empty image.
  void Resize(int width, int height);
  void Clear();

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return Bitmap24Stride(width_); }
  std::size_t ByteSize() const { return static_cast<std::size_t>(Stride()) * height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // The stored bytes: the bottom row first.
  std::uint8_t* Bits() { return bits_; }
  const std::uint8_t* Bits() const { return bits_; }
  // Row y counted from the top of the image.
  std::uint8_t* Row(int y) { return bits_ + static_cast<std::size_t>(height_ - 1 - y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return bits_ + static_cast<std::size_t>(height_ - 1 - y) * Stride();
  }
  std::uint8_t* Pixel(int x, int y) { return Row(y) + 3 * x; }
  const std::uint8_t* Pixel(int x, int y) const { return Row(y) + 3 * x; }

  void* Handle() const { return storage_ ? storage_->Handle() : nullptr; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::uint8_t* bits_ = nullptr;
  std::unique_ptr<Bitmap24Storage> storage_;
};

// Colours as the settings hold them: red in the low byte, then green, then blue.
struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  static constexpr Rgb FromColor(int color) {
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
  }
  friend constexpr bool operator==(Rgb a, Rgb b) = default;
};

}  // namespace tessara
