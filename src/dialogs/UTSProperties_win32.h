#pragma once
// The window properties dialog's controls: a modal tool window built from one table of
// controls, with the colour, font and open-picture dialogs.
#include <windows.h>

#include "dialogs/UTSProperties.h"
#include "shell/handles_win32.h"

namespace tessara {

inline constexpr const char* kTSPropertiesClass = "TfrmTSProperties";

class TSPropertiesWindow final : public ITSPropertiesView {
 public:
  TSPropertiesWindow(HINSTANCE instance, HWND owner);
  ~TSPropertiesWindow() override;
  TSPropertiesWindow(const TSPropertiesWindow&) = delete;
  TSPropertiesWindow& operator=(const TSPropertiesWindow&) = delete;

  void Attach(TfrmTSProperties* form) override { form_ = form; }
  void ShowBar(TSBar bar, int position) override;
  void ShowLabel(TSBar bar, const std::string& text) override;
  void ShowColor(int color) override;
  void ShowBackType(int index) override;
  void ShowBitmapFile(const std::string& file) override;
  void ShowCheck(TSCheck check, bool checked) override;
  void ShowHintExample(int background, int text) override;
  void ShowFont(const FontSpec& font) override;
  bool ShowModal() override;
  bool ChooseColorDialog(int& color) override;
  bool ChooseFontDialog(FontSpec& font) override;
  bool OpenPictureDialog(const std::string& initialFolder, std::string& file) override;
  std::string DesktopWallpaper() override;
  int WindowTextColor() override;

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;

 private:
  void CreateControls();
  // Lays the dialog out again for the DPI of the monitor it moved to.
  void Rescale(int dpi);
  void MakeFonts();
  HFONT FontOf(int id) const;
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  int Scaled(int v) const { return MulDiv(v, dpi_, 96); }
  void OnScroll(HWND bar, int code);
  void OnCommand(int id, int code);
  bool OnMouseDown(int x, int y, TSMouseButton button);
  void Close(bool ok);

  HINSTANCE instance_;
  HWND owner_;
  TfrmTSProperties* form_ = nullptr;
  int dpi_ = 96;
  UniqueFont font_, bold_font_, letter_font_;
  UniqueBrush color_brush_, hint_brush_;
  COLORREF hint_text_ = 0;
  HWND tooltip_ = nullptr;
  bool running_ = false;
  bool ok_ = false;
};

}  // namespace tessara
