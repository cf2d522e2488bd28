#pragma once
// Tile icons as Windows holds them: an HICON, or the bytes of an icon file made into one when
// first drawn; and the program's own image of the icon at the size it is drawn.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "render/iconbitmap_win32.h"
#include "shell/handles_win32.h"
#include "tessara/view.h"

namespace tessara {

// A tile's icon object; owns its HICON and its image, both shared with the tiles that show
// the same icon. One made from the bytes of an icon file keeps the bytes and makes the HICON
// only when it is first drawn, and gives it back once its image is made: the bytes make it
// again should another size be drawn.
class Win32TileIcon final : public TileIcon {
 public:
  explicit Win32TileIcon(HICON icon) : state_(std::make_shared<State>()) { state_->icon.Reset(icon); }
  explicit Win32TileIcon(std::string fileBytes) : state_(std::make_shared<State>()) {
    state_->bytes = std::move(fileBytes);
  }
  // An icon extracted in a scaled size from position `index` of `file`; its cache file still
  // gets the 32-px image, extracted when first asked for.
  Win32TileIcon(HICON icon, std::string file, int index) : Win32TileIcon(icon) {
    source_ = std::move(file);
    index_ = index;
  }
  // An icon cache file, read when the icon is first needed.
  static std::unique_ptr<Win32TileIcon> FromCacheFile(const std::string& path);
  // Another handle on this icon object: it is freed with the last one.
  std::unique_ptr<Win32TileIcon> Share() const;

  std::string FileBytes() const override;
  bool Usable() const override { return !state_->image.Empty() || Get() != nullptr; }
  // The icon; nullptr when the bytes hold no icon Windows can read.
  HICON Get() const;
  // The icon as it is drawn at size x size, made by `imager` on the first call for that
  // size; empty when there is no icon or the system cannot draw it into an image.
  const IconBitmap& Image(int size, IconImager& imager) const;

 private:
  struct State {
    UniqueIcon icon;
    bool unreadable = false;  // the bytes hold no icon Windows can read
    bool read = true;
    std::string bytes;
    std::string path;
    IconBitmap image;
    int imageSize = 0;
  };
  explicit Win32TileIcon(std::shared_ptr<State> state) : state_(std::move(state)) {}
  // Reads the cache file once; an unreadable or invalid file leaves no bytes.
  const std::string& Bytes() const;

  std::shared_ptr<State> state_;
  std::string source_;
  int index_ = 0;
};

// The icon of an .ico file named with its drive or share, as the shell's extraction at size x
// size makes it (the image the system picks for that size); nullptr for another name, a file
// above a few megabytes, one unreadable or not an icon file.
HICON IconFromIcoFile(const std::string& file, int size);

// The first image of an icon file as an HICON, or nullptr.
HICON IconFromIcoBytes(const std::string& bytes);

}  // namespace tessara
