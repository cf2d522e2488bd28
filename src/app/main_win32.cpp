// Program entry: one control panel per program folder; the tessaras first, the panel once
// they have painted.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "app/UMain_win32.h"
#include "app/startupprobe_win32.h"
#include "settings/tiledata.h"
#include "shell/alTools.h"
#include "shell/dpi_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/systemlibrary_win32.h"
#include "shell/window_win32.h"

namespace {

// Two copies in one folder would overwrite each other's files at exit: the second start
// brings the running control panel on screen instead, and writes nothing (false). A copy
// that is ending (its panel gone, its files being saved) holds the folder's mutex until it
// has finished: this start then waits for it and goes on as the only copy (true).
bool WaitForOrShowRunningInstance(HANDLE mutex, unsigned long long key) {
  // Long enough for an exit that waits on files held by other programs.
  for (int attempt = 0; attempt < 300; ++attempt) {
    if (HWND panel = tessara::FindRunningPanel(key)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(panel, &pid);
      AllowSetForegroundWindow(pid);
      PostMessageA(panel, tessara::WM_APP_SHOWPANEL, 0, 0);
      return false;
    }
    // The first copy may still be starting, or be ending.
    const DWORD wait = WaitForSingleObject(mutex, 100);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // Before any library is loaded by name.
  tessara::SearchLibrariesInSystemFolderOnly();
  // Where the manifest is not read (or its V2 awareness refused), settled before any window.
  tessara::DeclareDpiAwareness();
  const tessara::StartupProbe probe(commandLine);
  // COM comes with the first function that needs it, which a start from the caches never calls.
  const tessara::ComApartmentUntilExit com;
  tessara::InstallMessageBoxes();
  tessara::SetApplicationTitle("Tessara");

  // A folder named outside a legacy code page would leave every file of the program out of
  // reach: said at once, rather than running without saving.
  const std::wstring folderProblem = tessara::ProgramFolderProblem(tessara::ProgramPathWide());
  if (!folderProblem.empty()) {
    tessara::MessageBoxWithTitle(folderProblem, MB_OK | MB_ICONERROR);
    return 1;
  }

  const std::string folder = alTools::ProgramFolder();
  const unsigned long long key = tessara::ProgramFolderKey(folder);
  char mutex_name[64];
  std::snprintf(mutex_name, sizeof mutex_name, "Local\\TessaraProgram-%016llx", key);
  // Owned for the whole run, so a copy that is still saving at its exit keeps the folder.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, mutex_name);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS && !WaitForOrShowRunningInstance(mutex, key)) {
    CloseHandle(mutex);
    return 0;
  }

  // No other copy writes here now: a temporary file of ours is a save that was cut short.
  if (mutex) tessara::RemoveLeftoverTemporaryFiles(folder);

  int code = 0;
  try {
    tessara::MainWindow main(instance, folder);
    main.CreateBeforePanel();
    if (probe.RedrawRequested()) {
      main.ShowFirst();  // a redraw as the user asks for it: with the start over
      tessara::TfrmMain& form = main.Form();
      for (int slot = 1; slot <= form.TessaraCount; ++slot)
        if (tessara::TfrmTessara* t = form.Tessara(slot)) t->RunCommand(tessara::MenuId::Redraw1);
    }
    // The panel, its tray icon and the libraries they load wait until the last tessara has
    // painted; the probe measures up to there.
    tessara::PumpUntilPainted();
    probe.FinishIfRequested();
    main.ShowFirst();
    code = main.Run();
    main.Shutdown();
  } catch (const std::exception& e) {
    tessara::ShowError(e.what());
    code = 1;
  }
  if (mutex) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  return code;
}
