// TfrmTessara: change-saves. Every change the user makes to a window reaches its files at
// once, so a crash or a kill loses nothing done before it.
#include <exception>

#include "base/globals.h"
#include "shell/error.h"
#include "tessara/UTessara.h"

namespace tessara {

namespace {

// A read-only folder or a full disk would otherwise raise a message box at every tile moved.
bool g_change_error_shown = false;

}  // namespace

bool RunChangeSave(const std::function<void()>& save) {
  try {
    save();
  } catch (const std::exception& e) {
    if (!g_change_error_shown) {
      g_change_error_shown = true;
      ShowError(e.what());
    }
    return false;
  }
  g_change_error_shown = false;
  return true;
}

bool TfrmTessara::SaveChange() {
  // A deleted window's number may belong to another window by now.
  if (Starting || !SaveOnExit) return false;
  const bool saved = RunChangeSave([this] {
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
