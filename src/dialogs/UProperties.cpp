#include "dialogs/UProperties.h"

#include <algorithm>

namespace tessara {

TfrmProperties::TfrmProperties(std::unique_ptr<IPropertiesView> view) : view_(std::move(view)) {
  view_->Attach(this);
}

TfrmProperties::~TfrmProperties() { view_.reset(); }

bool TfrmProperties::ShowModal() { return view_->ShowModal(); }

void TfrmProperties::LoadIcons() {
  ListedFile = Edit4;
  IconCount = static_cast<std::uint16_t>(std::clamp(view_->IconCount(ListedFile), 0, kMaxListedIcons));
  if (IconCount == 0) {
    // A file without icons lists the program's own, the first one chosen.
    ListedFile = view_->ProgramPath();
    Edit4 = ListedFile;
    view_->ShowIconFile(Edit4);
    IconCount = static_cast<std::uint16_t>(std::clamp(view_->IconCount(ListedFile), 0, kMaxListedIcons));
    SelectedIcon = 1;
  }
  for (int i = 0; i < IconCount; ++i) view_->AddIconItem(ListedFile, i);
  view_->SelectItem(SelectedIcon >= 1 && SelectedIcon <= IconCount ? SelectedIcon - 1 : -1);
}

void TfrmProperties::FreeIcons() {
  view_->ClearIconItems();
  IconCount = 0;
}

void TfrmProperties::FormShow() { LoadIcons(); }

void TfrmProperties::FormHide() { FreeIcons(); }

void TfrmProperties::btnBrowseClick() {
  std::string name = Edit4;
  if (!view_->BrowseForIconFile(name, InitialDir)) return;
  const std::size_t at = name.find_last_of("\\:");
  InitialDir = at == std::string::npos ? std::string() : name.substr(0, at + 1);
  Edit4 = name;
  view_->ShowIconFile(Edit4);
  SelectedIcon = 0;
  FreeIcons();
  LoadIcons();
}

void TfrmProperties::lbClick(int itemIndex) {
  if (itemIndex >= 0) SelectedIcon = static_cast<std::uint16_t>(itemIndex + 1);
}

void TfrmProperties::DriveComboChange(const std::string& item) {
  if (!item.empty()) DriveNumber = static_cast<unsigned char>(item[0]) - 64;
}

std::string DriveItem(int driveNumber) { return {static_cast<char>(64 + driveNumber), ':'}; }

}  // namespace tessara
