#pragma once
// Tile icons as Windows holds them: an HICON, or the bytes of an icon file made into one when
// first drawn.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "shell/handles_win32.h"
#include "tessara/view.h"

namespace tessara {

// A tile's icon object; owns its HICON. One made from the bytes of an icon file keeps the
// bytes and makes the HICON only when it is first drawn.
class Win32TileIcon final : public TileIcon {
 public:
  explicit Win32TileIcon(HICON icon) : icon_(std::make_shared<UniqueIcon>(icon)) {}
  explicit Win32TileIcon(std::string fileBytes) : bytes_(std::move(fileBytes)) {}
  // An icon extracted in a scaled size from position `index` of `file`; its cache file still
  // gets the 32-px image, extracted when first asked for.
  Win32TileIcon(HICON icon, std::string file, int index)
      : icon_(std::make_shared<UniqueIcon>(icon)), source_(std::move(file)), index_(index) {}
  // An icon cache file, read when the icon is first needed.
  static std::unique_ptr<Win32TileIcon> FromCacheFile(const std::string& path);
  // Another handle on this icon object: it is freed with the last one.
  std::unique_ptr<Win32TileIcon> Share() const;

  std::string FileBytes() const override;
  bool Usable() const override { return Get() != nullptr; }
  // The icon; nullptr when the bytes hold no icon Windows can read.
  HICON Get() const;

 private:
  mutable std::shared_ptr<UniqueIcon> icon_;
  Win32TileIcon() = default;
  // Reads the cache file once; an unreadable or invalid file leaves no bytes.
  const std::string& Bytes() const;

  mutable bool tried_ = false;
  mutable bool read_ = true;
  mutable std::string bytes_;
  std::string path_;
  std::string source_;
  int index_ = 0;
};

// The first image of an icon file as an HICON, or nullptr.
HICON IconFromIcoBytes(const std::string& bytes);

}  // namespace tessara
