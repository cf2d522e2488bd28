#include "tessara/menu.h"

namespace tessara {

namespace {
using M = MenuId;
constexpr MenuId kTop = MenuId::None;

const std::array<MenuEntry, kMenuCount> kMenu = {{
    {M::cmNew, kTop, "&New...", 0, false},
    {M::cmShortcut, M::cmNew, "Shortcut to &Application or File", 0, false},
    {M::cmDrive, M::cmNew, "Shortcut to &Drive", 0, false},
    {M::cmProperties, kTop, "Icon &Properties...", 0, false},
    {M::N2, kTop, "-", 0, false},
    {M::cmCut, kTop, "Icon &Cut (Delete)", 0, false},
    {M::cmCopy, kTop, "Icon C&opy", 0, false},
    {M::cmPaste, kTop, "Icon &Paste", 0, false},
    {M::N3, kTop, "-", 0, false},
    {M::cmNewTessara, kTop, "New Tessara", 0, false},
    {M::cmDelete, kTop, "Delete this Tessara", 0, false},
    {M::cmWindowProperties, kTop, "&Tessara Properties...", 0, false},
    {M::N1, kTop, "-", 0, false},
    {M::cmSelectTintColor, kTop, "&Select (Tint) Color...", 0, false},
    {M::cmTint, kTop, "&Tint", 0, true},
    {M::cmBorder, kTop, "&Border", 0, false},
    {M::cmBlackFrame, M::cmBorder, "&Black Frame", 0, false},
    {M::cm3DFrame, M::cmBorder, "&3D Frame", 0, false},
    {M::cmEffect, kTop, "&Effect", 0, false},
    {M::cmNoEffect, M::cmEffect, "&No Effect", 2, true},
    {M::cmMonochrome, M::cmEffect, "&Monochrome", 2, false},
    {M::cmEmboss, M::cmEffect, "&Emboss", 2, false},
    {M::cmBlur, M::cmEffect, "&Blur", 2, false},
    {M::cmDisplace, M::cmEffect, "&Displace", 2, false},
    {M::N4, kTop, "-", 0, false},
    {M::SaveSettings1, kTop, "&Save Settings...", 0, false},
    {M::Repair1, kTop, "&Repair (in Beta only)", 0, false},
    {M::RebuildIcons1, M::Repair1, "&Rebuild Icons", 0, false},
    {M::Redraw1, M::Repair1, "&Redraw", 0, false},
    {M::cmControlPanel, kTop, "&Control Panel", 0, false},
    {M::ExitApplication1, kTop, "&Exit Application", 0, false},
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
