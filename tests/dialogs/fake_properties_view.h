#pragma once
// A recording stand-in for the tile dialog's window: the icons each file holds, what the list
// shows, and an answer function that plays the user while the dialog is "open".
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/UProperties.h"

namespace tessara::testing {

struct FakePropertiesView : IPropertiesView {
  TfrmProperties* form = nullptr;
  // Icon counts by file; files not named hold none.
  std::map<std::string, int> icon_counts;
  std::string program = "C:\\prog\\tessara.exe";
  // The list: "file#index" of every item, and the selected item.
  std::vector<std::string> items;
  int selected = -2;
  // The open-file dialog's answer: empty cancels. Records what it was preset to.
  std::string browse_answer;
  std::vector<std::pair<std::string, std::string>> browse_presets;  // name, initial folder
  // Plays the user; its result is OK (true) or Cancel. Without one the dialog is cancelled.
  std::function<bool(TfrmProperties&, FakePropertiesView&)> answer;

  void Attach(TfrmProperties* f) override { form = f; }
  bool ShowModal() override {
    form->FormShow();
    const bool ok = answer && answer(*form, *this);
    form->FormHide();
    return ok;
  }
  int IconCount(const std::string& file) override {
    auto it = icon_counts.find(file);
    return it == icon_counts.end() ? 0 : it->second;
  }
  void AddIconItem(const std::string& file, int index) override {
    items.push_back(file + "#" + std::to_string(index));
  }
  void ClearIconItems() override {
    items.clear();
    selected = -2;
  }
  void SelectItem(int index) override { selected = index; }
  void ShowIconFile(const std::string&) override {}
  bool BrowseForIconFile(std::string& name, const std::string& initialFolder) override {
    browse_presets.emplace_back(name, initialFolder);
    if (browse_answer.empty()) return false;
    name = browse_answer;
    return true;
  }
  std::string ProgramPath() override { return program; }
};

}  // namespace tessara::testing
