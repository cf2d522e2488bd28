#pragma once
// Resource identifiers shared by the program's resource script and its code.
#define IDI_TESSARA 1
#define IDI_TRAY 2
#define IDC_TILEDRAG 3
