#include "shell/captions_win32.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "shell/handles_win32.h"

namespace tessara {
namespace {

// At 96 dpi: the box of a check box or radio button with the gap before its text (the
// system's box is 13 pixels), the room kept inside a group box's frame and before the
// next control.
constexpr int kBoxAndGap = 13 + 4;
constexpr int kFrameInset = 6;
constexpr int kSpacing = 2;

enum class CaptionKind { Other, Label, Box, Group };

CaptionKind KindOf(HWND control) {
  char name[16] = {};
  GetClassNameA(control, name, sizeof name);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  if (lstrcmpiA(name, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_LEFTNOWORDWRAP ? CaptionKind::Label : CaptionKind::Other;
  }
  if (lstrcmpiA(name, "Button") != 0) return CaptionKind::Other;
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return CaptionKind::Box;
    case BS_GROUPBOX:
      return CaptionKind::Group;
    default:
      return CaptionKind::Other;
  }
}

struct Placed {
  HWND control;
  CaptionKind kind;
  RECT rect;  // in the parent's client coordinates
};

bool Contains(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

// The right edge up to which `c` may grow: the next visible control in its row, the frame of
// a group box around it, the window's edge.
LONG RoomOf(const Placed& c, const std::vector<Placed>& all, const RECT& client, int dpi) {
  LONG limit = client.right - ScaleLength(kFrameInset, dpi);
  for (const Placed& other : all) {
    if (other.control == c.control) continue;
    if (other.kind == CaptionKind::Group && Contains(other.rect, c.rect))
      limit = std::min(limit, other.rect.right - ScaleLength(kFrameInset, dpi));
    else if (other.rect.top < c.rect.bottom && other.rect.bottom > c.rect.top && other.rect.left >= c.rect.right)
      limit = std::min(limit, other.rect.left - ScaleLength(kSpacing, dpi));
  }
  return limit;
}

}  // namespace

int CaptionWidth(HWND control, int dpi) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return 0;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  const CaptionKind kind = KindOf(control);
  const bool noPrefix = kind == CaptionKind::Label && (GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX);
  ScreenDC dc(control);
  const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  ScopedSelect select(dc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
  RECT need{};
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &need,
            DT_CALCRECT | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0u));
  return need.right + (kind == CaptionKind::Box ? ScaleLength(kBoxAndGap, dpi) : 0);
}

void WidenCutCaptions(HWND window, int dpi) {
  std::vector<Placed> all;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    // The style, not IsWindowVisible: a window not shown yet is laid out as well.
    if (!(GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) continue;
    Placed p{c, KindOf(c), {}};
    GetWindowRect(c, &p.rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&p.rect), 2);
    all.push_back(p);
  }
  RECT client{};
  GetClientRect(window, &client);
  for (Placed& c : all) {
    if (c.kind != CaptionKind::Label && c.kind != CaptionKind::Box) continue;
    const LONG width = c.rect.right - c.rect.left;
    const LONG wanted = std::min<LONG>(CaptionWidth(c.control, dpi), RoomOf(c, all, client, dpi) - c.rect.left);
    if (wanted <= width) continue;
    SetWindowPos(c.control, nullptr, 0, 0, wanted, c.rect.bottom - c.rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    c.rect.right = c.rect.left + wanted;
  }
}

}  // namespace tessara
