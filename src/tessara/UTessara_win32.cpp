#include "tessara/UTessara_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/phases.h"
#include "render/icofile.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/alTools.h"
#include "shell/composing_win32.h"
#include "shell/dpi_win32.h"
#include "shell/dwm_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
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

BITMAPINFO DibInfo(int width, int height, WORD bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The pixels of a bitmap as 32-bit BGRA values, top row first.
bool ReadTopDown32(HDC dc, HBITMAP bitmap, int width, int height, std::vector<std::uint32_t>& out) {
  out.assign(static_cast<std::size_t>(width) * height, 0);
  BITMAPINFO info = DibInfo(width, -height, 32);
  return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out.data(), &info, DIB_RGB_COLORS) ==
         height;
}

}  // namespace

// ---- Win32TileIcon ----

HICON IconFromIcoBytes(const std::string& bytes) {
  // Directory header (6 bytes), then 16-byte entries: the first one's size and offset.
  if (bytes.size() < 22) return nullptr;
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(bytes[at + k]);
    return v;
  };
  const std::uint32_t size = u32(14);
  const std::uint32_t offset = u32(18);
  if (offset > bytes.size() || size > bytes.size() - offset || size == 0) return nullptr;
  std::vector<BYTE> image(bytes.begin() + offset, bytes.begin() + offset + size);
  return CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

std::unique_ptr<Win32TileIcon> Win32TileIcon::FromCacheFile(const std::string& path) {
  std::unique_ptr<Win32TileIcon> icon(new Win32TileIcon());
  icon->path_ = path;
  icon->read_ = false;
  return icon;
}

const std::string& Win32TileIcon::Bytes() const {
  if (!read_) {
    read_ = true;
    if (!ReadWholeFile(path_, bytes_) || !IsValidIconFile(bytes_)) bytes_.clear();
  }
  return bytes_;
}

HICON Win32TileIcon::Get() const {
  if (!icon_ && !tried_ && !Bytes().empty()) {
    tried_ = true;
    if (HICON made = IconFromIcoBytes(bytes_)) icon_ = std::make_shared<UniqueIcon>(made);
  }
  return icon_ ? icon_->Get() : nullptr;
}

std::unique_ptr<Win32TileIcon> Win32TileIcon::Share() const {
  std::unique_ptr<Win32TileIcon> other(new Win32TileIcon());
  Get();
  other->icon_ = icon_;
  other->tried_ = tried_;
  other->read_ = read_;
  other->bytes_ = bytes_;
  other->path_ = path_;
  other->source_ = source_;
  other->index_ = index_;
  return other;
}

std::string Win32TileIcon::FileBytes() const {
  // Bytes taken from a file are already the file.
  if (!Bytes().empty()) return bytes_;
  // The cache keeps the 32-px image, whatever size is shown.
  UniqueIcon small(source_.empty() ? nullptr : ExtractIconOfSize(source_, index_, 32));
  const HICON encoded = small ? small.Get() : Get();
  ICONINFO info{};
  if (!encoded || !GetIconInfo(encoded, &info)) return {};
  UniqueBitmap color(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP maskInfo{};
  if (!mask || !GetObjectA(mask.Get(), sizeof maskInfo, &maskInfo)) return {};
  const int width = maskInfo.bmWidth;
  // A monochrome icon keeps its AND mask above its XOR image in one bitmap.
  const int height = color ? maskInfo.bmHeight : maskInfo.bmHeight / 2;
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return {};

  UniqueDC dc(CreateCompatibleDC(nullptr));
  std::vector<std::uint32_t> maskPixels;
  if (!ReadTopDown32(dc.Get(), mask.Get(), width, maskInfo.bmHeight, maskPixels)) return {};
  std::vector<std::uint32_t> colorPixels;
  if (color) {
    if (!ReadTopDown32(dc.Get(), color.Get(), width, height, colorPixels)) return {};
  } else {
    colorPixels.assign(maskPixels.begin() + static_cast<std::ptrdiff_t>(width) * height, maskPixels.end());
  }

  bool hasAlpha = false;
  for (std::uint32_t p : colorPixels) hasAlpha = hasAlpha || (p >> 24) != 0;
  IconEntry entry;
  entry.image.width = width;
  entry.image.height = height;
  entry.image.pixels.resize(static_cast<std::size_t>(width) * height);
  entry.depth = hasAlpha ? IconDepth::Argb32 : IconDepth::Rgb24;
  for (std::size_t i = 0; i < entry.image.pixels.size(); ++i) {
    const std::uint32_t rgb = colorPixels[i] & 0xFFFFFF;
    if (hasAlpha) {
      entry.image.pixels[i] = colorPixels[i];
    } else {
      const bool transparent = (maskPixels[i] & 0xFFFFFF) != 0;
      entry.image.pixels[i] = transparent ? 0 : 0xFF000000u | rgb;
    }
  }
  return EncodeIcon({entry});
}

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
  if (accepts_drops_) DragAcceptFiles(hwnd_, TRUE);
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
  if (!own || !own->Get()) return;
  {
    ScopedSelect select(mem_dc_.Get(), static_cast<HBITMAP>(layer.Handle()));
    // The size of the scale: an icon extracted in it, or a cached 32-px image whose file is
    // out of reach.
    const int size = ScaleLength(32, dpi_);
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

std::unique_ptr<TileIcon> TessaraWindow::ExtractTileIcon(const std::string& file, int index) {
  // A negative index asks for a count or a resource id, never for the icon at a position.
  if (index < 0 || file.empty()) return nullptr;
  // A shortcut holds no icons of its own: the shell finds the one it shows (an app's, one named
  // by resource id), its only one.
  if (file.size() > 4 && lstrcmpiA(file.c_str() + file.size() - 4, ".lnk") == 0) {
    HICON shown = index == 0 ? ShellFileIcon(file) : nullptr;
    return shown ? std::make_unique<Win32TileIcon>(shown) : nullptr;
  }
  // The shell's extraction gives the size of the system's scale, which may not be the window's;
  // only at 32 px is its icon also the one for the icon cache.
  if (dpi_ != kBaseDpi || GetSystemMetrics(SM_CXICON) != 32) {
    HICON scaled = ExtractIconOfSize(file, index, ScaleLength(32, dpi_));
    return scaled ? std::make_unique<Win32TileIcon>(scaled, file, index) : nullptr;
  }
  HICON icon = ExtractIconA(instance_, file.c_str(), static_cast<UINT>(index));
  if (!icon || icon == reinterpret_cast<HICON>(1)) return nullptr;
  return std::make_unique<Win32TileIcon>(icon);
}

std::unique_ptr<TileIcon> TessaraWindow::ShareIcon(const TileIcon& icon) {
  const auto* own = dynamic_cast<const Win32TileIcon*>(&icon);
  if (!own) return nullptr;
  return own->Share();
}

std::unique_ptr<TileIcon> TessaraWindow::IconFromFileBytes(std::string bytes) {
  if (bytes.empty()) return nullptr;
  return std::make_unique<Win32TileIcon>(std::move(bytes));
}

std::unique_ptr<TileIcon> TessaraWindow::IconFromCacheFile(const std::string& path) {
  return Win32TileIcon::FromCacheFile(path);
}

std::string TessaraWindow::FindAssociatedProgram(const std::string& file) {
  if (file.empty()) return {};
  // The shell's answer in UTF-16: the program's own name may lie outside a legacy code page.
  wchar_t result[MAX_PATH] = {};
  const auto code = reinterpret_cast<INT_PTR>(FindExecutableW(WideFromAnsi(file).c_str(), L"", result));
  return code > 32 ? ToAnsiFileName(result).Name : std::string();
}

std::string TessaraWindow::ProgramPath() { return ::alTools::ProgramPath(); }

bool TessaraWindow::DirectoryReachable(const std::string& folder) { return DirectoryExists(folder); }

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
  if (form_ && form_->LayersReady) {
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
        DragFinish(reinterpret_cast<HDROP>(wp));
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
