#pragma once
// The window's files: its number, which is also its section of "tswin.ini", the program
// folder that holds them, and their saving: the settings and tiles read at load, written at
// the full save and after each change the user makes.
#include <functional>
#include <string>
#include <vector>

#include "settings/RegVal.h"
#include "tessara/model.h"
#include "tessara/view.h"

namespace tessara {

// The Booleans key of a window's section that says its layer cache files may be older than its
// tiles or settings; set by a change-save, cleared by the full save once the layers are written.
inline constexpr const char* kLayersStaleKey = "LayersStale";
// The Booleans key that marks a section written by a DPI-aware build: its positions are
// device pixels. A section without it has its position converted once at load.
inline constexpr const char* kDpiAwareKey = "DpiAware";
// The Integers key holding the DPI at which the layer cache files were composed.
inline constexpr const char* kLayersDpiKey = "LayersDpi";

// The window keys of "tswin.ini" in their order, with the defaults of a saved window.
TRegVal::Lines TessaraBooleanKeys();
TRegVal::Lines TessaraIntegerKeys();
TRegVal::Lines TessaraStringKeys();

// Runs one change-save of `owner` (a window, or the program's own keys). An error is shown
// when nothing else is failing; then every failure stays quiet until each owner that failed
// has saved again (the exit's save still reports every failure); true when it succeeded.
bool RunChangeSave(const void* owner, const std::function<void()>& save);
// An owner that is gone (a deleted window) no longer keeps the others quiet.
void ForgetChangeSaves(const void* owner);

// Runs one save of a full save; its Error is added to `failed`, so the files after it are
// still written and every failure is reported together.
void AttemptSave(std::vector<std::string>& failed, const std::function<void()>& save);

class WindowFiles {
 public:
  // Extracts the icon of a tile afresh, for an icon whose bytes can no longer be had.
  using ExtractIcon = std::function<void(int col, int row)>;

  // Loading writes the settings and the tiles into the model, so it holds it writable.
  // `programFolder` names where "tswin.ini" and "settings" lie.
  WindowFiles(TessaraModel& model, IIconSource& icons, const std::string& programFolder, ExtractIcon extractIcon);
  ~WindowFiles();
  WindowFiles(const WindowFiles&) = delete;
  WindowFiles& operator=(const WindowFiles&) = delete;

  // The window number 1..16; also the settings section of Ini().
  int Number() const { return number_; }
  const std::string& Folder() const { return folder_; }
  TRegVal& Ini() { return ini_; }
  const TRegVal& Ini() const { return ini_; }
  // Number and settings section always change together.
  void SetNumber(int number);

  // True for a window made by "New Tessara": it never takes up cached layers.
  bool Fresh() const { return fresh_; }
  void MarkFresh() { fresh_ = true; }
  // False once the window is deleted: its number may belong to another window by now.
  bool SaveOnExit() const { return save_on_exit_; }
  void SetSaveOnExit(bool save) { save_on_exit_ = save; }
  // The tile file was there but could not be read at load: no save writes tiles, and the
  // layers, which show none, are never cached.
  bool TilesUnread() const { return tiles_unread_at_ != 0; }

  // Reads the section into the model's settings.
  void ReadSettings();
  // Whether the section was written by a DPI-aware build.
  bool DpiAware() const { return ini_.BooleanValue(kDpiAwareKey); }
  // The settings of a new window; it counts as fresh.
  void SetDefaults();
  void LoadTiles();

  // The tiles, the icon files that changed and the section, which records whether the layer
  // cache files are whole (`layersSaved`) and at what scale. Every file that can be written
  // is; the errors of those that could not be are added to `failed`, in order.
  void Save(bool layersSaved, std::vector<std::string>& failed);
  // Sets the stale mark of this window's section in the file, when it is clear there.
  void MarkLayersStaleOnDisk();
  // After a change the user makes to this window, its settings section (marking its layer
  // caches stale), its tile data file and the icon cache files that changed are written at
  // once; the layer caches wait for the full save. True when everything was written; nothing
  // is written while starting or by a deleted window. A failure is reported by RunChangeSave
  // and the change stays in memory for the next save.
  bool SaveChange();

 private:
  void SaveTiles();
  // The settings of the section as they are now.
  void StoreSettings();
  void ReportUnreadTiles(const std::string& file);

  TessaraModel& model_;
  IIconSource& icons_;
  ExtractIcon extract_icon_;
  std::string folder_;
  int number_ = 0;
  TRegVal ini_;
  bool fresh_ = false;
  bool save_on_exit_ = true;
  // The number whose tile file was there but could not be read at load (held by another
  // program, offline, absurdly large); 0 when the tiles were read. That file is kept as it
  // is, following the window to a new number, and this window writes no tiles, so they come
  // back at a later start; its layers show no tiles and are never cached.
  int tiles_unread_at_ = 0;
};

}  // namespace tessara
