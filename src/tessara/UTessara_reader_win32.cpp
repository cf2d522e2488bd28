// The tessara's window for screen readers: its client area is a list whose items are the
// tiles, as the portable reader decides; this only wraps the answers in IAccessible and tells
// readers of changes with NotifyWinEvent.
#include "tessara/reader_win32.h"

#include <oleacc.h>

#include <new>
#include <string>
#include <utility>

#include "shell/filenames_win32.h"
#include "shell/late_win32.h"
#include "tessara/UTessara_win32.h"
#include "tessara/reader.h"

namespace tessara {

namespace {

// Posted to the window by a reader's default action: the tile starts once the reader's call
// has returned, so a failure's message box never holds the reader.
constexpr UINT kOpenForReader = WM_APP + 10;

ReaderState ReaderStateOf(const TfrmTessara& form) {
  ReaderState state;
  state.Number = form.Number();
  state.Focus = {form.Focus().Col(), form.Focus().Row()};
  state.Active = form.Focus().Focused();
  if (form.Pointing().Pressing()) state.Pressed = {form.Lit.SelCol(), form.Lit.SelRow()};
  return state;
}

HRESULT Text(const std::string& text, BSTR* out) {
  if (text.empty()) return S_FALSE;
  const std::wstring wide = WideFromAnsi(text);
  *out = late::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// A child id, or nothing (a step past the last tile, a point outside the window).
HRESULT Child(int child, VARIANT* out) {
  if (child == kReaderNone) return S_FALSE;
  out->vt = VT_I4;
  out->lVal = child;
  return S_OK;
}

VARIANT Self() {
  VARIANT self;
  late::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

long StatesOf(unsigned bits) {
  const struct {
    unsigned bit;
    long state;
  } map[] = {{rsFocusable, STATE_SYSTEM_FOCUSABLE}, {rsSelectable, STATE_SYSTEM_SELECTABLE},
             {rsFocused, STATE_SYSTEM_FOCUSED},     {rsSelected, STATE_SYSTEM_SELECTED},
             {rsPressed, STATE_SYSTEM_PRESSED}};
  long states = 0;
  for (const auto& m : map)
    if (bits & m.bit) states |= m.state;
  return states;
}

bool StepOf(long direction, ReaderStep& step) {
  switch (direction) {
    case NAVDIR_UP: step = ReaderStep::Up; return true;
    case NAVDIR_DOWN: step = ReaderStep::Down; return true;
    case NAVDIR_LEFT: step = ReaderStep::Left; return true;
    case NAVDIR_RIGHT: step = ReaderStep::Right; return true;
    case NAVDIR_NEXT: step = ReaderStep::Next; return true;
    case NAVDIR_PREVIOUS: step = ReaderStep::Previous; return true;
    case NAVDIR_FIRSTCHILD: step = ReaderStep::FirstChild; return true;
    case NAVDIR_LASTCHILD: step = ReaderStep::LastChild; return true;
    default: return false;
  }
}

class TileAccessible final : public IAccessible {
 public:
  explicit TileAccessible(std::shared_ptr<TessaraWindow*> link) : link_(std::move(link)) {}
  TileAccessible(const TileAccessible&) = delete;
  TileAccessible& operator=(const TileAccessible&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IAccessible) return E_NOINTERFACE;
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // Readers call IAccessible itself; there is no type information for late binding.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return Ask(Self(), [&](HWND hwnd, const TileReader&, int) {
      return late::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                              reinterpret_cast<void**>(parent));
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return Ask(Self(), [&](HWND, const TileReader& reader, int) {
      *count = reader.ChildCount();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // The tiles are simple elements with no object of their own.
    return Ask(child, [&](HWND, const TileReader&, int id) { return id == kReaderSelf ? E_INVALIDARG : S_FALSE; });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader& reader, int id) { return reader.Name(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader& reader, int id) { return reader.Value(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader& reader, int id) { return reader.Description(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader& reader, int id) { return reader.DefaultAction(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader&, int) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return Say(child, out, [](const TileReader&, int) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (!file || !topic) return E_POINTER;
    *topic = 0;
    return Say(child, file, [](const TileReader&, int) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    late::VariantInit(role);
    return Ask(child, [&](HWND, const TileReader& reader, int id) {
      role->vt = VT_I4;
      role->lVal = reader.Role(id) == ReaderRole::List ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    late::VariantInit(state);
    return Ask(child, [&](HWND hwnd, const TileReader& reader, int id) {
      state->vt = VT_I4;
      state->lVal = StatesOf(reader.States(id)) | (IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    late::VariantInit(focus);
    return Ask(Self(), [&](HWND, const TileReader& reader, int) { return Child(reader.FocusChild(), focus); });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    late::VariantInit(selection);
    // Only the focus cell's tile is ever selected.
    return Ask(Self(), [&](HWND, const TileReader& reader, int) {
      const int focus = reader.FocusChild();
      return Child(focus == kReaderSelf ? kReaderNone : focus, selection);
    });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
    return Ask(child, [](HWND, const TileReader&, int) { return DISP_E_MEMBERNOTFOUND; });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return Ask(child, [&](HWND hwnd, const TileReader& reader, int id) {
      RECT client{};
      GetClientRect(hwnd, &client);
      const CellRect cell = id == kReaderSelf ? CellRect{0, 0, client.right, client.bottom} : reader.Location(id);
      POINT at{cell.Left, cell.Top};
      ClientToScreen(hwnd, &at);
      *left = at.x;
      *top = at.y;
      *width = cell.Width;
      *height = cell.Height;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    late::VariantInit(end);
    return Ask(start, [&](HWND, const TileReader& reader, int id) {
      ReaderStep step{};
      if (!StepOf(direction, step)) return E_INVALIDARG;
      return Child(reader.Navigate(id, step), end);
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    late::VariantInit(hit);
    return Ask(Self(), [&](HWND hwnd, const TileReader& reader, int) {
      POINT at{x, y};
      RECT client{};
      ScreenToClient(hwnd, &at);
      GetClientRect(hwnd, &client);
      return Child(PtInRect(&client, at) ? reader.HitTest(at.x, at.y) : kReaderNone, hit);
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Ask(child, [](HWND hwnd, const TileReader& reader, int id) {
      if (id == kReaderSelf) return DISP_E_MEMBERNOTFOUND;
      const Cell cell = reader.CellOf(id);
      return PostMessageA(hwnd, kOpenForReader, static_cast<WPARAM>(cell.Col), cell.Row) ? S_OK : E_FAIL;
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR) override {
    return Ask(child, [](HWND, const TileReader&, int) { return E_NOTIMPL; });
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR) override {
    return Ask(child, [](HWND, const TileReader&, int) { return E_NOTIMPL; });
  }

 private:
  ~TileAccessible() = default;

  // Runs `ask` on the window and its reader, or says why not: the window went, or the child
  // is none of its elements.
  template <class F>
  HRESULT Ask(const VARIANT& child, F ask) const {
    TessaraWindow* window = *link_;
    const TfrmTessara* form = window ? window->Form() : nullptr;
    if (!form || !window->hwnd_) return CO_E_OBJNOTCONNECTED;
    const TileReader reader(*form, ReaderStateOf(*form));
    if (child.vt != VT_I4 || !reader.Known(child.lVal)) return E_INVALIDARG;
    return ask(window->hwnd_, reader, static_cast<int>(child.lVal));
  }
  template <class F>
  HRESULT Say(const VARIANT& child, BSTR* out, F text) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Ask(child, [&](HWND, const TileReader& reader, int id) { return Text(text(reader, id), out); });
  }

  ULONG refs_ = 1;
  std::shared_ptr<TessaraWindow*> link_;
};

}  // namespace

bool TessaraWindow::HandleReaderMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_GETOBJECT: {
      // Only the client area is ours; the frame and the other kinds are the system's.
      if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT || !form_) return false;
      // Loaded when a reader first asks: a start that no reader watches never pays for it.
      auto* object = new (std::nothrow) TileAccessible(reader_link_.For(this));
      if (!object) return false;
      result = late::LresultFromObject(IID_IAccessible, wp, object);
      object->Release();
      return true;
    }
    case kOpenForReader:
      // As a click: not while a dialog holds the program or a tile is held.
      if (form_ && IsWindowEnabled(hwnd_) && !form_->Holding())
        form_->RunTile(static_cast<int>(wp), static_cast<int>(lp));
      return true;
    case WM_DESTROY:
      reader_link_.Cut();
      return false;
    default:
      return false;
  }
}

void TessaraWindow::FocusCellMoved() {
  if (!hwnd_ || !form_) return;
  const int child = TileReader(*form_, ReaderStateOf(*form_)).FocusChild();
  if (child == kReaderNone) return;
  NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, child);
  if (child != kReaderSelf) NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, OBJID_CLIENT, child);
}

void TessaraWindow::TileRenamed(int col, int row) {
  if (!hwnd_ || !form_) return;
  const int child = TileReader(*form_, ReaderStateOf(*form_)).ChildOf({col, row});
  if (child != kReaderNone) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT, child);
}

void TessaraWindow::TilesReordered() {
  if (hwnd_) NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace tessara
