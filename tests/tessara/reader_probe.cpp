// A screen reader's view of a window from another process, for the reader tests. Arguments: the
// window, the output file, then "read" (the list and each item, a line each) or "open N" (item N's
// default action; then, once the window is gone, two more calls). Texts in UTF-8.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

VARIANT Id(long id) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

template <class Ask>
std::string Text(Ask ask) {
  BSTR text = nullptr;
  char out[1024] = {};
  if (ask(&text) == S_OK) WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  SysFreeString(text);
  return out;
}

std::string Read(IAccessible* list, long id) {
  const VARIANT child = Id(id);
  VARIANT role{}, state{};
  long left = 0, top = 0, width = 0, height = 0;
  list->get_accRole(child, &role);
  list->get_accState(child, &state);
  list->accLocation(&left, &top, &width, &height, child);
  char text[128] = {}, place[80] = {};
  GetRoleTextA(static_cast<DWORD>(role.lVal), text, sizeof text);
  std::snprintf(place, sizeof place, "\" at %ld,%ld %ldx%ld states=", left, top, width, height);
  std::string line = std::to_string(id) + " " + text + " \"" +
                     Text([&](BSTR* t) { return list->get_accName(child, t); }) + "\" value=\"" +
                     Text([&](BSTR* t) { return list->get_accValue(child, t); }) + "\" description=\"" +
                     Text([&](BSTR* t) { return list->get_accDescription(child, t); }) + "\" action=\"" +
                     Text([&](BSTR* t) { return list->get_accDefaultAction(child, t); }) + place;
  for (DWORD bit = 1; bit; bit <<= 1)
    if ((static_cast<DWORD>(state.lVal) & bit) && GetStateTextA(bit, text, sizeof text))
      line += std::string(text) + ",";
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  FILE* out = argc > 3 ? std::fopen(argv[2], "wb") : nullptr;
  if (!out) return 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[1], nullptr, 10)));
  const std::string command = argv[3];
  IAccessible* list = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                 reinterpret_cast<void**>(&list));
  long count = 0;
  VARIANT focus{};
  if (FAILED(got)) {
    std::fprintf(out, "no object: 0x%08lX\n", static_cast<unsigned long>(got));
  } else if (command == "read" && list->get_accChildCount(&count) == S_OK) {
    list->get_accFocus(&focus);
    const std::string focused = focus.vt == VT_I4 ? std::to_string(focus.lVal) : "none";
    std::fprintf(out, "children=%ld focus=%s\n", count, focused.c_str());
    for (long id = 0; id <= count; ++id) std::fprintf(out, "%s\n", Read(list, id).c_str());
  } else if (command == "open" && argc > 4) {
    const HRESULT opened = list->accDoDefaultAction(Id(std::atol(argv[4])));
    std::fprintf(out, "open=0x%08lX\nready\n", static_cast<unsigned long>(opened));
    std::fflush(out);
    for (int i = 0; i < 1000 && IsWindow(hwnd); ++i) Sleep(10);
    BSTR name = nullptr;
    std::fprintf(out, "after=0x%08lX,0x%08lX\n", static_cast<unsigned long>(list->get_accChildCount(&count)),
                 static_cast<unsigned long>(list->get_accName(Id(1), &name)));
  }
  if (list) list->Release();
  std::fclose(out);
  return 0;
}
