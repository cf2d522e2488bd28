// TfrmTessara: the commands of the context menu.
#include "tessara/UTessara.h"

namespace tessara {

TfrmTessara::Command TfrmTessara::CommandOf(MenuId id) {
  using T = TfrmTessara;
  switch (id) {
    case MenuId::cmShortcut: return &T::cmShortcutClick;
    case MenuId::cmDrive: return &T::cmDriveClick;
    case MenuId::cmProperties: return &T::cmPropertiesClick;
    case MenuId::cmCut: return &T::cmCutClick;
    case MenuId::cmCopy: return &T::cmCopyClick;
    case MenuId::cmPaste: return &T::cmPasteClick;
    case MenuId::cmNewTessara: return &T::cmNewTessaraClick;
    case MenuId::cmDelete: return &T::cmDeleteClick;
    case MenuId::cmWindowProperties: return &T::cmWindowPropertiesClick;
    case MenuId::cmSelectTintColor: return &T::cmSelectTintColorClick;
    case MenuId::cmTint: return &T::cmTintClick;
    case MenuId::cmBlackFrame: return &T::cmBlackFrameClick;
    case MenuId::cm3DFrame: return &T::cm3DFrameClick;
    case MenuId::cmNoEffect: return &T::cmNoEffectClick;
    case MenuId::cmMonochrome: return &T::cmMonochromeClick;
    case MenuId::cmEmboss: return &T::cmEmbossClick;
    case MenuId::cmBlur: return &T::cmBlurClick;
    case MenuId::cmDisplace: return &T::cmDisplaceClick;
    case MenuId::SaveSettings1: return &T::SaveSettings1Click;
    case MenuId::RebuildIcons1: return &T::RebuildIcons1Click;
    case MenuId::Redraw1: return &T::Redraw1Click;
    case MenuId::cmControlPanel: return &T::cmControlPanelClick;
    case MenuId::ExitApplication1: return &T::ExitApplication1Click;
    // Submenus, separators and what is no item at all run nothing.
    case MenuId::None: case MenuId::cmNew: case MenuId::N2: case MenuId::N3: case MenuId::N1:
    case MenuId::cmBorder: case MenuId::cmEffect: case MenuId::N4: case MenuId::Repair1: case MenuId::Count:
      break;
  }
  return nullptr;
}

void TfrmTessara::RunCommand(MenuId id) {
  if (const Command command = CommandOf(id)) (this->*command)();
}


void TfrmTessara::cmDeleteClick() {
  const auto life = Life();
  if (!view_->Confirm("Are you sure you want to delete this tessara and all its contents?") || !StillHere(life))
    return;
  *life_ = false;
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row)
      if (TTileRecord* tile = Find(col, row)) tile->Icon.reset();
  files_.SetSaveOnExit(false);
  view_->Hide();
  // The control panel renumbers and destroys this window once its message has returned.
  if (host_) host_->DeleteTessara(this);
}

void TfrmTessara::cmNewTessaraClick() {
  if (host_) host_->NewTessara();
}

void TfrmTessara::cmControlPanelClick() {
  if (host_) host_->ShowControlPanel();
}

void TfrmTessara::ExitApplication1Click() {
  if (host_) host_->ExitApplication();
}

void TfrmTessara::SaveSettings1Click() { SaveTessara(); }

void TfrmTessara::Redraw1Click() { ComposeLayers(); }

void TfrmTessara::RebuildIcons1Click() {
  // The composition draws every tile; loading alone first avoids drawing them twice.
  icons_.BuildAll();
  ComposeLayers();
  // A rebuild may point a record at a fallback icon and gives the icon files new content.
  SaveChange();
}

void TfrmTessara::cmSelectTintColorClick() {
  int color = Color;
  const auto life = Life();
  if (!view_->ChooseColorDialog(color) || !StillHere(life)) return;
  Color = color & 0xFFFFFF;
  view_->SetColor(Color);
  ComposeLayers();
  SaveChange();
}

void TfrmTessara::cmTintClick() {
  Opacity = Opacity == 0 ? 50 : 0;
  view_->SetMenuCheck(MenuId::cmTint, Opacity != 0);
  ComposeLayers();
  SaveChange();
}

void TfrmTessara::SetLook(int borderType) {
  BorderType = borderType;
  view_->SetMenuCheck(MenuId::cmBlackFrame, (BorderType & 1) != 0);
  view_->SetMenuCheck(MenuId::cm3DFrame, (BorderType & 2) != 0);
  ApplySize();
  ComposeLayers();
  SaveChange();
}

void TfrmTessara::cmBlackFrameClick() { SetLook(BorderType ^ 1); }
void TfrmTessara::cm3DFrameClick() { SetLook(BorderType ^ 2); }

void TfrmTessara::SetEffect(int effect) {
  Effect = effect;
  for (int i = 0; i < 5; ++i) view_->SetMenuCheck(kEffectItems[i], effect == i);
  ComposeLayers();
  SaveChange();
}

void TfrmTessara::cmNoEffectClick() { SetEffect(0); }
void TfrmTessara::cmMonochromeClick() { SetEffect(1); }
void TfrmTessara::cmEmbossClick() { SetEffect(2); }
void TfrmTessara::cmBlurClick() { SetEffect(3); }
void TfrmTessara::cmDisplaceClick() { SetEffect(4); }

}  // namespace tessara
