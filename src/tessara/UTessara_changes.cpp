// TfrmTessara: change-saves. Every change the user makes to a window reaches its files at
// once, so a crash or a kill loses nothing done before it.
#include <algorithm>
#include <exception>
#include <vector>

#include "base/globals.h"
#include "shell/error.h"
#include "tessara/UTessara.h"

namespace tessara {

namespace {

// The owners whose last change-save failed. A read-only folder or a full disk would otherwise
// raise a message box at every tile moved, and one window's success must not let another's
// lasting failure (an unwritable count) speak again at every change.
std::vector<const void*> g_failing;

}  // namespace

bool RunChangeSave(const void* owner, const std::function<void()>& save) {
  try {
    save();
  } catch (const std::exception& e) {
    if (std::find(g_failing.begin(), g_failing.end(), owner) != g_failing.end()) return false;
    if (g_failing.empty()) ShowError(e.what());
    g_failing.push_back(owner);
    return false;
  }
  ForgetChangeSaves(owner);
  return true;
}

void ForgetChangeSaves(const void* owner) { std::erase(g_failing, owner); }

bool TfrmTessara::SaveChange() {
  // A deleted window's number may belong to another window by now.
  if (Starting || !SaveOnExit) return false;
  const bool saved = RunChangeSave(this, [this] {
    // The section goes first and marks the layer caches stale: a kill after it, with the
    // tile file not yet replaced, still starts from a composition of the files on disk,
    // which also extracts every icon afresh, so an icon file not yet written never shows.
    StoreSettings();
    ini.StoreBoolean(kLayersStaleKey, true);
    ini.WriteSettings();
    SaveTiles();
  });
  if (saved && host_) host_->ChangeSaved(this);
  return saved;
}

}  // namespace tessara
