#include "dialogs/UProperties_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <exception>

#include "shell/alTools.h"
#include "shell/captions_win32.h"
#include "shell/dpi_win32.h"
#include "shell/error.h"
#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "shell/modal_win32.h"
#include "shell/window_win32.h"

namespace tessara {

namespace {

// Pixels at 96 dots per inch.
constexpr int kOuterWidth = 377;
constexpr int kOuterHeight = 311;
constexpr int kTopPanel = 113;
constexpr int kBottomPanel = 33;
constexpr int kItemHeight = 36;
constexpr int kColumns = 10;
constexpr int kIconSize = 32;

struct ControlDef {
  int id;
  const char* kind;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;  // buttons: top within the bottom panel
  const char* caption;
  int limit;  // text limit of a box; 0 for none
};

// In tab order: the list first, then the boxes, the drive list and the buttons. The labels
// take no focus; each comes right before its box, where a screen reader looks for a box's name.
constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::array<ControlDef, 13> kControls = {{
    {IDC_PROPS_LIST, "LISTBOX",
     WS_TABSTOP | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTICOLUMN | LBS_NOTIFY |
         LBS_NOINTEGRALHEIGHT,
     WS_EX_CLIENTEDGE, 0, 0, 0, 0, "", 0},
    {IDC_PROPS_LABEL1, "STATIC", SS_LEFT | SS_NOPREFIX, 0, 4, 8, 56, 13, "Filename", 0},
    {IDC_PROPS_EDIT1, "EDIT", kBox, WS_EX_CLIENTEDGE, 64, 4, 300, 21, "", 255},
    {IDC_PROPS_LABEL2, "STATIC", SS_LEFT | SS_NOPREFIX, 0, 4, 36, 56, 13, "Description", 0},
    {IDC_PROPS_EDIT2, "EDIT", kBox, WS_EX_CLIENTEDGE, 64, 32, 300, 21, "", 40},
    {IDC_PROPS_LABEL4, "STATIC", SS_LEFT | SS_NOPREFIX, 0, 4, 64, 56, 13, "Start In", 0},
    {IDC_PROPS_EDIT3, "EDIT", kBox, WS_EX_CLIENTEDGE, 64, 60, 300, 21, "", 255},
    {IDC_PROPS_LABEL3, "STATIC", SS_LEFT | SS_NOPREFIX, 0, 4, 92, 56, 13, "Icon", 0},
    {IDC_PROPS_EDIT4, "EDIT", kBox | ES_READONLY, WS_EX_CLIENTEDGE, 64, 88, 300, 21, "", 255},
    // A drop-down list's height includes its open list.
    {IDC_PROPS_DRIVE, "COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 64, 4, 61, 300, "", 0},
    {IDC_PROPS_BROWSE, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, 271, 4, 93, 25, "&Browse for Icon", 0},
    {IDCANCEL, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, 88, 4, 75, 25, "Cancel", 0},
    {IDOK, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 6, 4, 75, 25, "OK", 0},
}};

bool InBottomPanel(int id) { return id == IDOK || id == IDCANCEL || id == IDC_PROPS_BROWSE; }

std::wstring TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

}  // namespace

bool PropertiesWindow::ShowModal() {
  // An empty dialog template: the controls are made in pixels when the dialog starts.
  struct alignas(DWORD) Template {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } tpl{};
  tpl.dialog.style = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
  tpl.dialog.cx = 200;
  tpl.dialog.cy = 150;
  ModalScope modal(owner_);
  const INT_PTR result =
      DialogBoxIndirectParamA(instance_, &tpl.dialog, owner_, DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result == IDOK;
}

INT_PTR CALLBACK PropertiesWindow::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  PropertiesWindow* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<PropertiesWindow*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<PropertiesWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self || !self->form_) return FALSE;
  const ServingWindow serving(hwnd);
  INT_PTR result = TRUE;
  if (Guarded([&] { result = self->HandleMessage(msg, wp, lp); })) return result;
  // A dialog that failed while starting would be left without its icons: it closes.
  if (msg == WM_INITDIALOG) self->Close(IDCANCEL);
  return TRUE;
}

INT_PTR PropertiesWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInit();
      return FALSE;  // the focus was set to the list
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (measure->CtlID != IDC_PROPS_LIST) return FALSE;
      measure->itemHeight = static_cast<UINT>(Scaled(kItemHeight));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlID != IDC_PROPS_LIST) return FALSE;
      DrawItem(*item);
      return TRUE;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return TRUE;
    case kWmDpiChanged: {
      // The system's rectangle for the new monitor; the controls follow at WM_SIZE.
      dpi_ = HIWORD(wp);
      MakeFont();
      SendMessageA(Item(IDC_PROPS_LIST), LB_SETITEMHEIGHT, 0, Scaled(kItemHeight));
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void PropertiesWindow::MakeFont() {
  // 8 points at the scale, as the panel's: 11 px scaled would round up and outgrow the layout.
  font_.Reset(CreateUiFont(dpi_));
  for (const ControlDef& def : kControls)
    if (HWND control = Item(def.id)) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void PropertiesWindow::OnInit() {
  dpi_ = DpiOfWindow(hwnd_);
  for (const ControlDef& def : kControls) {
    const DWORD style = WS_CHILD | WS_VISIBLE | def.style;
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id));
    const int left = Scaled(def.left), top = Scaled(def.top), width = Scaled(def.width), height = Scaled(def.height);
    // The boxes are Unicode controls: a name typed or pasted in any script reaches OK whole.
    HWND control = lstrcmpA(def.kind, "EDIT") == 0
                       ? CreateWindowExW(def.exStyle, L"EDIT", L"", style, left, top, width, height, hwnd_, id,
                                         instance_, nullptr)
                       : CreateWindowExA(def.exStyle, def.kind, def.caption, style, left, top, width, height, hwnd_,
                                         id, instance_, nullptr);
    if (def.limit) SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(def.limit), 0);
  }
  MakeFont();
  HWND drives = Item(IDC_PROPS_DRIVE);
  for (int drive = 1; drive <= 26; ++drive) SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveItem(drive).c_str()));
  SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);

  SetWindowTextA(hwnd_, form_->Caption.c_str());
  SetDlgItemTextA(hwnd_, IDC_PROPS_LABEL1, form_->Label1.c_str());
  SetDlgItemTextW(hwnd_, IDC_PROPS_EDIT1, WideFromAnsi(form_->Edit1).c_str());
  SetDlgItemTextW(hwnd_, IDC_PROPS_EDIT2, WideFromAnsi(form_->Edit2).c_str());
  SetDlgItemTextW(hwnd_, IDC_PROPS_EDIT3, WideFromAnsi(form_->Edit3).c_str());
  SetDlgItemTextW(hwnd_, IDC_PROPS_EDIT4, WideFromAnsi(form_->Edit4).c_str());
  // In drive mode the made description is used and no folder is started in: those boxes go.
  const int shownInDriveMode[] = {IDC_PROPS_DRIVE};
  const int hiddenInDriveMode[] = {IDC_PROPS_EDIT1, IDC_PROPS_EDIT2, IDC_PROPS_EDIT3, IDC_PROPS_LABEL2,
                                   IDC_PROPS_LABEL4};
  for (int id : shownInDriveMode) ShowWindow(Item(id), form_->DriveMode ? SW_SHOW : SW_HIDE);
  for (int id : hiddenInDriveMode) ShowWindow(Item(id), form_->DriveMode ? SW_HIDE : SW_SHOW);
  // The drive list takes the name box's place, also right after its label.
  if (form_->DriveMode)
    SetWindowPos(Item(IDC_PROPS_DRIVE), Item(IDC_PROPS_LABEL1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  // Centred on the screen at the dialog's outer size; on a scaled monitor its client area scaled.
  SIZE outer{kOuterWidth, kOuterHeight};
  if (dpi_ != kBaseDpi)
    outer = ScaledOuterSize(outer, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)), dpi_);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();

  form_->FormShow();
  InvalidateRect(Item(IDC_PROPS_LIST), nullptr, TRUE);
  SetFocus(Item(IDC_PROPS_LIST));
}

void PropertiesWindow::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int bottom = client.bottom - Scaled(kBottomPanel);
  const int topPanel = Scaled(kTopPanel);
  HWND list = Item(IDC_PROPS_LIST);
  if (!list) return;
  MoveWindow(list, 0, topPanel, client.right, bottom > topPanel ? bottom - topPanel : 0, TRUE);
  RECT inner{};
  GetClientRect(list, &inner);
  SendMessageA(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(inner.right / kColumns > 0 ? inner.right / kColumns : 1), 0);
  // All of them: after a scale change the boxes and labels move and grow with their font.
  for (const ControlDef& def : kControls)
    if (def.id != IDC_PROPS_LIST)
      MoveWindow(Item(def.id), Scaled(def.left), (InBottomPanel(def.id) ? bottom : 0) + Scaled(def.top),
                 Scaled(def.width), Scaled(def.height), TRUE);
  WidenCutCaptions(hwnd_, dpi_);
}

void PropertiesWindow::OnCommand(int id, int code) {
  switch (id) {
    case IDOK: {
      // Each name passes the rule of dropped names; one that cannot be kept keeps the
      // dialog open with the reason, and nothing changes. The description is only shown: the
      // caller cuts it to its field.
      std::array<AnsiFileName, 2> names;
      const int boxes[] = {IDC_PROPS_EDIT1, IDC_PROPS_EDIT3};
      for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = ToAnsiFileName(TextOf(Item(boxes[i])));
        if (!names[i].Problem.empty()) {
          ShowMessage(names[i].Problem);
          return;
        }
      }
      form_->Edit1 = names[0].Name;
      form_->Edit2 = AnsiText(TextOf(Item(IDC_PROPS_EDIT2)));
      form_->Edit3 = names[1].Name;
      Close(IDOK);
      break;
    }
    case IDCANCEL:
      Close(IDCANCEL);
      break;
    case IDC_PROPS_BROWSE:
      if (code == BN_CLICKED) form_->btnBrowseClick();
      break;
    case IDC_PROPS_LIST:
      if (code == LBN_SELCHANGE)
        form_->lbClick(static_cast<int>(SendMessageA(Item(IDC_PROPS_LIST), LB_GETCURSEL, 0, 0)));
      break;
    case IDC_PROPS_DRIVE:
      if (code == CBN_SELCHANGE) {
        HWND drives = Item(IDC_PROPS_DRIVE);
        const LRESULT index = SendMessageA(drives, CB_GETCURSEL, 0, 0);
        char text[8] = {};
        if (index >= 0 && SendMessageA(drives, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < 8 &&
            SendMessageA(drives, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)) > 0)
          form_->DriveComboChange(text);
      }
      break;
    default:
      break;
  }
}

void PropertiesWindow::Close(int result) {
  form_->FormHide();
  EndDialog(hwnd_, result);
}

void PropertiesWindow::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const RECT& r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int size = Scaled(kIconSize);
  if (item.itemID < icons_.size() && icons_[item.itemID])
    DrawIconEx(item.hDC, r.left + (r.right - r.left - size) / 2, r.top + Scaled(2), icons_[item.itemID].Get(), size,
               size, 0, nullptr, DI_NORMAL);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &r);
}

int PropertiesWindow::IconCount(const std::string& file) {
  if (file.empty()) return 0;
  // Asked for index -1, the shell returns the number of icons in place of an icon.
  const auto count = reinterpret_cast<UINT_PTR>(late::ExtractIconA(instance_, file.c_str(), static_cast<UINT>(-1)));
  return count > 0xFFFF ? 0xFFFF : static_cast<int>(count);
}

void PropertiesWindow::AddIconItem(const std::string& file, int index) {
  // On a scaled monitor the file's own image of the scaled size.
  const bool shellSize = dpi_ == kBaseDpi && GetSystemMetrics(SM_CXICON) == kIconSize;
  HICON icon = shellSize ? late::ExtractIconA(instance_, file.c_str(), static_cast<UINT>(index))
                         : ExtractIconOfSize(file, index, Scaled(kIconSize));
  if (icon == reinterpret_cast<HICON>(1)) icon = nullptr;
  icons_.emplace_back(icon);
  SendMessageA(Item(IDC_PROPS_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(" "));
}

void PropertiesWindow::ClearIconItems() {
  if (hwnd_) SendMessageA(Item(IDC_PROPS_LIST), LB_RESETCONTENT, 0, 0);
  icons_.clear();
}

void PropertiesWindow::SelectItem(int index) {
  SendMessageA(Item(IDC_PROPS_LIST), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void PropertiesWindow::ShowIconFile(const std::string& text) {
  if (hwnd_) SetDlgItemTextA(hwnd_, IDC_PROPS_EDIT4, text.c_str());
}

bool PropertiesWindow::BrowseForIconFile(std::string& name, const std::string& initialFolder) {
  OpenDialogSettings settings;
  settings.Filter =
      "Files with Icons|*.ico;*.dll;*.res;*.exe;*.icl|Icon Files (*.ico)|*.ico|DLL Files (*.dll)|*.dll|"
      "RES Files (*.res)|*.res|EXE Files (*.exe)|*.exe|ICL File (*.icl)|*.icl|Any File (*.*)|*.*";
  settings.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  return RunOpenDialog(hwnd_, settings, initialFolder, name);
}

std::string PropertiesWindow::ProgramPath() { return alTools::ProgramPath(); }

}  // namespace tessara
