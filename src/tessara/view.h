#pragma once
// What a grid window asks of the platform, by what each part serves: its frame, the
// monitors, the pixels of its layers, icons, the shell, starting tiles, dialogs, the context
// menu, drops, the floating hint and screen readers. Each is implemented by the Win32 window and, in tests,
// by a fake of only the parts a test needs. Nothing here knows the form.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "base/font.h"
#include "base/tile.h"
#include "dialogs/UProperties.h"
#include "dialogs/UTSProperties.h"
#include "render/bitmap24.h"
#include "tessara/menu.h"
#include "tessara/model.h"
#include "tessara/tilefields.h"

namespace tessara {

struct ScreenSize {
  int Width = 0;
  int Height = 0;
};

// The first file of a drop and where it landed (client coordinates). A name the program
// cannot keep leaves Name empty and says why in Problem.
struct DroppedFile {
  int X = 0, Y = 0;
  std::string Name;
  std::string Problem;
};

struct LaunchRequest;

// How a capture of the screen behind a window ended.
enum class CaptureResult {
  Copied,
  CutShort,    // the session ends: the composition is abandoned
  CopyFailed,  // the system refused the copy (another desktop is shown, the session is locked)
};

// The window itself: its rectangle, colour, showing and scale.
class IFrame {
 public:
  virtual ~IFrame() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Moves the window, keeping its size, and has it repainted.
  virtual void MoveTo(int left, int top) = 0;
  virtual void SetColor(int color) = 0;
  virtual void Show() = 0;
  // Hides the window at once (a deleted window goes before it is destroyed).
  virtual void Hide() = 0;
  // Puts a shown window above the other programs' windows without activating it.
  virtual void BringToTop() = 0;
  // The window now shows at `dpi`: icons, drive letters and the hint come in its device size.
  virtual void SetDpi(int /*dpi*/) {}
};

// The screens the window may stand on.
class IMonitors {
 public:
  virtual ~IMonitors() = default;
  virtual ScreenSize Screen() const = 0;
  // The work area of every monitor attached now; empty when the system cannot tell.
  virtual std::vector<WorkRect> WorkAreas() const = 0;
  // The work area (the screen without docked bars) of the monitor nearest a screen point.
  virtual WorkRect WorkAreaAt(int screenX, int screenY) const = 0;
  // The DPI of the monitor that holds most of a screen rectangle, or of the nearest one.
  virtual int DpiOf(const WorkRect& /*rect*/) const { return kBaseDpi; }
  // The DPI by which the system stretched the screen for programs that declare no awareness.
  virtual int SystemDpi() const { return kBaseDpi; }
};

// The layers' pixels: the picture and the screen behind coming in, icons and letters drawn
// into them, and their rectangles going out to the window.
class ISurface {
 public:
  virtual ~ISurface() = default;
  // Loads a bitmap file as 24-bit pixels. Throws Error when the file cannot be read as one.
  virtual void LoadPicture(const std::string& path, Bitmap24& picture) = 0;
  // Takes the window out of the screen copy, lets the screen show what lies behind it, copies
  // the screen in the window's rectangle into `layer`, runs `whileAway` on it and brings the
  // window back. Unless Copied, `layer` holds nothing of the screen and `whileAway` is not
  // run; after CopyFailed it holds what it held before.
  virtual CaptureResult CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) = 0;
  virtual void DrawIcon(Bitmap24& layer, const TileIcon& icon, int x, int y) = 0;
  // Text in the letter font, transparent background; colour red in the low byte.
  virtual void DrawLayerText(Bitmap24& layer, int x, int y, const std::string& text, int color) = 0;
  // The font of drive letters; an empty face gives the default one.
  virtual void SetLetterFont(const FontSpec& font) = 0;
  // Copies a rectangle of a layer to the same place on the window.
  virtual void PaintRect(const Bitmap24& layer, int x, int y, int width, int height) = 0;
};

// Tile icons: extracted from files, shared between tiles, or kept as icon file bytes.
class IIconSource {
 public:
  virtual ~IIconSource() = default;
  virtual std::unique_ptr<TileIcon> ExtractTileIcon(const std::string& file, int index) = 0;
  // Another tile's handle on the same icon: drawn and saved alike, no second copy of it.
  virtual std::unique_ptr<TileIcon> ShareIcon(const TileIcon& icon) = 0;
  // An icon kept as the bytes of an icon file: the icon object is made only when it is
  // first drawn, so a start from intact caches pays for no icon it does not draw.
  virtual std::unique_ptr<TileIcon> IconFromFileBytes(std::string bytes) = 0;
  // The same, from an icon cache file that is read only when the icon is first needed.
  virtual std::unique_ptr<TileIcon> IconFromCacheFile(const std::string& path) = 0;
  // The program that opens a document, whose icon the document's tile shows.
  virtual std::string FindAssociatedProgram(const std::string& file) = 0;
  // Whether a folder can be reached now: false while the removable drive or network share
  // holding it is away, so a failed extraction need not mean the file is gone.
  virtual bool DirectoryReachable(const std::string& folder) = 0;
};

// What the shell says about files a tile is made from.
class IShell {
 public:
  virtual ~IShell() = default;
  virtual ShortcutFields ResolveShortcut(const std::string& file) = 0;
  // This program's own file.
  virtual std::string ProgramPath() = 0;
};

// What a press on a tile reaches beyond the window: the application-wide cursor while the
// tile is held, and the start of the tile on release.
class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // The drag cursor while a tile is held, else the default.
  virtual void SetDragCursor(bool dragging) = 0;
  // Asks the shell to open the request's file with a normal window, never changing the
  // program's current folder; true when it started. Otherwise `reason` is the shell's
  // reason, or empty when the user chose not to go on (a declined elevation prompt).
  virtual bool StartShell(const LaunchRequest& request, std::string& reason) = 0;
};

// The dialogs a window opens.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // A Yes/No question captioned with the application title; true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  // The colour dialog preset to `color`; false when cancelled.
  virtual bool ChooseColorDialog(int& color) = 0;
  // The platform side of a new tile dialog, owned by the application.
  virtual std::unique_ptr<IPropertiesView> CreatePropertiesView() = 0;
  // The controls of a new window properties dialog.
  virtual std::unique_ptr<ITSPropertiesView> MakePropertiesView() = 0;
};

// The context menu.
class IMenu {
 public:
  virtual ~IMenu() = default;
  virtual void SetMenuCheck(MenuId item, bool checked) = 0;
  // Opens the context menu with its corner at the client point (x, y), as a right click does.
  virtual void ShowContextMenuAt(int x, int y) = 0;
};

// Files dropped from the shell.
class IDropTarget {
 public:
  virtual ~IDropTarget() = default;
  // Registers the window as a target for files dropped from the shell.
  virtual void AcceptDrops() = 0;
  // Reads the drop point and the first file's name, then releases the drop.
  virtual DroppedFile TakeDrop(std::uintptr_t drop) = 0;
};

// What a screen reader is told as it happens, so that it speaks what the keyboard user does.
// Windows that no reader watches need none of it: every part does nothing unless implemented.
class IReaderEvents {
 public:
  virtual ~IReaderEvents() = default;
  // The keyboard focus cell moved, or the window gained the focus.
  virtual void FocusCellMoved() {}
  // The description of the tile at (col, row) changed.
  virtual void TileRenamed(int /*col*/, int /*row*/) {}
  // Tiles were added, cut, pasted or moved, or the grid in use changed its size.
  virtual void TilesReordered() {}
};

// The floating hint.
class IHint {
 public:
  virtual ~IHint() = default;
  // Shows `text` in a small box near the screen point (x, y) that takes no focus and leaves
  // the screen rectangle `avoid` (the tile under the pointer) uncovered.
  virtual void ShowHint(const std::string& text, int background, int textColor, int x, int y,
                        const CellRect& avoid) = 0;
  virtual void HideHint() = 0;
};

}  // namespace tessara
