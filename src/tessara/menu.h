#pragma once
// The tessara's context menu as one table: the menu is built from it and commands are
// named by its ids, so captions, order, radio groups and initial marks live in one place.
#include <array>

namespace tessara {

enum class MenuId : int {
  None = -1,
  cmNew,
  cmShortcut,
  cmDrive,
  cmProperties,
  N2,
  cmCut,
  cmCopy,
  cmPaste,
  N3,
  cmNewTessara,
  cmDelete,
  cmWindowProperties,
  N1,
  cmSelectTintColor,
  cmTint,
  cmBorder,
  cmBlackFrame,
  cm3DFrame,
  cmEffect,
  cmNoEffect,
  cmMonochrome,
  cmEmboss,
  cmBlur,
  cmDisplace,
  N4,
  SaveSettings1,
  Repair1,
  RebuildIcons1,
  Redraw1,
  cmControlPanel,
  ExitApplication1,
  Count
};

struct MenuEntry {
  MenuId id;
  MenuId parent;     // None: top level
  const char* caption;  // "-": a separator; a parent item opens a submenu
  int radioGroup;    // 0: none
  bool checked;      // initial mark
};

inline constexpr int kMenuCount = static_cast<int>(MenuId::Count);
// The effect items in the order of the effect codes 0..4.
inline constexpr std::array<MenuId, 5> kEffectItems = {MenuId::cmNoEffect, MenuId::cmMonochrome,
                                                       MenuId::cmEmboss, MenuId::cmBlur, MenuId::cmDisplace};
const std::array<MenuEntry, kMenuCount>& TessaraMenu();
const MenuEntry& MenuEntryOf(MenuId id);
bool IsSubmenu(MenuId id);

}  // namespace tessara
