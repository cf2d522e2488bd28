// The control panel's tray icon and its menu.
#include "app/UMain_win32.h"

#include <shellapi.h>

#include <array>

#include "../../res/resource.h"
#include "shell/composing_win32.h"
#include "shell/dpi_win32.h"
#include "shell/late_win32.h"
#include "shell/modal_win32.h"

namespace tessara {

namespace {

// At log-on the taskbar may not be there yet, or too busy to answer: the tray icon is tried
// again every two seconds for a minute, and whenever the taskbar announces itself.
constexpr UINT_PTR kTrayRetryTimer = 0x5452;
constexpr UINT kTrayRetryMs = 2000;
constexpr int kTrayTries = 30;

struct TrayItem {
  UINT id;
  const char* caption;  // nullptr: a separator
};
constexpr std::array<TrayItem, 4> kTrayMenu = {{
    {IDM_TRAY_NEW, "&New Tessara"},
    {IDM_TRAY_CONTROLPANEL, "Tessara &Control Panel"},
    {0, nullptr},
    {IDM_TRAY_EXIT, "E&xit"},
}};

}  // namespace

void MainWindow::CreateTrayMenu() {
  tray_menu_.Reset(CreatePopupMenu());
  for (const auto& item : kTrayMenu) {
    if (item.caption)
      AppendMenuA(tray_menu_.Get(), MF_STRING, item.id, item.caption);
    else
      AppendMenuA(tray_menu_.Get(), MF_SEPARATOR, 0, nullptr);
  }
}

void MainWindow::ShowTrayIcon() {
  tray_tries_ = kTrayTries;
  TryTrayIcon();
}

void MainWindow::TryTrayIcon() {
  --tray_tries_;
  AddTrayIcon();
  if (tray_added_ || tray_tries_ <= 0)
    KillTimer(hwnd_, kTrayRetryTimer);
  else
    SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

void MainWindow::AddTrayIcon() {
  // In the small-icon size of the scale the taskbar has now.
  tray_icon_.Reset(LoadSmallIcon(instance_, IDI_TRAY));
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_APP_TRAY;
  data.hIcon = tray_icon_.Get();
  lstrcpynA(data.szTip, "Tessara 2", sizeof data.szTip);
  // An icon the taskbar still holds (it announces itself again when its scale changes) only
  // takes the new image.
  tray_added_ = late::Shell_NotifyIconA(NIM_ADD, &data) != FALSE || late::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void MainWindow::RemoveTrayIcon() {
  if (hwnd_) KillTimer(hwnd_, kTrayRetryTimer);
  if (!tray_added_ || !hwnd_) return;
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = 1;
  late::Shell_NotifyIconA(NIM_DELETE, &data);
  tray_added_ = false;
}

void MainWindow::ShowTrayMenu() {
  POINT at;
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(tray_menu_.Get(), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  MenuClosed();
  PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void MainWindow::HandleTrayMessage(LPARAM lp) {
  if (!form_) return;
  // The program waits for its open dialog: the icon only brings that dialog to the front.
  if (ModalScope::Open()) {
    if (LOWORD(lp) == WM_LBUTTONUP || LOWORD(lp) == WM_RBUTTONUP) ModalScope::BringToFront();
    return;
  }
  switch (LOWORD(lp)) {
    case WM_LBUTTONUP:
      form_->RxTrayIcon1Click();
      break;
    case WM_LBUTTONDBLCLK:
      form_->RxTrayIcon1DblClick();
      break;
    case WM_RBUTTONUP:
      ShowTrayMenu();
      break;
    default:
      break;
  }
}

void MainWindow::OnTimer(WPARAM id) {
  if (id == kTrayRetryTimer) TryTrayIcon();
}

}  // namespace tessara
