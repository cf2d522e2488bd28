// A screen reader's view of a window, from another process, for the reader tests. Arguments:
// the window handle, the output file, then "read" (the list and its items, one line each),
// "open N" (the default action of item N) or "after" (waits until the window is gone, then
// asks again). Texts are written in UTF-8.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  if (!text) return {};
  char out[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

// A text the object gives, or none.
template <class Ask>
std::string Text(Ask ask) {
  BSTR text = nullptr;
  const std::string out = ask(&text) == S_OK ? Utf8(text) : "";
  SysFreeString(text);
  return out;
}

std::string Read(IAccessible* list, long id) {
  VARIANT child{};
  child.vt = VT_I4;
  child.lVal = id;
  const std::string n = Text([&](BSTR* t) { return list->get_accName(child, t); });
  const std::string v = Text([&](BSTR* t) { return list->get_accValue(child, t); });
  const std::string d = Text([&](BSTR* t) { return list->get_accDescription(child, t); });
  const std::string a = Text([&](BSTR* t) { return list->get_accDefaultAction(child, t); });
  VARIANT role{}, state{};
  long left = 0, top = 0, width = 0, height = 0;
  list->get_accRole(child, &role);
  list->get_accState(child, &state);
  list->accLocation(&left, &top, &width, &height, child);
  char text[128] = {};
  GetRoleTextA(static_cast<DWORD>(role.lVal), text, sizeof text);
  std::string line = std::to_string(id) + " " + text + " \"" + n + "\" value=\"" + v + "\" description=\"" + d +
                     "\" action=\"" + a + "\" at " + std::to_string(left) + "," + std::to_string(top) + " " +
                     std::to_string(width) + "x" + std::to_string(height) + " states=";
  for (DWORD bit = 1; bit; bit <<= 1)
    if (static_cast<DWORD>(state.lVal) & bit) {
      GetStateTextA(bit, text, sizeof text);
      line += std::string(text) + ",";
    }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[1], nullptr, 10)));
  FILE* out = std::fopen(argv[2], "wb");
  IAccessible* list = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                 reinterpret_cast<void**>(&list));
  if (!out) return 2;
  if (FAILED(got) || !list) {
    std::fprintf(out, "no object: 0x%08lX\n", static_cast<unsigned long>(got));
    return 0;
  }
  const std::string command = argv[3];
  if (command == "read") {
    long count = 0;
    VARIANT focus{};
    list->get_accChildCount(&count);
    list->get_accFocus(&focus);
    std::fprintf(out, "children=%ld focus=%s\n", count, focus.vt == VT_I4 ? std::to_string(focus.lVal).c_str() : "none");
    for (long id = 0; id <= count; ++id) std::fprintf(out, "%s\n", Read(list, id).c_str());
  } else if (command == "open" && argc > 4) {
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = std::atol(argv[4]);
    std::fprintf(out, "open=0x%08lX\n", static_cast<unsigned long>(list->accDoDefaultAction(child)));
  } else if (command == "after") {
    std::fprintf(out, "ready\n");
    std::fflush(out);
    for (int i = 0; i < 1000 && IsWindow(hwnd); ++i) Sleep(10);
    long count = 0;
    BSTR name = nullptr;
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = 1;
    std::fprintf(out, "after=0x%08lX,0x%08lX\n", static_cast<unsigned long>(list->get_accChildCount(&count)),
                 static_cast<unsigned long>(list->get_accName(child, &name)));
  }
  list->Release();
  std::fclose(out);
  CoUninitialize();
  return 0;
}
