#include "tessara/menu.h"

#include "tessara/UTessara.h"

namespace tessara {

namespace {
using M = MenuId;
using T = TfrmTessara;
constexpr MenuId kTop = MenuId::None;

const std::array<MenuEntry, kMenuCount> kMenu = {{
    {M::cmNew, kTop, "&New...", nullptr, 0, false},
    {M::cmShortcut, M::cmNew, "Shortcut to &Application or File", &T::cmShortcutClick, 0, false},
    {M::cmDrive, M::cmNew, "Shortcut to &Drive", &T::cmDriveClick, 0, false},
    {M::cmProperties, kTop, "Icon &Properties...", &T::cmPropertiesClick, 0, false},
    {M::N2, kTop, "-", nullptr, 0, false},
    {M::cmCut, kTop, "Icon &Cut (Delete)", &T::cmCutClick, 0, false},
    {M::cmCopy, kTop, "Icon C&opy", &T::cmCopyClick, 0, false},
    {M::cmPaste, kTop, "Icon &Paste", &T::cmPasteClick, 0, false},
    {M::N3, kTop, "-", nullptr, 0, false},
    {M::cmNewTessara, kTop, "New Tessara", &T::cmNewTessaraClick, 0, false},
    {M::cmDelete, kTop, "Delete this Tessara", &T::cmDeleteClick, 0, false},
    {M::cmWindowProperties, kTop, "&Tessara Properties...", &T::cmWindowPropertiesClick, 0, false},
    {M::N1, kTop, "-", nullptr, 0, false},
    {M::cmSelectTintColor, kTop, "&Select (Tint) Color...", &T::cmSelectTintColorClick, 0, false},
    {M::cmTint, kTop, "&Tint", &T::cmTintClick, 0, true},
    {M::cmBorder, kTop, "&Border", nullptr, 0, false},
    {M::cmBlackFrame, M::cmBorder, "&Black Frame", &T::cmBlackFrameClick, 0, false},
    {M::cm3DFrame, M::cmBorder, "&3D Frame", &T::cm3DFrameClick, 0, false},
    {M::cmEffect, kTop, "&Effect", nullptr, 0, false},
    {M::cmNoEffect, M::cmEffect, "&No Effect", &T::cmNoEffectClick, 2, true},
    {M::cmMonochrome, M::cmEffect, "&Monochrome", &T::cmMonochromeClick, 2, false},
    {M::cmEmboss, M::cmEffect, "&Emboss", &T::cmEmbossClick, 2, false},
    {M::cmBlur, M::cmEffect, "&Blur", &T::cmBlurClick, 2, false},
    {M::cmDisplace, M::cmEffect, "&Displace", &T::cmDisplaceClick, 2, false},
    {M::N4, kTop, "-", nullptr, 0, false},
    {M::SaveSettings1, kTop, "&Save Settings...", &T::SaveSettings1Click, 0, false},
    {M::Repair1, kTop, "&Repair (in Beta only)", nullptr, 0, false},
    {M::RebuildIcons1, M::Repair1, "&Rebuild Icons", &T::RebuildIcons1Click, 0, false},
    {M::Redraw1, M::Repair1, "&Redraw", &T::Redraw1Click, 0, false},
    {M::cmControlPanel, kTop, "&Control Panel", &T::cmControlPanelClick, 0, false},
    {M::ExitApplication1, kTop, "&Exit Application", &T::ExitApplication1Click, 0, false},
}};
}  // namespace

const std::array<MenuEntry, kMenuCount>& TessaraMenu() { return kMenu; }

const MenuEntry& MenuEntryOf(MenuId id) { return kMenu[static_cast<std::size_t>(id)]; }

bool IsSubmenu(MenuId id) {
  for (const auto& e : kMenu)
    if (e.parent == id) return true;
  return false;
}

}  // namespace tessara
