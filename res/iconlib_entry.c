/* TESSARA.DLL holds only icons and links without the C runtime; the loader still calls an
   entry point, which has nothing to set up. */
#include <windows.h>

BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
