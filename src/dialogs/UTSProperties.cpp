// TfrmTSProperties: the values of the window properties dialog and its handlers.
#include "dialogs/UTSProperties.h"

#include <algorithm>

namespace tessara {

TfrmTSProperties* frmTSProperties = nullptr;

std::string FolderOf(const std::string& file) {
  const std::size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

TfrmTSProperties::TfrmTSProperties(std::unique_ptr<ITSPropertiesView> view) : view_(std::move(view)) {
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    positions_[i] = kTSBarRanges[i].Min;
    labels_[i] = std::to_string(positions_[i]);
  }
  checks_[static_cast<std::size_t>(TSCheck::FloatHint)] = true;
  hint_text_color_ = view_->WindowTextColor();
  view_->Attach(this);
}

TfrmTSProperties::~TfrmTSProperties() {
  // The view goes first: it must not route messages to a half-destroyed form.
  view_.reset();
}

void TfrmTSProperties::SetPosition(TSBar bar, int value) {
  const TSBarRange range = kTSBarRanges[Index(bar)];
  value = std::clamp(value, range.Min, range.Max);
  view_->ShowBar(bar, value);
  if (positions_[Index(bar)] == value) return;
  positions_[Index(bar)] = value;
  BarChange(bar);
}

void TfrmTSProperties::BarChange(TSBar bar) { SetLabelText(bar, std::to_string(Position(bar))); }

void TfrmTSProperties::SetLabelText(TSBar bar, const std::string& text) {
  labels_[Index(bar)] = text;
  view_->ShowLabel(bar, text);
}

void TfrmTSProperties::SetPanelColor(int color) {
  color_ = color & 0xFFFFFF;
  view_->ShowColor(color_);
}

void TfrmTSProperties::SetBackType(int index) {
  back_type_ = index < 0 ? -1 : std::min(index, static_cast<int>(kBackTypeItems.size()) - 1);
  view_->ShowBackType(back_type_);
}

void TfrmTSProperties::SetBitmapFile(const std::string& file) {
  bitmap_file_ = file;
  view_->ShowBitmapFile(file);
}

void TfrmTSProperties::SetChecked(TSCheck check, bool checked) {
  checks_[static_cast<std::size_t>(check)] = checked;
  view_->ShowCheck(check, checked);
}

void TfrmTSProperties::SetHintColors(int background, int text) {
  hint_color_ = background & 0xFFFFFF;
  hint_text_color_ = text & 0xFFFFFF;
  view_->ShowHintExample(hint_color_, hint_text_color_);
}

void TfrmTSProperties::SetLetterFont(const FontSpec& font) {
  font_ = font;
  view_->ShowFont(font_);
}

void TfrmTSProperties::pnlColorClick() {
  int color = color_;
  if (view_->ChooseColorDialog(color)) SetPanelColor(color);
}

void TfrmTSProperties::SpeedButton1Click() {
  std::string file;
  if (view_->OpenPictureDialog(FolderOf(bitmap_file_), file)) SetBitmapFile(file);
}

void TfrmTSProperties::SpeedButton2Click() { SetBitmapFile(view_->DesktopWallpaper()); }

void TfrmTSProperties::pnlHintExampleMouseDown(TSMouseButton button) {
  if (button == TSMouseButton::Left) {
    int color = hint_color_;
    if (view_->ChooseColorDialog(color)) SetHintColors(color, hint_text_color_);
  } else if (button == TSMouseButton::Right) {
    int color = hint_text_color_;
    if (view_->ChooseColorDialog(color)) SetHintColors(hint_color_, color);
  }
}

void TfrmTSProperties::btnFontClick() {
  FontSpec font = font_;
  if (!view_->ChooseFontDialog(font)) return;
  font_chosen_ = true;
  SetLetterFont(font);
}

void TfrmTSProperties::btnApplyClick() {
  if (Target) Target();
}

}  // namespace tessara
