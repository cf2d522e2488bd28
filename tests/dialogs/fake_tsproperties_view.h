#pragma once
// A recording stand-in for the controls of the window properties dialog. ShowModal runs a
// script standing for the user, who answers OK (true) or Cancel (false).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialogs/UTSProperties.h"

namespace tessara::testing {

struct FakeTSPropertiesView : ITSPropertiesView {
  TfrmTSProperties* form = nullptr;
  std::map<TSBar, int> bars;
  std::map<TSBar, std::string> labels;
  std::map<TSCheck, bool> checks;
  int color = -1, back_type = -2, hint_back = -1, hint_text = -1;
  std::string bitmap_file;
  FontSpec font;
  std::function<bool(TfrmTSProperties&)> user;  // the script of ShowModal
  // Answers of the common dialogs: nothing means Cancel.
  std::vector<int> colors;  // taken from the front
  bool font_ok = false;
  FontSpec chosen_font{"Courier New", -20, 700, true};
  bool open_ok = false;
  std::string opened = "D:\\pics\\new.bmp";
  std::string open_folder = "(not asked)";
  std::vector<int> color_presets;
  std::string wallpaper;

  void Attach(TfrmTSProperties* f) override { form = f; }
  void ShowBar(TSBar bar, int position) override { bars[bar] = position; }
  void ShowLabel(TSBar bar, const std::string& text) override { labels[bar] = text; }
  void ShowColor(int c) override { color = c; }
  void ShowBackType(int index) override { back_type = index; }
  void ShowBitmapFile(const std::string& file) override { bitmap_file = file; }
  void ShowCheck(TSCheck check, bool checked) override { checks[check] = checked; }
  void ShowHintExample(int background, int text) override {
    hint_back = background;
    hint_text = text;
  }
  void ShowFont(const FontSpec& f) override { font = f; }
  bool ShowModal() override { return user ? user(*form) : false; }
  bool ChooseColorDialog(int& c) override {
    color_presets.push_back(c);
    if (colors.empty()) return false;
    c = colors.front();
    colors.erase(colors.begin());
    return true;
  }
  bool ChooseFontDialog(FontSpec& f) override {
    if (font_ok) f = chosen_font;
    return font_ok;
  }
  bool OpenPictureDialog(const std::string& folder, std::string& file) override {
    open_folder = folder;
    if (open_ok) file = opened;
    return open_ok;
  }
  std::string DesktopWallpaper() override { return wallpaper; }
  int WindowTextColor() override { return 0x000001; }
};

}  // namespace tessara::testing
