#include "tessara/UTessara_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/phases.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/alTools.h"
#include "shell/composing_win32.h"
#include "shell/dpi_win32.h"
#include "shell/dwm_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/shortcut_win32.h"
#include "shell/window_win32.h"
#include "tessara/UTessara_picture_win32.h"

namespace tessara {

namespace {

void RegisterTessaraClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RoutedWindowProc<TessaraWindow>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kTessaraWindowClass;
  RegisterClassOnce(wc);
}

}  // namespace

// ---- the window ----

TessaraWindow::TessaraWindow(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {
  RegisterTessaraClass(instance);
  mem_dc_.Reset(CreateCompatibleDC(nullptr));
  if (!mem_dc_) throw Error("Cannot create a drawing surface for a tessara");
  SetBkMode(mem_dc_.Get(), TRANSPARENT);
  for (const MenuEntry& e : TessaraMenu()) checks_[static_cast<std::size_t>(e.id)] = e.checked;
}

HWND TessaraWindow::Handle() {
  if (hwnd_) return hwnd_;
  // Made where its settings place it rather than moved there: a start saves a move of each
  // hidden window. A tool window: part of the desktop, not a task of its own in the task
  // switcher or Task View.
  CreateWindowExA(WS_EX_TOOLWINDOW, kTessaraWindowClass, "ts", WS_POPUP, pending_.left, pending_.top,
                  pending_.right - pending_.left, pending_.bottom - pending_.top, owner_, nullptr, instance_, this);
  if (!hwnd_) throw Error("Cannot create a tessara window");
  DisableTransitions(hwnd_);
  // No keyboard cues until the keyboard is used: a pointer user never sees the focus cell.
  SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  if (accepts_drops_) late::DragAcceptFiles(hwnd_, TRUE);
  return hwnd_;
}

TessaraWindow::~TessaraWindow() {
  form_ = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
}

HMENU TessaraWindow::Menu() {
  if (!menu_) BuildMenu();
  return menu_.Get();
}

void TessaraWindow::BuildMenu() {
  menu_.Reset(CreatePopupMenu());
  if (!menu_) throw Error("Cannot create a tessara's menu");
  HMENU handles[kMenuCount] = {};
  // Parents come before their items in the table, so each submenu exists when it is filled.
  for (const MenuEntry& e : TessaraMenu()) {
    HMENU into = e.parent == MenuId::None ? menu_.Get() : handles[static_cast<int>(e.parent)];
    if (!into) continue;
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    if (std::strcmp(e.caption, "-") == 0) {
      item.fMask = MIIM_FTYPE;
      item.fType = MFT_SEPARATOR;
    } else {
      item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE;
      item.fType = e.radioGroup != 0 ? MFT_RADIOCHECK : MFT_STRING;
      item.dwTypeData = const_cast<char*>(e.caption);
      item.wID = kCommandBase + static_cast<UINT>(e.id);
      item.fState = checks_[static_cast<std::size_t>(e.id)] ? MFS_CHECKED : MFS_UNCHECKED;
      if (IsSubmenu(e.id)) {
        HMENU sub = CreatePopupMenu();
        if (!sub) throw Error("Cannot create a tessara's menu");
        handles[static_cast<int>(e.id)] = sub;
        item.fMask |= MIIM_SUBMENU;
        item.hSubMenu = sub;
      }
    }
    if (!InsertMenuItemA(into, static_cast<UINT>(GetMenuItemCount(into)), TRUE, &item)) {
      if (item.hSubMenu) DestroyMenu(item.hSubMenu);
      throw Error("Cannot create a tessara's menu");
    }
  }
}

RECT TessaraWindow::Bounds() const {
  if (!hwnd_) return pending_;
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  return rc;
}

void TessaraWindow::SetBounds(int left, int top, int width, int height) {
  if (!hwnd_) {
    pending_ = {left, top, left + width, top + height};
    Handle();
    return;
  }
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TessaraWindow::Left() const { return Bounds().left; }
int TessaraWindow::Top() const { return Bounds().top; }
int TessaraWindow::Width() const {
  const RECT rc = Bounds();
  return rc.right - rc.left;
}
int TessaraWindow::Height() const {
  const RECT rc = Bounds();
  return rc.bottom - rc.top;
}

void TessaraWindow::SetColor(int color) {
  color_ = ToColorRef(color);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TessaraWindow::Show() { ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void TessaraWindow::BringToTop() {
  if (hwnd_ && IsWindowVisible(hwnd_))
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TessaraWindow::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool TessaraWindow::Confirm(const std::string& question) {
  return MessageBoxWithTitle(question, MB_YESNO | MB_ICONQUESTION, Handle()) == IDYES;
}

ScreenSize TessaraWindow::Screen() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TessaraWindow::SetMenuCheck(MenuId item, bool checked) {
  checks_[static_cast<std::size_t>(item)] = checked;
  if (menu_)
    CheckMenuItem(menu_.Get(), kCommandBase + static_cast<UINT>(item),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool TessaraWindow::ChooseColorDialog(int& color) { return ChooseColorFor(Handle(), color, CC_FULLOPEN); }

void TessaraWindow::LoadPicture(const std::string& path, Bitmap24& picture) { LoadPictureFile(path, picture); }


void TessaraWindow::DrawIcon(Bitmap24& layer, const TileIcon& icon, int x, int y) {
  const auto* own = dynamic_cast<const Win32TileIcon*>(&icon);
  if (!own) return;
  // The size of the scale: an icon extracted in it, or a cached 32-px image whose file is
  // out of reach.
  const int size = ScaleLength(32, dpi_);
  // The program's own image, blended into the layer's pixels: no device context and no
  // flush per draw. Whatever GDI drew into the layer before was flushed where it was drawn.
  if (const IconBitmap& image = own->Image(size, imager_); !image.Empty()) return DrawIconBitmap(layer, x, y, image);
  if (!own->Get()) return;
  {
    ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
    if (select.Ok()) DrawIconEx(mem_dc_.Get(), x, y, own->Get(), size, size, 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
}

void TessaraWindow::DrawLayerText(Bitmap24& layer, int x, int y, const std::string& text, int color) {
  {
    ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
    if (!select.Ok()) return;
    // Made on the first drive letter: most windows never draw one.
    if (!font_) font_.Reset(CreateLetterFont());
    ScopedSelect font(mem_dc_.Get(), font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(mem_dc_.Get(), TRANSPARENT);
    SetTextColor(mem_dc_.Get(), ToColorRef(color));
    const std::wstring wide = WideFromAnsi(text);
    TextOutW(mem_dc_.Get(), x, y, wide.c_str(), static_cast<int>(wide.size()));
  }
  GdiFlush();
}

void TessaraWindow::PaintRect(const Bitmap24& layer, int x, int y, int width, int height) {
  if (!hwnd_ || layer.Empty()) return;
  GdiFlush();
  ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
  if (!select.Ok()) return;
  if (paint_dc_) {
    BitBlt(paint_dc_, x, y, width, height, mem_dc_.Get(), x, y, SRCCOPY);
  } else {
    ScreenDC dc(hwnd_);
    // The whole image painted is what a pending paint would paint again (a window just
    // shown has one), so that paint is dropped. A cell alone may show another layer.
    const bool whole = x == 0 && y == 0 && width == layer.Width() && height == layer.Height();
    const RECT painted{x, y, x + width, y + height};
    if (dc.Get() && BitBlt(dc.Get(), x, y, width, height, mem_dc_.Get(), x, y, SRCCOPY) && whole)
      ValidateRect(hwnd_, &painted);
  }
}

std::string TessaraWindow::ProgramPath() { return ::alTools::ProgramPath(); }

void TessaraWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  struct EndPaintGuard {
    TessaraWindow* self;
    PAINTSTRUCT* ps;
    ~EndPaintGuard() {
      self->paint_dc_ = nullptr;
      EndPaint(self->hwnd_, ps);
    }
  } guard{this, &ps};
  if (!dc) return;
  if (form_ && form_->LayersReady()) {
    paint_dc_ = dc;
    form_->FormPaint();
  } else {
    // No composed image yet: the window's own colour rather than whatever lay there.
    UniqueBrush brush(CreateSolidBrush(color_));
    FillRect(dc, &ps.rcPaint, brush.Get());
  }
}

LRESULT TessaraWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT pointer = 0;
  if (HandlePointerMessage(msg, wp, lp, pointer)) return pointer;
  if (HandleDpiMessage(msg, wp, lp, pointer)) return pointer;
  if (HandleReachMessage(msg, wp, lp, pointer)) return pointer;
  if (HandleReaderMessage(msg, wp, lp, pointer)) return pointer;
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_COMMAND: {
      const UINT id = LOWORD(wp);
      if (HIWORD(wp) == 0 && lp == 0 && id >= kCommandBase && id < kCommandBase + kMenuCount) {
        // The command may delete this window (and this object): nothing is touched after it.
        if (form_) form_->RunCommand(static_cast<MenuId>(id - kCommandBase));
        return 0;
      }
      return DefWindowProcA(hwnd_, msg, wp, lp);
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      // Keys with Alt arrive as system keys; Ctrl+Alt+F4 must still reach the form.
      unsigned shift = ssNone;
      if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
      if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
      if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
      if (form_) form_->FormKeyDown(static_cast<int>(wp), shift, KeyRepeats(lp));
      // Alt+F4 goes on to become a close, which this window refuses.
      return msg == WM_SYSKEYDOWN ? DefWindowProcA(hwnd_, msg, wp, lp) : 0;
    }
    case WM_DROPFILES:
      // A window that waits for a dialog takes no drop either.
      if (!IsWindowEnabled(hwnd_))
        late::DragFinish(reinterpret_cast<HDROP>(wp));
      else if (form_)
        form_->WMDropFiles(static_cast<std::uintptr_t>(wp));
      return 0;
    case WM_CLOSE:
      // Only the program closes a tessara (delete, exit), so the control panel's list never
      // holds a destroyed window; a close from elsewhere (Alt+F4, another program) is refused.
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

}  // namespace tessara
