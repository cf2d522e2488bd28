#pragma once
// TfrmTSProperties: the window properties dialog. This is its portable side: the values of
// its controls and its handlers. It knows nothing of the window it edits; its caller fills
// it, shows it and reads it back, and gives it `Target` for the Apply button. The controls
// themselves sit behind ITSPropertiesView (Win32 in UTSProperties_win32, fakes in tests).
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "base/font.h"

namespace tessara {

// The six scroll bars, each with its value label.
enum class TSBar : int { Cols, Rows, TileWidth, TileHeight, BorderSpacing, CellSpacing };
inline constexpr int kTSBarCount = 6;
struct TSBarRange {
  int Min, Max;
};
inline constexpr std::array<TSBarRange, kTSBarCount> kTSBarRanges = {
    {{1, 64}, {1, 64}, {32, 48}, {32, 48}, {0, 8}, {0, 8}}};

enum class TSCheck : int { DriveLetterShadow, BlackFrame, Frame3D, FloatHint };
inline constexpr int kTSCheckCount = 4;

enum class TSMouseButton { Left, Right, Middle };

// The background kinds of the radio group, in their order.
inline constexpr std::array<const char*, 3> kBackTypeItems = {"Simple Color", "Bitmap", "Transparent"};
// The hint example's background colour as the dialog starts (red 255, green 255, blue 164).
inline constexpr int kHintExampleColor = 10813439;
// The colour of the six value labels (red 0, green 64, blue 128).
inline constexpr int kValueLabelColor = 8404992;

class TfrmTSProperties;

class ITSPropertiesView {
 public:
  virtual ~ITSPropertiesView() = default;
  virtual void Attach(TfrmTSProperties* form) = 0;

  // Mirrors of the form's values in the controls.
  virtual void ShowBar(TSBar bar, int position) = 0;
  virtual void ShowLabel(TSBar bar, const std::string& text) = 0;
  virtual void ShowColor(int color) = 0;
  virtual void ShowBackType(int index) = 0;  // -1: no item selected
  virtual void ShowBitmapFile(const std::string& file) = 0;
  virtual void ShowCheck(TSCheck check, bool checked) = 0;
  virtual void ShowHintExample(int background, int text) = 0;
  virtual void ShowFont(const FontSpec& font) = 0;

  // Runs the dialog until OK (true) or Cancel (false).
  virtual bool ShowModal() = 0;
  // The common dialogs; false when cancelled.
  virtual bool ChooseColorDialog(int& color) = 0;
  virtual bool ChooseFontDialog(FontSpec& font) = 0;
  virtual bool OpenPictureDialog(const std::string& initialFolder, std::string& file) = 0;
  // The current user's desktop wallpaper file name; empty when none is set.
  virtual std::string DesktopWallpaper() = 0;
  // The system's window-text colour (red in the low byte).
  virtual int WindowTextColor() = 0;
};

class TfrmTSProperties {
 public:
  explicit TfrmTSProperties(std::unique_ptr<ITSPropertiesView> view);
  ~TfrmTSProperties();
  TfrmTSProperties(const TfrmTSProperties&) = delete;
  TfrmTSProperties& operator=(const TfrmTSProperties&) = delete;

  // What the Apply button applies to; empty: Apply does nothing.
  std::function<void()> Target;

  // The controls' values. Setters show the value in the control.
  int Position(TSBar bar) const { return positions_[Index(bar)]; }
  // As a scroll bar does: a value outside the range is moved to its nearest end, and a
  // change of position runs the bar's change handler.
  void SetPosition(TSBar bar, int value);
  const std::string& LabelText(TSBar bar) const { return labels_[Index(bar)]; }
  void SetLabelText(TSBar bar, const std::string& text);
  int PanelColor() const { return color_; }
  void SetPanelColor(int color);
  // -1 when no item is selected.
  int BackType() const { return back_type_; }
  // A value above the last item selects the last one; a negative one selects none.
  void SetBackType(int index);
  const std::string& BitmapFile() const { return bitmap_file_; }
  void SetBitmapFile(const std::string& file);
  bool Checked(TSCheck check) const { return checks_[static_cast<std::size_t>(check)]; }
  void SetChecked(TSCheck check, bool checked);
  int HintColor() const { return hint_color_; }
  int HintTextColor() const { return hint_text_color_; }
  void SetHintColors(int background, int text);
  const FontSpec& LetterFont() const { return font_; }
  void SetLetterFont(const FontSpec& font);
  // True once the user has accepted a font in the font dialog.
  bool FontChosen() const { return font_chosen_; }

  bool ShowModal() { return view_->ShowModal(); }

  // Handlers.
  void scrColsChange() { BarChange(TSBar::Cols); }
  void scrRowsChange() { BarChange(TSBar::Rows); }
  void scrTileWidthChange() { BarChange(TSBar::TileWidth); }
  void scrTileHeightChange() { BarChange(TSBar::TileHeight); }
  void scrBorderSpacingChange() { BarChange(TSBar::BorderSpacing); }
  void scrCellSpacingChange() { BarChange(TSBar::CellSpacing); }
  void pnlColorClick();
  void SpeedButton1Click();
  void pnlHintExampleMouseDown(TSMouseButton button);
  void SpeedButton2Click();
  void btnFontClick();
  void btnApplyClick();

  ITSPropertiesView& View() { return *view_; }

 private:
  static std::size_t Index(TSBar bar) { return static_cast<std::size_t>(bar); }
  void BarChange(TSBar bar);

  std::unique_ptr<ITSPropertiesView> view_;
  std::array<int, kTSBarCount> positions_{};
  std::array<std::string, kTSBarCount> labels_;
  int color_ = 0;
  int back_type_ = 0;
  std::string bitmap_file_;
  std::array<bool, kTSCheckCount> checks_{};
  int hint_color_ = kHintExampleColor;
  int hint_text_color_ = 0;
  FontSpec font_{"MS Sans Serif", -11, 400, false};
  bool font_chosen_ = false;
};

// The dialog currently open (it is modal, so there is at most one), or nullptr.
extern TfrmTSProperties* frmTSProperties;

// The folder part of a full file name, without the trailing separator; "" when it has none.
std::string FolderOf(const std::string& file);

}  // namespace tessara
