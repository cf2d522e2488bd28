#include "shell/late_win32.h"
#include "shell/shortcut_win32.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <utility>

#include "shell/comptr_win32.h"
#include "shell/filenames_win32.h"

namespace tessara {

namespace {

// File names and texts pass through buffers of MAX_PATH characters. A file name that does not
// fit fails the call rather than being cut short. Texts read back get one spare character, so
// a path that filled the buffer is known to be longer than any MAX_PATH path and is left
// unread: a truncated path would name a different file.
constexpr int kWideLength = MAX_PATH;
constexpr int kTextLength = MAX_PATH + 1;
// How long the shell may look for a moved target, in milliseconds.
constexpr WORD kResolveMs = 1000;

bool ToWide(const std::string& text, wchar_t (&wide)[kWideLength]) {
  return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, kWideLength) > 0;
}

// Whether a text read into the spare-character buffer is a whole path. The last character is
// cleared first in case a cut-short copy left the buffer unterminated.
bool FitsPath(wchar_t (&buf)[kTextLength]) {
  buf[kTextLength - 1] = L'\0';
  return std::wcslen(buf) < MAX_PATH;
}

HRESULT CreateLink(ComPtr<IShellLinkW>& link) {
  return late::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          link.PutVoid());
}

}  // namespace

HRESULT CreateShortcut(const std::string& target, const std::string& file,
                       const std::string& description) {
  ComPtr<IShellLinkW> link;
  HRESULT hr = CreateLink(link);
  if (FAILED(hr)) return hr;
  link->SetPath(WideFromAnsi(target).c_str());
  link->SetDescription(WideFromAnsi(description).c_str());
  ComPtr<IPersistFile> persist;
  hr = link->QueryInterface(IID_IPersistFile, persist.PutVoid());
  if (SUCCEEDED(hr)) {
    wchar_t wide[kWideLength];
    hr = ToWide(file, wide) ? persist->Save(wide, TRUE)
                            : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  }
  return hr;
}

ShortcutInfo ResolveShortcut(HWND owner, const std::string& file) {
  ShortcutInfo info;
  // The Unicode interface: the ANSI one turns characters outside the code page into "?" or
  // look-alikes that name another file.
  ComPtr<IShellLinkW> link;
  if (FAILED(CreateLink(link))) return info;
  ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid()))) return info;

  wchar_t wide[kWideLength];
  if (!ToWide(file, wide) || FAILED(persist->Load(wide, STGM_READ))) return info;
  // Inside a drop no dialog may open and no search over the disks may run: the link's tracking
  // data gets a second to find a moved target. The user's file is never rewritten. Finding
  // nothing is no failure: the stored fields still name the target (a removable drive away
  // for now), and a shortcut only the shell can start is left for the shell to resolve.
  link->Resolve(owner, static_cast<DWORD>(MAKELONG(SLR_NO_UI | SLR_NOUPDATE | SLR_NOSEARCH, kResolveMs)));
  ComPtr<IShellLinkDataList> data;
  DWORD flags = 0;
  if (SUCCEEDED(link->QueryInterface(IID_IShellLinkDataList, data.PutVoid())) && SUCCEEDED(data->GetFlags(&flags)))
    info.Advertised = (flags & SLDF_HAS_DARWINID) != 0;
  PIDLIST_ABSOLUTE ids = nullptr;
  if (SUCCEEDED(link->GetIDList(&ids)) && ids) {
    wchar_t path[MAX_PATH];
    info.IdListOnly = !late::SHGetPathFromIDListW(ids, path);
    late::CoTaskMemFree(ids);
  }

  // Each output is taken only from its own successful call; a failure does not stop the rest.
  // Every name passes the rule of dropped names; the first that cannot be kept is reported.
  const auto take = [&info](const wchar_t* text, std::string& out) {
    AnsiFileName name = ToAnsiFileName(text);
    out = std::move(name.Name);
    if (info.Problem.empty()) info.Problem = std::move(name.Problem);
  };
  wchar_t buf[kTextLength] = {};
  WIN32_FIND_DATAW found{};
  if (SUCCEEDED(link->GetPath(buf, kTextLength, &found, SLGP_UNCPRIORITY)) && FitsPath(buf)) take(buf, info.Target);
  buf[0] = L'\0';
  // A description is only shown: however long, and whatever its characters, it never costs
  // the tile; the tile cuts it to its field.
  if (SUCCEEDED(link->GetDescription(buf, kTextLength))) {
    buf[kTextLength - 1] = L'\0';
    info.Description = AnsiText(buf);
  }
  buf[0] = L'\0';
  if (SUCCEEDED(link->GetWorkingDirectory(buf, kTextLength)) && FitsPath(buf)) take(buf, info.WorkingFolder);
  buf[0] = L'\0';
  int index = 0;
  if (SUCCEEDED(link->GetIconLocation(buf, kTextLength, &index)) && FitsPath(buf)) {
    // Shortcuts often name their icon as "%SystemRoot%\...".
    wchar_t expanded[kTextLength] = {};
    const DWORD size = ExpandEnvironmentStringsW(buf, expanded, kTextLength);
    if (size > 0 && size <= kTextLength && FitsPath(expanded)) {
      take(expanded, info.IconLocation);
      info.IconIndex = index;
    }
  }
  // A shortcut stores its arguments' length in 16 bits: this holds any of them whole.
  std::wstring arguments(0x10000, L'\0');
  if (SUCCEEDED(link->GetArguments(arguments.data(), static_cast<int>(arguments.size()))))
    info.Arguments = AnsiText(arguments.c_str());
  if (!info.Problem.empty()) {
    std::string problem = std::move(info.Problem);
    info = ShortcutInfo{};
    info.Problem = std::move(problem);
  }
  return info;
}

HICON ShellFileIcon(const std::string& file) {
  SHFILEINFOW shown{};
  if (!late::SHGetFileInfoW(WideFromAnsi(file).c_str(), 0, &shown, sizeof shown, SHGFI_ICON | SHGFI_LARGEICON))
    return nullptr;
  return shown.hIcon;
}

}  // namespace tessara
