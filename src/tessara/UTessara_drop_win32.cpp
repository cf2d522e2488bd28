// The tessara's window: files dropped from the shell, shortcuts, the tile dialog and starting
// the program a file was dropped on.
#include "dialogs/UProperties_win32.h"

#include <shellapi.h>

#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/shortcut_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_win32.h"

namespace tessara {

DroppedFile TessaraWindow::TakeDrop(std::uintptr_t drop) {
  HDROP handle = reinterpret_cast<HDROP>(drop);
  DroppedFile dropped;
  POINT point{};
  late::DragQueryPoint(handle, &point);
  dropped.X = point.x;
  dropped.Y = point.y;
  // Only the first file counts; its name is read whole, in UTF-16, and then made to fit.
  if (late::DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT length = late::DragQueryFileW(handle, 0, nullptr, 0);
    std::wstring wide(length + 1, L'\0');
    wide.resize(late::DragQueryFileW(handle, 0, wide.data(), length + 1));
    AnsiFileName name = ToAnsiFileName(wide);
    dropped.Name = std::move(name.Name);
    dropped.Problem = std::move(name.Problem);
  }
  late::DragFinish(handle);
  return dropped;
}

void TessaraWindow::AcceptDrops() {
  accepts_drops_ = true;
  if (hwnd_) late::DragAcceptFiles(hwnd_, TRUE);
}

ShortcutFields TessaraWindow::ResolveShortcut(const std::string& file) {
  const ShortcutInfo info = ::tessara::ResolveShortcut(Handle(), file);
  return {info.Target,  info.WorkingFolder, info.Description, info.IconLocation, info.IconIndex,
          info.Problem, info.Arguments,     info.IdListOnly,  info.Advertised};
}

std::unique_ptr<IPropertiesView> TessaraWindow::CreatePropertiesView() {
  return std::make_unique<PropertiesWindow>(instance_, Handle());
}

}  // namespace tessara
