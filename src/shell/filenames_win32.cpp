#include "shell/filenames_win32.h"

#include <commdlg.h>

#include "shell/commondialogs_win32.h"

#include <vector>

#include "base/tile.h"
#include "shell/error.h"
#include "shell/modal_win32.h"

namespace tessara {

namespace {

// The name in the code page; false when a character has no exact counterpart there (no
// best-fit look-alikes: they would name another file) or the name is too long. UTF-8 holds
// every character but refuses the no-best-fit flag: there only a broken name fails.
bool FitsAnsi(const std::wstring& wide, UINT codePage, std::string& out, bool& unmappable) {
  out.clear();
  unmappable = false;
  if (wide.empty()) return true;
  const bool utf8 = (codePage == CP_ACP ? GetACP() : codePage) == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = utf8 ? nullptr : &usedDefault;
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, used);
  if (size <= 0) {
    unmappable = true;
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), size, nullptr, used);
  unmappable = usedDefault != FALSE;
  return !unmappable && out.size() <= kFilenameCap;
}

}  // namespace

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::wstring ProgramPathWide() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
    if (n == 0) return {};
    // A result that fills the buffer was cut short: grow and ask again.
    if (n < size) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolderProblem(const std::wstring& programPath, UINT codePage) {
  const UINT page = codePage == CP_ACP ? GetACP() : codePage;
  if (page == CP_UTF8) return {};
  const std::wstring folder = programPath.substr(0, programPath.find_last_of(L'\\') + 1);
  std::string unused;
  bool unmappable = false;
  FitsAnsi(folder, page, unused, unmappable);
  if (!unmappable) return {};
  return L"Tessara cannot run from the folder\n\n" + folder +
         L"\n\nbecause the folder's name holds characters that this system's code page (" + std::to_wstring(page) +
         L") cannot show, and this version of Windows lets the program use no others: it could not find or save "
         L"its settings there.\n\nMove the program's folder to a place whose name has only such characters (for "
         L"example C:\\Tessara), or run Tessara on Windows 10 version 1903 or later.";
}

std::string AnsiText(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(codePage, 0, wide.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

AnsiFileName ToAnsiFileName(const std::wstring& wide, UINT codePage) {
  AnsiFileName result;
  bool unmappable = false;
  std::string name;
  if (FitsAnsi(wide, codePage, name, unmappable)) {
    result.Name = name;
    return result;
  }
  const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (size > 0) {
    std::wstring shortName(size, L'\0');
    const DWORD got = GetShortPathNameW(wide.c_str(), shortName.data(), size);
    shortName.resize(got < size ? got : 0);
    std::string shortAnsi;
    bool shortUnmappable = false;
    if (!shortName.empty() && FitsAnsi(shortName, codePage, shortAnsi, shortUnmappable)) {
      result.Name = shortAnsi;
      return result;
    }
  }
  result.Problem = unmappable
                       ? "This file's name holds characters that the system's code page cannot show, and the "
                         "file has no short name that could stand for it:\n" + name
                       : "This file's name is longer than 255 characters, and the file has no short name that "
                         "could stand for it:\n" + name;
  return result;
}

bool RunOpenDialog(HWND owner, const OpenDialogSettings& settings, const std::string& initialFolder,
                   std::string& name) {
  std::wstring filter = WideFromAnsi(settings.Filter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  const std::wstring title = settings.Title ? WideFromAnsi(settings.Title) : std::wstring();
  const std::wstring defExt = settings.DefaultExt ? WideFromAnsi(settings.DefaultExt) : std::wstring();
  const std::wstring folder = WideFromAnsi(initialFolder);
  // Room for the longest path the shell can hand over.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring preset = WideFromAnsi(name);
  if (preset.size() < file.size()) preset.copy(file.data(), preset.size());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = settings.FilterIndex;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
  ofn.Flags = settings.Flags | OFN_EXPLORER;
  {
    ModalScope modal(owner);
    if (!CommonOpenFileName(&ofn)) return false;
  }
  const AnsiFileName chosen = ToAnsiFileName(file.data());
  if (chosen.Name.empty()) {
    ShowMessage(chosen.Problem);
    return false;
  }
  name = chosen.Name;
  return true;
}

}  // namespace tessara
