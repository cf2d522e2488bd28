#include "dialogs/UTSProperties_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include "shell/commondialogs_win32.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "base/dpi.h"
#include "shell/captions_win32.h"
#include "shell/dpi_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/modal_win32.h"
#include "shell/window_win32.h"

namespace tessara {

namespace {

// Control ids. The bars' labels and bars follow one another per bar.
enum : int {
  kFirstCaption = 100,  // + 3 * bar: the caption; + 1: the value label; + 2: the bar
  kGroupSize = 200,
  kGroupBorder,
  kBlackFrame,
  k3DFrame,
  kBackGroup,
  kBackFirst,  // three radio buttons
  kFont = kBackFirst + 3,
  kLetterShadow,
  kGroupHint,
  kFloatHint,
  kHintExample,
  kHintHelp,
  kColorCaption,
  kColorPanel,
  kBitmapCaption,
  kBitmapFile,
  kBrowse,
  kWallpaper,
  kOpacity,
  kApply,
};

constexpr int kClientWidth = 475;
constexpr int kClientHeight = 319;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct ControlDef {
  int id;
  const char* kind;
  const char* caption;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;  // client pixels at 96 dpi
};

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kBar = SBS_HORZ | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kPanel = SS_CENTER | SS_CENTERIMAGE | WS_BORDER;  // no SS_NOTIFY: presses reach the form

int BarId(TSBar bar, int part) { return kFirstCaption + 3 * static_cast<int>(bar) + part; }

// A group box paints only its frame and caption; the dialog clips its children, so the box
// stays out of the clipping (transparent) and the dialog's face shows through its field.
constexpr DWORD kGroupEx = WS_EX_TRANSPARENT;

// Controls inside a group box are placed relative to the box, as the box shows them.
std::vector<ControlDef> Controls() {
  std::vector<ControlDef> c;
  c.push_back({kGroupSize, "BUTTON", " Window && Tile Size ", BS_GROUPBOX, kGroupEx, 4, 4, 201, 149});
  struct Row {
    const char* caption;
    int labelTop, barTop, barHeight;
  };
  const Row rows[kTSBarCount] = {{"Columns:", 17, 16, 16},        {"Rows:", 37, 36, 16},
                                 {"Tile Width:", 61, 60, 16},     {"Tile Height:", 81, 80, 16},
                                 {"Border Spacing:", 105, 104, 16}, {"Cell Spacing:", 125, 124, 17}};
  for (int i = 0; i < kTSBarCount; ++i) {
    const TSBar bar = static_cast<TSBar>(i);
    // The captions' text outgrows their scale by a few pixels at 175 %: the values (two
    // digits at most) give up that room.
    c.push_back({BarId(bar, 0), "STATIC", rows[i].caption, kLabel, 0, 4 + 8, 4 + rows[i].labelTop, 82, 13});
    c.push_back({BarId(bar, 1), "STATIC", "", kLabel, 0, 4 + 92, 4 + rows[i].labelTop, 26, 13});
    c.push_back({BarId(bar, 2), "SCROLLBAR", "", kBar, 0, 4 + 120, 4 + rows[i].barTop, 69, rows[i].barHeight});
  }
  c.push_back({kGroupBorder, "BUTTON", " Window Border ", BS_GROUPBOX, kGroupEx, 4, 156, 97, 73});
  c.push_back({kBlackFrame, "BUTTON", "Black Line", kCheck, 0, 4 + 8, 156 + 16, 73, 17});
  c.push_back({k3DFrame, "BUTTON", "3D Raised", kCheck, 0, 4 + 8, 156 + 36, 77, 17});
  c.push_back({kBackGroup, "BUTTON", " Background ", BS_GROUPBOX, kGroupEx, 108, 156, 97, 73});
  for (int i = 0; i < 3; ++i)
    c.push_back({kBackFirst + i, "BUTTON", kBackTypeItems[static_cast<std::size_t>(i)],
                 BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0u), 0, 108 + 8, 156 + 15 + 18 * i, 85, 17});
  c.push_back({kFont, "BUTTON", "Drive Letter Font", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 4, 236, 149, 33});
  c.push_back({kLetterShadow, "BUTTON", "Drive Letter Shadow", kCheck, 0, 20, 272, 121, 17});
  c.push_back({kGroupHint, "BUTTON", " Floating Hint ", BS_GROUPBOX, kGroupEx, 212, 4, 221, 93});
  c.push_back({kFloatHint, "BUTTON", "Use Floating Hint", kCheck, 0, 212 + 8, 4 + 16, 117, 17});
  c.push_back({kHintExample, "STATIC", "Example", kPanel, 0, 212 + 64, 4 + 36, 125, 21});
  c.push_back({kHintHelp, "STATIC", "Change with: Left-click = Background color\nRight-click = Font color",
               SS_CENTER | SS_NOPREFIX, 0, 212 + 3, 4 + 60, 215, 26});  // all the room inside the frame
  c.push_back({kColorCaption, "STATIC", "Background Color:", kLabel, 0, 220, 112, 92, 13});
  c.push_back({kColorPanel, "STATIC", "", kPanel, 0, 316, 108, 117, 21});
  c.push_back({kBitmapCaption, "STATIC", "Background Bitmap:", kLabel, 0, 220, 140, 100, 13});
  c.push_back({kBitmapFile, "EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 220, 156,
               225, 21});
  c.push_back({kBrowse, "BUTTON", "...", BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, 446, 156, 21, 21});
  c.push_back({kWallpaper, "BUTTON", "Use Windows Background", BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, 220, 180,
               247, 22});
  c.push_back({kOpacity, "STATIC", "Oppacity,,,", kLabel | WS_DISABLED, 0, 256, 220, 60, 13});
  c.push_back({IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 232, 284, 75, 25});
  c.push_back({kApply, "BUTTON", "&Apply", BS_PUSHBUTTON | WS_TABSTOP, 0, 312, 284, 75, 25});
  c.push_back({IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 392, 284, 75, 25});
  return c;
}

void RegisterPropertiesClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.lpfnWndProc = RoutedWindowProc<TSPropertiesWindow>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kTSPropertiesClass;
  RegisterClassOnce(wc);
}

}  // namespace

TSPropertiesWindow::TSPropertiesWindow(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {
  RegisterPropertiesClass(instance);
  dpi_ = SystemDpi();
  RECT rc{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustFrameForDpi(rc, kStyle, kExStyle, dpi_);
  CreateWindowExA(kExStyle, kTSPropertiesClass, "Window properties", kStyle, Scaled(486), Scaled(182),
                  rc.right - rc.left, rc.bottom - rc.top, owner, nullptr, instance, this);
  if (!hwnd_) throw Error("Cannot create the window properties dialog");
  CreateControls();
  // Its place may be on a monitor of another scale than the system's.
  if (DpiOfWindow(hwnd_) != dpi_) Rescale(DpiOfWindow(hwnd_));
}

void TSPropertiesWindow::Rescale(int dpi) {
  dpi_ = dpi;
  RECT rc{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustFrameForDpi(rc, kStyle, kExStyle, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MakeFonts();
  for (const ControlDef& d : Controls()) {
    MoveWindow(Item(d.id), Scaled(d.left), Scaled(d.top), Scaled(d.width), Scaled(d.height), FALSE);
    if (d.id != kFont) SendMessageA(Item(d.id), WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(d.id)), FALSE);
  }
  if (form_) ShowFont(form_->LetterFont());
  WidenCutCaptions(hwnd_, dpi_);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TSPropertiesWindow::MakeFonts() {
  // 8 points at the scale, as the panel's: 11 px scaled would round up and outgrow the layout.
  font_.Reset(CreateUiFont(dpi_));
  bold_font_.Reset(CreateUiFont(dpi_, FW_BOLD));
}

HFONT TSPropertiesWindow::FontOf(int id) const {
  const bool value = id >= kFirstCaption && id < kFirstCaption + 3 * kTSBarCount && (id - kFirstCaption) % 3 == 1;
  return value ? bold_font_.Get() : font_.Get();
}

TSPropertiesWindow::~TSPropertiesWindow() {
  form_ = nullptr;
  if (tooltip_) DestroyWindow(tooltip_);
  if (hwnd_) DestroyWindow(hwnd_);
}

void TSPropertiesWindow::CreateControls() {
  MakeFonts();
  for (const ControlDef& d : Controls()) {
    HWND control = CreateWindowExA(d.exStyle, d.kind, d.caption, WS_CHILD | WS_VISIBLE | d.style, Scaled(d.left),
                                   Scaled(d.top), Scaled(d.width), Scaled(d.height), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), instance_, nullptr);
    if (!control) throw Error("Cannot create the window properties dialog");
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(d.id)), FALSE);
  }
  WidenCutCaptions(hwnd_, dpi_);
  for (int i = 0; i < kTSBarCount; ++i) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = kTSBarRanges[static_cast<std::size_t>(i)].Min;
    si.nMax = kTSBarRanges[static_cast<std::size_t>(i)].Max;
    si.nPos = si.nMin;
    SetScrollInfo(Item(BarId(static_cast<TSBar>(i), 2)), SB_CTL, &si, FALSE);
  }
  UseCommonControls();
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  if (tooltip_) {
    // The panel lets presses through to the dialog, so the tip is set on its rectangle.
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = kColorPanel;
    GetWindowRect(Item(kColorPanel), &tool.rect);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.lpszText = const_cast<char*>("Click to change");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TSPropertiesWindow::ShowBar(TSBar bar, int position) {
  SetScrollPos(Item(BarId(bar, 2)), SB_CTL, position, TRUE);
}

void TSPropertiesWindow::ShowLabel(TSBar bar, const std::string& text) {
  SetWindowTextA(Item(BarId(bar, 1)), text.c_str());
}

void TSPropertiesWindow::ShowColor(int color) {
  color_brush_.Reset(CreateSolidBrush(ToColorRef(color)));
  InvalidateRect(Item(kColorPanel), nullptr, TRUE);
}

void TSPropertiesWindow::ShowBackType(int index) {
  for (int i = 0; i < 3; ++i) CheckDlgButton(hwnd_, kBackFirst + i, i == index ? BST_CHECKED : BST_UNCHECKED);
}

void TSPropertiesWindow::ShowBitmapFile(const std::string& file) {
  SetWindowTextA(Item(kBitmapFile), file.c_str());
}

namespace {
// The check boxes in the order of TSCheck.
constexpr int kCheckIds[kTSCheckCount] = {kLetterShadow, kBlackFrame, k3DFrame, kFloatHint};
}  // namespace

void TSPropertiesWindow::ShowCheck(TSCheck check, bool checked) {
  CheckDlgButton(hwnd_, kCheckIds[static_cast<int>(check)], checked ? BST_CHECKED : BST_UNCHECKED);
}

void TSPropertiesWindow::ShowHintExample(int background, int text) {
  hint_brush_.Reset(CreateSolidBrush(ToColorRef(background)));
  hint_text_ = ToColorRef(text);
  InvalidateRect(Item(kHintExample), nullptr, TRUE);
}

void TSPropertiesWindow::ShowFont(const FontSpec& font) {
  // The sample in the size the letters take on this monitor.
  LOGFONTW lf = LogFontOf(font);
  lf.lfHeight = ScaleLength(lf.lfHeight, dpi_);
  letter_font_.Reset(CreateFontIndirectW(&lf));
  if (letter_font_) SendMessageA(Item(kFont), WM_SETFONT, reinterpret_cast<WPARAM>(letter_font_.Get()), TRUE);
}

bool TSPropertiesWindow::ShowModal() {
  // The others are enabled again before the dialog hides, so that Windows activates its owner,
  // the window it serves.
  std::optional<ModalScope> modal(std::in_place);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  SetFocus(Item(IDOK));
  running_ = true;
  ok_ = false;
  MSG msg;
  while (running_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the quit goes on to the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  modal.reset();
  ShowWindow(hwnd_, SW_HIDE);
  return ok_;
}

void TSPropertiesWindow::Close(bool ok) {
  ok_ = ok;
  running_ = false;
}

bool TSPropertiesWindow::ChooseColorDialog(int& color) { return ChooseColorFor(hwnd_, color, CC_ANYCOLOR); }

bool TSPropertiesWindow::ChooseFontDialog(FontSpec& font) {
  // The font dialog counts in pixels of the system DPI; the settings in 96-dpi units.
  LOGFONTW lf = LogFontOf(font);
  lf.lfHeight = ScaleLength(lf.lfHeight, SystemDpi());
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = hwnd_;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  // The dialog may write into the LOGFONT even when cancelled: it is read only on OK.
  {
    ModalScope modal(hwnd_);
    if (!CommonChooseFont(&cf)) return false;
  }
  font.Face = AnsiText(lf.lfFaceName);
  font.Height = MulDiv(lf.lfHeight, kBaseDpi, SystemDpi());
  font.Weight = lf.lfWeight;
  font.Italic = lf.lfItalic != 0;
  return true;
}

bool TSPropertiesWindow::OpenPictureDialog(const std::string& initialFolder, std::string& file) {
  OpenDialogSettings settings;
  settings.Title = "Open Background Bitmap";
  settings.Filter =
      "All (*.gif;*.dib;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.dib;*.bmp;*.ico;*.emf;*.wmf|"
      "CompuServe GIF Image (*.gif)|*.gif|Device Independent Bitmap (*.dib)|*.dib|"
      "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
  settings.FilterIndex = 4;
  settings.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return RunOpenDialog(hwnd_, settings, initialFolder, file);
}

std::string TSPropertiesWindow::DesktopWallpaper() {
  // Read in UTF-16 and kept as any name from the shell: whole, or by its short name.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  std::wstring value(32768, L'\0');
  DWORD size = static_cast<DWORD>((value.size() - 1) * sizeof(wchar_t));
  DWORD type = 0;
  const LONG result =
      RegQueryValueExW(key, L"Wallpaper", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
  return ToAnsiFileName(value).Name;
}

int TSPropertiesWindow::WindowTextColor() { return static_cast<int>(GetSysColor(COLOR_WINDOWTEXT)); }

void TSPropertiesWindow::OnScroll(HWND bar, int code) {
  const int id = GetDlgCtrlID(bar);
  if (!form_ || id < kFirstCaption || id >= kFirstCaption + 3 * kTSBarCount || (id - kFirstCaption) % 3 != 2)
    return;
  const TSBar which = static_cast<TSBar>((id - kFirstCaption) / 3);
  const TSBarRange range = kTSBarRanges[static_cast<std::size_t>(which)];
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(bar, SB_CTL, &si);
  int pos = form_->Position(which);
  switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT:  // a click in the track moves by one as well
      --pos;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      ++pos;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_LEFT:
      pos = range.Min;
      break;
    case SB_RIGHT:
      pos = range.Max;
      break;
    default:
      return;
  }
  form_->SetPosition(which, pos);
}

void TSPropertiesWindow::OnCommand(int id, int code) {
  if (!form_) return;
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDOK:
      Close(true);
      break;
    case IDCANCEL:
      Close(false);
      break;
    case kApply:
      form_->btnApplyClick();
      break;
    case kBlackFrame:
    case k3DFrame:
    case kLetterShadow:
    case kFloatHint: {
      const int check = static_cast<int>(std::find(std::begin(kCheckIds), std::end(kCheckIds), id) - kCheckIds);
      form_->SetChecked(static_cast<TSCheck>(check), IsDlgButtonChecked(hwnd_, id) == BST_CHECKED);
      break;
    }
    case kBackFirst:
    case kBackFirst + 1:
    case kBackFirst + 2:
      form_->SetBackType(id - kBackFirst);
      break;
    case kFont:
      form_->btnFontClick();
      break;
    case kBrowse:
      form_->SpeedButton1Click();
      break;
    case kWallpaper:
      form_->SpeedButton2Click();
      break;
    default:
      break;
  }
}

bool TSPropertiesWindow::OnMouseDown(int x, int y, TSMouseButton button) {
  if (!form_) return false;
  const POINT pt{x, y};
  for (int id : {kColorPanel, kHintExample}) {
    RECT rc{};
    GetWindowRect(Item(id), &rc);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rc), 2);
    if (!PtInRect(&rc, pt)) continue;
    if (id == kHintExample)
      form_->pnlHintExampleMouseDown(button);
    else if (button == TSMouseButton::Left)
      form_->pnlColorClick();
    return true;
  }
  return false;
}

LRESULT TSPropertiesWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HSCROLL:
      OnScroll(reinterpret_cast<HWND>(lp), LOWORD(wp));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const TSMouseButton button = msg == WM_LBUTTONDOWN   ? TSMouseButton::Left
                                   : msg == WM_RBUTTONDOWN ? TSMouseButton::Right
                                                           : TSMouseButton::Middle;
      OnMouseDown(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)), button);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id == kColorPanel && color_brush_) return reinterpret_cast<LRESULT>(color_brush_.Get());
      if (id == kHintExample && hint_brush_) {
        LOGBRUSH lb{};
        GetObjectA(hint_brush_.Get(), sizeof lb, &lb);
        SetTextColor(dc, hint_text_);
        SetBkColor(dc, lb.lbColor);
        return reinterpret_cast<LRESULT>(hint_brush_.Get());
      }
      if (id >= kFirstCaption && id < kFirstCaption + 3 * kTSBarCount && (id - kFirstCaption) % 3 == 1) {
        SetTextColor(dc, ToColorRef(kValueLabelColor));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return DefWindowProcA(hwnd_, msg, wp, lp);
    }
    case WM_CLOSE:
      Close(false);
      return 0;
    case kWmDpiChanged: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Rescale(HIWORD(wp));
      return 0;
    }
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

}  // namespace tessara
