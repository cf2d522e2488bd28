#pragma once
// The tile dialog's window: a modal dialog with its controls laid out in pixels, the
// owner-drawn icon list and the icon file's open dialog.
#include <windows.h>

#include <string>
#include <vector>

#include "base/dpi.h"
#include "dialogs/UProperties.h"
#include "shell/handles_win32.h"

namespace tessara {

// Control ids; OK and Cancel are IDOK and IDCANCEL.
enum PropertiesControl : int {
  IDC_PROPS_LIST = 101,
  IDC_PROPS_EDIT1,
  IDC_PROPS_EDIT2,
  IDC_PROPS_EDIT3,
  IDC_PROPS_EDIT4,
  IDC_PROPS_DRIVE,
  IDC_PROPS_BROWSE,
  IDC_PROPS_LABEL1,
  IDC_PROPS_LABEL2,
  IDC_PROPS_LABEL3,
  IDC_PROPS_LABEL4,
};

class PropertiesWindow final : public IPropertiesView {
 public:
  PropertiesWindow(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  ~PropertiesWindow() override = default;
  PropertiesWindow(const PropertiesWindow&) = delete;
  PropertiesWindow& operator=(const PropertiesWindow&) = delete;

  void Attach(TfrmProperties* form) override { form_ = form; }
  bool ShowModal() override;
  int IconCount(const std::string& file) override;
  void AddIconItem(const std::string& file, int index) override;
  void ClearIconItems() override;
  void SelectItem(int index) override;
  void ShowIconFile(const std::string& text) override;
  bool BrowseForIconFile(std::string& name, const std::string& initialFolder) override;
  std::string ProgramPath() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnInit();
  void Layout();
  void OnCommand(int id, int code);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void Close(int result);
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Lengths and the font follow the DPI of the dialog's monitor.
  int Scaled(int length) const { return ScaleLength(length, dpi_); }
  void MakeFont();
  int dpi_ = kBaseDpi;

  HINSTANCE instance_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  TfrmProperties* form_ = nullptr;
  UniqueFont font_;
  // The listed icons by position; a null entry is drawn empty.
  std::vector<UniqueIcon> icons_;
};

}  // namespace tessara
