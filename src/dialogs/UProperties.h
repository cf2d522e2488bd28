#pragma once
// TfrmProperties: the tile dialog. Its caller fills the boxes and the selected icon, shows
// it modally and on OK reads them back; the dialog itself never touches a tile. The window,
// its controls, the icons and the open-file dialog sit behind IPropertiesView.
#include <cstdint>
#include <memory>
#include <string>

namespace tessara {

// The list holds at most this many icons; a file with more lists its first ones.
inline constexpr int kMaxListedIcons = 513;

class TfrmProperties;

class IPropertiesView {
 public:
  virtual ~IPropertiesView() = default;
  virtual void Attach(TfrmProperties* form) = 0;
  // Shows the dialog modally, filled from the form; true when it closed with OK, the form
  // then holding what the boxes show. Showing runs FormShow, closing FormHide.
  virtual bool ShowModal() = 0;
  // How many icons a file holds; 0 for a missing file or one without icons.
  virtual int IconCount(const std::string& file) = 0;
  // Extracts icon `index` of `file` into the list's table and adds its item.
  virtual void AddIconItem(const std::string& file, int index) = 0;
  // Empties the list and releases its icons.
  virtual void ClearIconItems() = 0;
  // Selects list item `index`; -1 selects none.
  virtual void SelectItem(int index) = 0;
  // Shows the icon file box's new text while the dialog is open.
  virtual void ShowIconFile(const std::string& text) = 0;
  // The open-file dialog for an icon file, preset to `name` and opening in `initialFolder`;
  // false when cancelled (or the chosen name cannot be kept, which it reports itself).
  virtual bool BrowseForIconFile(std::string& name, const std::string& initialFolder) = 0;
  virtual std::string ProgramPath() = 0;
};

class TfrmProperties {
 public:
  explicit TfrmProperties(std::unique_ptr<IPropertiesView> view);
  ~TfrmProperties();
  TfrmProperties(const TfrmProperties&) = delete;
  TfrmProperties& operator=(const TfrmProperties&) = delete;

  std::string Caption = "Properties";
  std::string Label1 = "Filename";
  // Drive mode shows the drive list in place of Edit1 and hides Edit2 and Edit3.
  bool DriveMode = false;
  std::string Edit1, Edit2, Edit3, Edit4;
  // Drive mode: 1 for "A:" up to 26 for "Z:".
  int DriveNumber = 1;
  // 1-based position in the list; 0 for none.
  std::uint16_t SelectedIcon = 0;
  std::uint16_t IconCount = 0;
  std::string ListedFile;
  // Where "&Browse for Icon" opens once a file was chosen.
  std::string InitialDir;

  bool ShowModal();

  void LoadIcons();
  void FreeIcons();
  void FormShow();
  void FormHide();
  void btnBrowseClick();
  void lbClick(int itemIndex);
  void DriveComboChange(const std::string& item);

  IPropertiesView& View() { return *view_; }

 private:
  std::unique_ptr<IPropertiesView> view_;
};

// The drive list's items "A:" to "Z:".
std::string DriveItem(int driveNumber);

}  // namespace tessara
