#pragma once
// The tessara's window for screen readers: WM_GETOBJECT answered with an IAccessible that
// wraps what the portable reader decides. The objects a reader holds keep only a weak link to
// their window; once it is cut, each of their calls fails as disconnected.
#include <memory>

namespace tessara {

class TessaraWindow;

class ReaderLink {
 public:
  ReaderLink() = default;
  ReaderLink(const ReaderLink&) = delete;
  ReaderLink& operator=(const ReaderLink&) = delete;
  ~ReaderLink() { Cut(); }
  // The link the window's accessible objects share; made at the first request.
  std::shared_ptr<TessaraWindow*> For(TessaraWindow* window) {
    if (!link_) link_ = std::make_shared<TessaraWindow*>(window);
    return link_;
  }
  // The window goes: every object made so far answers no more.
  void Cut() {
    if (link_) *link_ = nullptr;
    link_.reset();
  }

 private:
  std::shared_ptr<TessaraWindow*> link_;
};

}  // namespace tessara
