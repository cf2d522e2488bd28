#pragma once
// A recording stand-in for the tessara's window, GDI and shell.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/drawbmps.h"
#include "render/icofile.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "dialogs/fake_properties_view.h"
#include "dialogs/fake_tsproperties_view.h"
#include "tessara/UTessara.h"
#include "tessara/launch.h"

namespace tessara {
inline void PrintTo(const LaunchRequest& r, std::ostream* os) {
  *os << "{" << r.File << " | " << r.Parameters << " | " << r.Directory << "}";
}
}  // namespace tessara

namespace tessara::testing {

struct FakeIcon : TileIcon {
  explicit FakeIcon(std::string source) : Source(std::move(source)) {}
  // A real icon file whose one pixel encodes the source's length, so files differ.
  std::string MadeBytes() const {
    IconImage image{1, 1, {0xFF000000u | static_cast<std::uint32_t>(Source.size())}};
    return EncodeIcon({IconEntry{image, IconDepth::Argb32}});
  }
  bool Usable() const override { return Source.rfind("cache:", 0) != 0 || CacheValid(); }
  std::string FileBytes() const override {
    if (Source.rfind("bytes:", 0) == 0) return Source.substr(6);
    if (Source.rfind("cache:", 0) != 0) return MadeBytes();
    std::string bytes;
    return CacheValid() && ReadWholeFile(Source.substr(6), bytes) ? bytes : std::string();
  }
  bool CacheValid() const {
    std::string bytes;
    return ReadWholeFile(Source.substr(6), bytes) && IsValidIconFile(bytes);
  }
  std::string Source;  // "file#index", "bytes:" and the icon file, or "cache:" and its path
};

struct FakeTessaraView : ITessaraView {
  struct TextCall {
    int layer_width, x, y;
    std::string text;
    int color;
  };
  int left = 0, top = 0, width = 0, height = 0, color = -1;
  bool shown = false;
  TfrmTessara* form = nullptr;
  ScreenSize screen{1024, 768};
  std::map<MenuId, bool> checks;
  // Files that yield icons, by "file#index"; everything else yields none.
  std::set<std::string> icons;
  std::map<std::string, std::string> associations;
  std::vector<std::string> extractions;
  std::vector<std::pair<int, int>> icon_draws;
  std::vector<TextCall> texts;
  int paints = 0, captures = 0, pictures = 0, hides = 0, questions = 0, raises = 0;
  bool answer_yes = true;
  int icons_from_bytes = 0, icons_from_cache = 0;
  Rgb behind{10, 20, 30};  // what a capture sees
  std::function<void(const std::string&, Bitmap24&)> picture_loader;
  bool choose_ok = true;
  int chosen_color = 0x123456;

  int system_dpi = 96;  // the scale of programs that declare no awareness
  int SystemDpi() const override { return system_dpi; }

  void Attach(TfrmTessara* f) override { form = f; }
  void SetBounds(int l, int t, int w, int h) override {
    left = l;
    top = t;
    width = w;
    height = h;
  }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetColor(int c) override { color = c; }
  void Show() override { shown = true; }
  ScreenSize Screen() const override { return screen; }
  void SetMenuCheck(MenuId item, bool c) override { checks[item] = c; }
  bool ChooseColorDialog(int& c) override {
    if (choose_ok) c = chosen_color;
    return choose_ok;
  }
  void LoadPicture(const std::string& path, Bitmap24& picture) override {
    ++pictures;
    if (picture_loader) picture_loader(path, picture);
  }
  bool copy_fails = false;  // the system refuses the screen copy
  CaptureResult CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) override {
    ++captures;
    if (copy_fails) return CaptureResult::CopyFailed;
    FillBitmap(layer, behind);
    whileAway(layer);
    return CaptureResult::Copied;
  }
  void DrawIcon(Bitmap24& layer, const TileIcon&, int x, int y) override {
    icon_draws.emplace_back(x, y);
    // Mark the icon's corner so tests can see where it went.
    layer.Pixel(x, y)[0] = 1;
  }
  void DrawLayerText(Bitmap24& layer, int x, int y, const std::string& text, int c) override {
    texts.push_back({layer.Width(), x, y, text, c});
  }
  void PaintRect(const Bitmap24& layer, int x, int y, int w, int h) override {
    ++paints;
    int index = -1;
    for (int m = 0; m < 3 && form; ++m)
      if (&layer == &form->Layers()[static_cast<std::size_t>(m)]) index = m;
    painted.push_back({index, x, y, w, h});
  }
  std::unique_ptr<TileIcon> ExtractTileIcon(const std::string& file, int index) override {
    const std::string key = file + "#" + std::to_string(index);
    extractions.push_back(key);
    if (!icons.count(key)) return nullptr;
    return std::make_unique<FakeIcon>(key);
  }
  std::unique_ptr<TileIcon> ShareIcon(const TileIcon& icon) override {
    return std::make_unique<FakeIcon>(static_cast<const FakeIcon&>(icon).Source);
  }
  std::string FindAssociatedProgram(const std::string& file) override {
    auto it = associations.find(file);
    return it == associations.end() ? std::string() : it->second;
  }
  std::string ProgramPath() override { return "C:\\prog\\tessara.exe"; }
  void Hide() override { ++hides; }
  void BringToTop() override { ++raises; }
  bool Confirm(const std::string&) override {
    ++questions;
    return answer_yes;
  }
  std::unique_ptr<TileIcon> IconFromFileBytes(std::string bytes) override {
    ++icons_from_bytes;
    return std::make_unique<FakeIcon>("bytes:" + bytes);
  }
  std::unique_ptr<TileIcon> IconFromCacheFile(const std::string& path) override {
    ++icons_from_cache;
    return std::make_unique<FakeIcon>("cache:" + path);
  }

  // Drops, new tiles and the tile dialog.
  DroppedFile drop;  // what the next drop carries
  int accept_drops = 0;
  std::map<std::string, ShortcutFields> shortcuts;  // unlisted files resolve to nothing
  std::vector<std::string> resolved;
  // Plays the user in each tile dialog.
  std::function<bool(TfrmProperties&, FakePropertiesView&)> dialog_answer;
  std::map<std::string, int> dialog_icon_counts;
  int dialogs = 0;
  DroppedFile TakeDrop(std::uintptr_t) override { return drop; }
  void AcceptDrops() override { ++accept_drops; }
  ShortcutFields ResolveShortcut(const std::string& file) override {
    resolved.push_back(file);
    auto it = shortcuts.find(file);
    return it == shortcuts.end() ? ShortcutFields{} : it->second;
  }
  std::unique_ptr<IPropertiesView> CreatePropertiesView() override {
    auto view = std::make_unique<FakePropertiesView>();
    view->answer = dialog_answer;
    view->icon_counts = dialog_icon_counts;
    view->program = ProgramPath();
    ++dialogs;
    return view;
  }

  // Pointer and launching.
  struct PaintCall {
    int layer;  // index into the form's Layers, -1 for another image
    int x, y, width, height;
  };
  std::vector<PaintCall> painted;
  bool drag_cursor = false;
  // Monitors' work areas; a point on none of them gets the first (the nearest, roughly).
  std::vector<WorkRect> monitors{{0, 0, 1024, 738}};
  std::vector<std::pair<int, int>> moves;
  std::vector<LaunchRequest> started;
  std::map<std::string, std::string> refused;  // files the shell refuses, with its reason

  void SetDragCursor(bool dragging) override { drag_cursor = dragging; }
  WorkRect WorkAreaAt(int x, int y) const override {
    for (const WorkRect& m : monitors)
      if (x >= m.Left && x < m.Right && y >= m.Top && y < m.Bottom) return m;
    return monitors.front();
  }
  void MoveTo(int l, int t) override {
    moves.emplace_back(l, t);
    left = l;
    top = t;
  }
  bool StartShell(const LaunchRequest& request, std::string& reason) override {
    started.push_back(request);
    const auto it = refused.find(request.File);
    if (it != refused.end()) reason = it->second;
    return it == refused.end();
  }

  // Window properties: the dialog, the drive letter font and the floating hint.
  struct HintCall {
    std::string text;
    int background, color, x, y;
    CellRect avoid;
  };
  // The dialog's user, run when the dialog is shown; `properties` is valid while it is open.
  std::function<bool(TfrmTSProperties&)> properties_user;
  FakeTSPropertiesView* properties = nullptr;
  std::vector<FontSpec> letter_fonts;
  std::vector<HintCall> hints;
  int hint_hides = 0;
  std::unique_ptr<ITSPropertiesView> MakePropertiesView() override {
    auto dialog = std::make_unique<FakeTSPropertiesView>();
    dialog->user = properties_user;
    properties = dialog.get();
    return dialog;
  }
  void SetLetterFont(const FontSpec& font) override { letter_fonts.push_back(font); }
  void ShowHint(const std::string& text, int background, int c, int x, int y, const CellRect& avoid) override {
    hints.push_back({text, background, c, x, y, avoid});
  }
  void HideHint() override { ++hint_hides; }

  // Reachability of files.
  std::set<std::string> unreachable;  // folders, with their trailing separator
  bool DirectoryReachable(const std::string& folder) override { return !unreachable.count(folder); }

  // Reachability of windows and tiles: the work areas are the monitors above.
  std::vector<std::pair<int, int>> menus_at;  // client points the context menu opened at
  std::vector<WorkRect> WorkAreas() const override { return monitors; }
  void ShowContextMenuAt(int x, int y) override { menus_at.emplace_back(x, y); }
};

}  // namespace tessara::testing
