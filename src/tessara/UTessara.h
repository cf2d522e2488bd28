#pragma once
// TfrmTessara: one floating grid window. This is its portable side: state and handlers,
// split by concern across UTessara*.cpp. The window, GDI and the shell sit behind the
// interfaces of view.h, implemented by the Win32 edge and by recording fakes in tests.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/UProperties.h"
#include "base/font.h"
#include "dialogs/UTSProperties.h"
#include "render/bitmap24.h"
#include "render/effects.h"
#include "tessara/composer.h"
#include "tessara/hint.h"
#include "tessara/icons.h"
#include "tessara/keyfocus.h"
#include "tessara/litcell.h"
#include "tessara/host.h"
#include "tessara/menu.h"
#include "tessara/model.h"
#include "tessara/placement.h"
#include "tessara/pointer.h"
#include "tessara/tilefields.h"
#include "tessara/view.h"
#include "tessara/windowfiles.h"

namespace tessara {

// The whole of what a window asks of the platform, as the Win32 window implements it.
// Attach is the one part that knows the form, so the parts in view.h need not.
class ITessaraView : public IFrame,
                     public IMonitors,
                     public ISurface,
                     public IIconSource,
                     public IShell,
                     public ILauncher,
                     public IDialogs,
                     public IMenu,
                     public IDropTarget,
                     public IHint,
                     public IReaderEvents {
 public:
  // Called once by the form it serves, so the window can route its messages to it.
  virtual void Attach(class TfrmTessara* form) = 0;
};

// The form writes its model, so Tile() makes a record there on first access: a handler that
// only reads a cell reads it through the const model (Occupied, a const Tile or Find).
class TfrmTessara : public TessaraModel {
 public:
  // programFolder names where "tswin.ini", "settings" and the icon library lie.
  TfrmTessara(ITessaraHost* host, std::unique_ptr<ITessaraView> view, const std::string& programFolder);
  ~TfrmTessara();
  TfrmTessara(const TfrmTessara&) = delete;
  TfrmTessara& operator=(const TfrmTessara&) = delete;

  // The window number 1..16; also its settings section.
  int Number() const { return files_.Number(); }
  WindowFiles& Files() { return files_; }
  const WindowFiles& Files() const { return files_; }
  // Run-time state.
  LitCell Lit;
  // The layers as they are in memory; Layer(m) reads one still in its cache file first.
  const std::array<Bitmap24, 3>& Layers() const { return composer_.Layers(); }
  Bitmap24& Layer(int m) { return composer_.Layer(m); }
  bool LayersReady() const { return composer_.Ready(); }
  TileIcons& Icons() { return icons_; }

  // Lifecycle.
  void FormCreate();
  // Number and settings section always change together.
  void SetNumber(int number);
  void LoadTessara(int number);
  void SetDefaults();
  void FormShow();
  // FormShow in two steps: what the window will show (its cached layers, or a composition
  // to come), then the composition and the showing. Start-up prepares later windows first
  // so that their captures can be taken together.
  void PrepareShow();
  void FinishShow();
  // Between the two steps: the window will capture what lies behind it.
  bool CapturesAtShow() const { return compose_at_show_ && BackType == 2 && !CaptureHeld(); }
  // Nothing of the desktop can be copied while the session is locked or disconnected: a
  // composition that would capture keeps the layers (the colour stands in for layers of
  // another size) and the window wants a capture once the session is back.
  bool CaptureHeld() const { return host_ && host_->SessionAway(); }
  bool WantsCapture() const { return composer_.WantsCapture(); }
  // Writes every file of the window that can be written; throws one Error naming each file
  // that could not be.
  void SaveTessara();
  void FormDestroy();
  // `repeat`: the key was already down (the keyboard's auto-repeat).
  void FormKeyDown(int key, unsigned shift, bool repeat = false);

  // Composition and tiles.
  void ComposeLayers() { composer_.Compose(); }
  void FormPaint() { composer_.Paint(); }
  // A tile's icon loaded again and, once the layers are composed, drawn and shown.
  void LoadTileIcon(int col, int row);
  void DrawTile(int col, int row) { composer_.DrawTile(col, row); }
  void DrawCell(int layer, int col, int row);
  void SyncMenuChecks();
  // Resizes the window to the formulas of its grid.
  void ApplySize();

  // Context menu commands.
  void RunCommand(MenuId id);
  // The handler of a menu item; none for a submenu or a separator. A switch, so an item added
  // to the menu without a handler is a compiler warning.
  using Command = void (TfrmTessara::*)();
  static Command CommandOf(MenuId id);
  // Lives while the window does and turns false when it is deleted. A command that waits on a
  // dialog takes it first, with the cell it acts on, and goes no further if the window went.
  std::weak_ptr<const bool> Life() const { return life_; }
  void cmShortcutClick();
  void cmDriveClick();
  void cmPropertiesClick();
  void cmCutClick();
  void cmCopyClick();
  void cmPasteClick();
  void cmNewTessaraClick();
  void cmDeleteClick();
  void cmWindowPropertiesClick();
  void cmSelectTintColorClick();
  void cmTintClick();
  void cmBlackFrameClick();
  void cm3DFrameClick();
  void cmNoEffectClick();
  void cmMonochromeClick();
  void cmEmbossClick();
  void cmBlurClick();
  void cmDisplaceClick();
  void SaveSettings1Click();
  void RebuildIcons1Click();
  void Redraw1Click();
  void cmControlPanelClick();
  void ExitApplication1Click();

  // Pointer interaction and launching (coordinates in window pixels; the pointer is captured
  // while a button is held, so they may lie outside the window).
  void FormMouseDown(MouseButton button, unsigned shift, int x, int y);
  void FormMouseMove(unsigned shift, int x, int y);
  void FormMouseUp(MouseButton button, unsigned shift, int x, int y);
  void FormMouseLeave();
  // The window lost the pointer while a button was held (another window took it): the
  // press ends as a release outside would, and a window move as a release does.
  void FormCaptureLost();
  // Only reads the model (an empty cell starts nothing), so it holds it const.
  void RunTile(int col, int row) const;
  // A tile is held or the window is being moved: keys and the context menu wait for the release.
  bool Holding() const { return pointer_.Holding(); }
  // What the pointer holds, for the edge and tests.
  const Pointer& Pointing() const { return pointer_; }

  // The tile clipboard: the tile commands act on the selected cell, if there is one.
  bool HasSelectedCell() const;

  // Making and editing tiles.
  // The shell's drop message; `drop` is the handle it carries.
  void WMDropFiles(std::uintptr_t drop);

  // Window properties, floating hint and drive letter font.
  void ApplyProperties();
  // The pointer rests on a cell (screen point x, y): shows its description when the hint is on.
  void HintOver(int col, int row, int screenX, int screenY);
  // The pointer left the cell, left the window or pressed a button.
  void HintHide();

  // Reachability: windows kept on screen, tiles by keyboard.
  // Shows the window at its own place (Left, Top) when a monitor shows enough of it, else in
  // the nearest work area; true when it moved. Only a move by the user changes the own place.
  bool KeepOnScreen();
  // The window gained or lost the keyboard focus: the focus cell is shown or removed.
  void FormActivate();
  void FormDeactivate();
  // The keys of the focus cell; false for a key they leave to FormKeyDown.
  bool TileKeyDown(int key, unsigned shift, bool repeat = false);
  // Keyboard cues: the focus cell is shown only once the keyboard has been used, so a pointer
  // user never sees it.
  void ShowFocusCues(bool shown);
  // The focus cell and cues, for the edge and tests.
  KeyFocus& Focus() { return keys_; }
  const KeyFocus& Focus() const { return keys_; }

  // Display scale (UTessara_dpi.cpp).
  // The window shows at the scale of the monitor it is on; set before its size is computed.
  void UseDpi(int dpi);
  // The window reached a monitor of another DPI (or that monitor's scale changed): it takes
  // the system's suggested place and recomposes once at the new scale.
  void FormDpiChanged(int dpi, int left, int top);

  // Changes that survive a crash: see WindowFiles::SaveChange. The host hears of each one
  // that reached the files.
  bool SaveChange();

  ITessaraView& View() { return *view_; }
  std::string IconLibraryPath() const { return icons_.LibraryPath(); }

 private:
  // Shows the layer cache files when this window may trust them.
  bool LoadCachedLayers();
  void SetEffect(int effect);
  void SetLook(int borderType);
  // Starts, swaps or saves what a release of the pointer asks for.
  void RunPointer(const PointerResult& result);
  void MakeTileFromDrop(int col, int row, const std::string& name);
  void HandDropToTile(const TTileRecord& tile, const std::string& name);
  // Starts a tile through the shell, with a dropped file (if not empty) as one more argument;
  // a start that fails is reported with the shell's reason.
  void StartTile(const TTileRecord& tile, const std::string& dropped) const;

  ITessaraHost* host_;
  std::unique_ptr<ITessaraView> view_;
  FloatingHint hint_{*this, *view_};
  // Before the roles that take the program folder from it.
  WindowFiles files_;
  TileIcons icons_{*this, *view_, *view_, files_.Folder()};
  Composer composer_{*this, *view_, *view_, icons_, hint_, files_.Folder(), [this] { return CaptureHeld(); }};
  Pointer pointer_{*this, *view_, *view_, *view_, Lit,
                   [this](CellLook look, int col, int row) { DrawCell(static_cast<int>(look), col, row); },
                   {[this] { return host_ && host_->SnapToEdges(); }, [this] { return host_ ? host_->SnapDistance() : 0; }}};
  // The keys light nothing before the window's layers are there.
  KeyFocus keys_{*this, Lit, pointer_, [this](CellLook look, int col, int row) {
                   if (LayersReady()) DrawCell(static_cast<int>(look), col, row);
                 }};
  bool compose_at_show_ = false;
  // Placement keeps nothing of its own: made where it is used.
  Placement Place() { return {*this, *view_, *view_}; }

  std::shared_ptr<bool> life_ = std::make_shared<bool>(true);
};

// Whether the window of a Life() token is still there and not deleted.
inline bool StillHere(const std::weak_ptr<const bool>& life) {
  const auto alive = life.lock();
  return alive && *alive;
}

}  // namespace tessara
