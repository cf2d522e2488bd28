// TfrmTessara: the commands of the context menu.
#include "tessara/UTessara.h"

namespace tessara {

void TfrmTessara::RunCommand(MenuId id) {
  if (id == MenuId::None || id == MenuId::Count) return;
  const MenuEntry& entry = MenuEntryOf(id);
  if (entry.handler) (this->*entry.handler)();
}


void TfrmTessara::cmDeleteClick() {
  const auto life = Life();
  if (!view_->Confirm("Are you sure you want to delete this tessara and all its contents?") || !StillHere(life))
    return;
  *life_ = false;
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row)
      if (TTileRecord* tile = Find(col, row)) tile->Icon.reset();
  SaveOnExit = false;
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
  IconMemo memo;
  for (int col = 1; col <= Cols; ++col)
    for (int row = 1; row <= Rows; ++row) LoadIconOnly(col, row, &memo);
  IconsBuilt = true;
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
