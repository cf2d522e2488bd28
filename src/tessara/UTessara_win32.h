#pragma once
// The tessara's window: a borderless popup owned by the application window. It draws the
// form's layers with GDI, captures the screen behind itself, builds the context menu from
// its table and talks to the shell for icons and associations.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/handles_win32.h"
#include "tessara/UTessara.h"
#include "tessara/reader_win32.h"
#include "tessara/tileicon_win32.h"

namespace tessara {

class ComposingScope;
struct CapturePlan;

inline constexpr const char* kTessaraWindowClass = "TTessara";

// The work area of every monitor attached now (the primary one's when they cannot be listed).
std::vector<WorkRect> MonitorWorkAreas();

// Hides the floating hints of every tessara of the program.
void HideEveryHint();

// Whether a key message is the keyboard's auto-repeat (the key was already down).
bool KeyRepeats(LPARAM lp);

class TessaraWindow final : public ITessaraView {
 public:
  // Menu command ids are this plus the MenuId.
  static constexpr UINT kCommandBase = 1000;

  TessaraWindow(HINSTANCE instance, HWND owner);
  ~TessaraWindow() override;
  TessaraWindow(const TessaraWindow&) = delete;
  TessaraWindow& operator=(const TessaraWindow&) = delete;

  void Attach(TfrmTessara* form) override { form_ = form; }

  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override;
  int Top() const override;
  int Width() const override;
  int Height() const override;
  void SetColor(int color) override;
  void Show() override;
  ScreenSize Screen() const override;
  void SetMenuCheck(MenuId item, bool checked) override;
  bool ChooseColorDialog(int& color) override;

  void LoadPicture(const std::string& path, Bitmap24& picture) override;
  CaptureResult CaptureBehind(Bitmap24& layer, const std::function<void(Bitmap24&)>& whileAway) override;
  void DrawIcon(Bitmap24& layer, const TileIcon& icon, int x, int y) override;
  void DrawLayerText(Bitmap24& layer, int x, int y, const std::string& text, int color) override;
  void PaintRect(const Bitmap24& layer, int x, int y, int width, int height) override;

  void Hide() override;
  void BringToTop() override;
  bool Confirm(const std::string& question) override;

  std::unique_ptr<TileIcon> ExtractTileIcon(const std::string& file, int index) override;
  std::unique_ptr<TileIcon> ShareIcon(const TileIcon& icon) override;
  std::unique_ptr<TileIcon> IconFromFileBytes(std::string bytes) override;
  std::unique_ptr<TileIcon> IconFromCacheFile(const std::string& path) override;
  std::string FindAssociatedProgram(const std::string& file) override;
  std::string ProgramPath() override;

  // Pointer and launching (UTessara_pointer_win32.cpp).
  void SetDragCursor(bool dragging) override;
  WorkRect WorkAreaAt(int screenX, int screenY) const override;
  void MoveTo(int left, int top) override;
  bool StartShell(const LaunchRequest& request, std::string& reason) override;
  // The pointer's messages: buttons, moves, leaving, the lost capture and the cursor.
  // True when the message was one of them; `result` is then its answer.
  bool HandlePointerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // Drops, new tiles and the tile dialog.
  DroppedFile TakeDrop(std::uintptr_t drop) override;
  void AcceptDrops() override;
  ShortcutFields ResolveShortcut(const std::string& file) override;
  std::unique_ptr<IPropertiesView> CreatePropertiesView() override;

  // Reachability of files.
  bool DirectoryReachable(const std::string& folder) override;

  // The window, made at its first bounds (or here, at the default place, when asked first).
  HWND Handle();
  // The context menu, built when first needed: most windows of a start never open it.
  HMENU Menu();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;

 private:
  RECT Bounds() const;
  // The capture's steps: out of the screen copy at `r` for `composing`, as `plan` says, with
  // what lay below repainting where it must; the screen at `r`, false when it cannot be
  // copied (then `layer` is untouched).
  void StepAside(const RECT& r, ComposingScope& composing, const CapturePlan& plan);
  bool CopyScreen(const RECT& r, Bitmap24& layer);
  friend void CaptureBehindTogether(const std::vector<TessaraWindow*>& windows);
  Bitmap24 ahead_;  // the screen behind the window, taken together with others
  RECT ahead_rect_{};
  void BuildMenu();
  void OnPaint();
  // The system's icon at a position of a file, as the tile shows it, not yet made an image.
  std::unique_ptr<Win32TileIcon> ExtractSystemIcon(const std::string& file, int index);

  HINSTANCE instance_;
  HWND owner_;
  RECT pending_{0, 0, 76, 112};  // the bounds until the window exists
  bool accepts_drops_ = false;
  TfrmTessara* form_ = nullptr;
  COLORREF color_ = 0x707070;
  // Layers are selected into this one DC to be drawn on or copied from, one at a time.
  UniqueDC mem_dc_;
  // Makes the tiles' icons into the images they are drawn from.
  IconImager imager_;
  UniqueFont font_;
  UniqueMenu menu_;
  // Check marks by item, kept while the menu is not built yet.
  std::array<bool, kMenuCount> checks_{};
  HDC paint_dc_ = nullptr;  // the window's DC while WM_PAINT runs
  bool tracking_leave_ = false;  // a leave notification has been asked for

  // Window properties: the dialog, the drive letter font and the floating hint.
 public:
  std::unique_ptr<ITSPropertiesView> MakePropertiesView() override;
  void SetLetterFont(const FontSpec& font) override;
  void ShowHint(const std::string& text, int background, int textColor, int x, int y,
                const CellRect& avoid) override;
  void HideHint() override;
  // The pointer handling calls these: a move (client point), leaving the window, a press.
  void HintMouseMove(int x, int y);
  void HintMouseLeave();
  void HintPress();
  // The pointer has rested on a cell (the system's hover notification).
  void HintRest();
  HWND HintWindow() const { return hint_.Get(); }

 private:
  // The drive letter font of the settings, or the default one for an empty face.
  HFONT CreateLetterFont();
  FontSpec letter_font_;
  UniqueWindow hint_;
  std::string hint_text_;
  COLORREF hint_back_ = 0, hint_fore_ = 0;
  // The hint's font at the window's scale.
  HGDIOBJ HintFont();
  UniqueFont hint_font_;
  int hint_font_dpi_ = 0;
  Cell hint_rest_;             // the cell under the pointer, waiting for the hover notification
  bool hint_pressed_ = false;  // a press hid the hint: no new one until another cell
  friend LRESULT CALLBACK HintWindowProc(HWND, UINT, WPARAM, LPARAM);

  // Reachability of windows and tiles (UTessara_keys_win32.cpp).
 public:
  std::vector<WorkRect> WorkAreas() const override;
  void ShowContextMenuAt(int x, int y) override;

  // Display scale (UTessara_dpi_win32.cpp).
  int DpiOf(const WorkRect& rect) const override;
  int SystemDpi() const override;
  void SetDpi(int dpi) override;
  int Dpi() const { return dpi_; }
  // WM_DPICHANGED, or the check of the monitor's scale after a composition that deferred
  // one: true when the message was one of them; `result` is then its answer.
  bool HandleDpiMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  int dpi_ = kBaseDpi;
  // Focus, the menu keys and changes of the monitors; true when the message was one of them.
  bool HandleReachMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // Screen readers (reader_win32.cpp).
 public:
  void FocusCellMoved() override;
  void TileRenamed(int col, int row) override;
  void TilesReordered() override;
  const TfrmTessara* Form() const { return form_; }

 private:
  // A reader's request for the window's object, its default action on a tile and the
  // window's end; true when the message was one of them.
  bool HandleReaderMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  ReaderLink reader_link_;
};

// The windows step aside at once and share one wait; each keeps the screen behind its place
// for its next capture from that place.
void CaptureBehindTogether(const std::vector<TessaraWindow*>& windows);

}  // namespace tessara
