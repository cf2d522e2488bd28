#pragma once
// The common dialogs, from a library loaded at their first use: linked in, it would be loaded
// at every start (several milliseconds under Wine) although most sessions open no dialog.
// Each returns FALSE, as a cancelled dialog does, when the library cannot be had.
#include <windows.h>
#include <commdlg.h>

namespace tessara {

BOOL CommonChooseColor(CHOOSECOLORA* cc);
BOOL CommonChooseFont(CHOOSEFONTW* cf);
BOOL CommonOpenFileName(OPENFILENAMEW* ofn);

}  // namespace tessara
