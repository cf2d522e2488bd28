// The program's resources as Windows reads them: the icon library TESSARA.DLL beside the
// program, and the icons, version and manifest that this test program links like tessara.exe.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "shell/handles_win32.h"

namespace {

using tessara::UniqueBitmap;
using tessara::UniqueDC;
using tessara::UniqueIcon;

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string ProgramFile() {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

std::string LibraryPath() { return ProgramFolder() + "TESSARA.DLL"; }

// The colour bits and the AND mask of an icon, top row first, read back through GDI.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> colour;
  std::vector<std::uint32_t> mask;  // 0 where the icon paints, 0xFFFFFF where it is clear
};

std::vector<std::uint32_t> ReadBits(HBITMAP bitmap, int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> bits(static_cast<std::size_t>(width) * height);
  UniqueDC dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.Get(), bitmap, 0, height, bits.data(), &bi, DIB_RGB_COLORS) != height) bits.clear();
  return bits;
}

IconPixels ReadIcon(HICON icon) {
  IconPixels p;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return p;
  UniqueBitmap colour(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP bm{};
  if (!colour || !GetObjectA(colour.Get(), sizeof bm, &bm)) return p;
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  p.colour = ReadBits(colour.Get(), p.width, p.height);
  p.mask = ReadBits(mask.Get(), p.width, p.height);
  for (std::uint32_t& m : p.mask) m &= 0xFFFFFF;
  return p;
}

UniqueIcon ExtractAt(const std::string& file, int index) {
  return UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), static_cast<UINT>(index)));
}

int IconCount(const std::string& file) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), static_cast<UINT>(-1))));
}

TEST(IconLibrary, HoldsAtLeastTwelveIconsAndNothingPastTheLast) {
  const int count = IconCount(LibraryPath());
  EXPECT_GE(count, 12);
  EXPECT_FALSE(ExtractAt(LibraryPath(), count)) << "position " << count << " is past the last icon";
}

TEST(IconLibrary, EveryIconIs32PixelsWithAMaskAndNoTwoAreAlike) {
  const int count = IconCount(LibraryPath());
  ASSERT_GE(count, 12);
  std::vector<IconPixels> icons;
  for (int i = 0; i < count; ++i) {
    UniqueIcon icon = ExtractAt(LibraryPath(), i);
    ASSERT_TRUE(icon) << "icon " << i;
    ASSERT_NE(reinterpret_cast<INT_PTR>(icon.Get()), 1) << "TESSARA.DLL is not read as an icon library";
    IconPixels p = ReadIcon(icon.Get());
    ASSERT_EQ(p.width, 32) << "icon " << i;
    ASSERT_EQ(p.height, 32) << "icon " << i;
    ASSERT_EQ(p.colour.size(), 32u * 32u);
    ASSERT_EQ(p.mask.size(), 32u * 32u);
    // A tile icon has a shape: some pixels shown, the corners at least left clear.
    int clear = 0;
    for (std::uint32_t m : p.mask) clear += m != 0;
    EXPECT_GT(clear, 0) << "icon " << i << " covers its whole square";
    EXPECT_LT(clear, 32 * 32 * 7 / 8) << "icon " << i << " is nearly empty";
    icons.push_back(std::move(p));
  }
  for (int a = 0; a < count; ++a)
    for (int b = a + 1; b < count; ++b) EXPECT_NE(icons[a].colour, icons[b].colour) << "icons " << a << " and " << b;
}

// The entries of an icon group resource, as the resource compiler stored them.
#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

std::vector<GroupIconEntry> GroupEntries(int id) {
  std::vector<GroupIconEntry> entries;
  HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  if (!res) return entries;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
  GroupIconHeader header;
  std::memcpy(&header, data, sizeof header);
  for (int i = 0; i < header.count; ++i) {
    GroupIconEntry e;
    std::memcpy(&e, data + sizeof header + i * sizeof e, sizeof e);
    entries.push_back(e);
  }
  return entries;
}

TEST(ProgramIcons, ProgramIconHolds32And16PixelImagesAndComesFirst) {
  const std::vector<GroupIconEntry> entries = GroupEntries(IDI_TESSARA);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].width, 32);
  EXPECT_EQ(entries[1].width, 16);

  const HINSTANCE self = GetModuleHandleA(nullptr);
  UniqueIcon large(static_cast<HICON>(LoadImageA(self, MAKEINTRESOURCEA(IDI_TESSARA), IMAGE_ICON, 32, 32, 0)));
  UniqueIcon small(static_cast<HICON>(LoadImageA(self, MAKEINTRESOURCEA(IDI_TESSARA), IMAGE_ICON, 16, 16, 0)));
  ASSERT_TRUE(large);
  ASSERT_TRUE(small);
  EXPECT_EQ(ReadIcon(small.Get()).width, 16);

  // The shell shows a program's first icon: it must be this one, not the tray's.
  UniqueIcon first = ExtractAt(ProgramFile(), 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(ReadIcon(first.Get()).colour, ReadIcon(large.Get()).colour);
}

TEST(ProgramIcons, TrayIconIs16PixelsIn16ColoursWithATwiceAsLargeTwin) {
  const std::vector<GroupIconEntry> entries = GroupEntries(IDI_TRAY);
  ASSERT_EQ(entries.size(), 2u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(entries[i].width == 16 << i && entries[i].height == 16 << i) << i;
    EXPECT_TRUE(entries[i].colours == 16 && entries[i].bits == 4) << i;
  }

  UniqueIcon tray(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON, 16, 16, 0)));
  ASSERT_TRUE(tray);
  const IconPixels p = ReadIcon(tray.Get());
  EXPECT_EQ(p.width, 16);
  EXPECT_EQ(p.height, 16);
  int clear = 0;
  for (std::uint32_t m : p.mask) clear += m != 0;
  EXPECT_GT(clear, 0);
  EXPECT_LT(clear, 16 * 16 * 7 / 8);
}

// version.dll is loaded by name so that the test needs no import library for it.
class ProgramVersion : public testing::Test {
 protected:
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

  void SetUp() override {
    version_ = LoadLibraryA("version.dll");
    ASSERT_NE(version_, nullptr);
    auto size = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(version_, "GetFileVersionInfoSizeA")));
    auto info = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(version_, "GetFileVersionInfoA")));
    query_ = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(version_, "VerQueryValueA")));
    ASSERT_TRUE(size && info && query_);
    const std::string file = ProgramFile();
    DWORD unused = 0;
    const DWORD bytes = size(file.c_str(), &unused);
    ASSERT_GT(bytes, 0u) << "no version resource";
    block_.resize(bytes);
    ASSERT_TRUE(info(file.c_str(), 0, bytes, block_.data()));
  }
  void TearDown() override {
    if (version_) FreeLibrary(version_);
  }

  std::string Query(const std::string& path, UINT* length = nullptr) {
    void* value = nullptr;
    UINT n = 0;
    if (!query_(block_.data(), path.c_str(), &value, &n) || !value) return {};
    if (length) *length = n;
    return std::string(static_cast<const char*>(value), n);
  }

  HMODULE version_ = nullptr;
  QueryFn query_ = nullptr;
  std::vector<char> block_;
};

TEST_F(ProgramVersion, FixedPartReads1_99_0_3) {
  const std::string fixed = Query("\\");
  ASSERT_EQ(fixed.size(), sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO info;
  std::memcpy(&info, fixed.data(), sizeof info);
  EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(info.dwFileVersionMS, static_cast<DWORD>(MAKELONG(99, 1)));
  EXPECT_EQ(info.dwFileVersionLS, static_cast<DWORD>(MAKELONG(3, 0)));
  EXPECT_EQ(info.dwProductVersionMS, static_cast<DWORD>(MAKELONG(99, 1)));
  EXPECT_EQ(info.dwProductVersionLS, static_cast<DWORD>(MAKELONG(3, 0)));
  EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(ProgramVersion, StringsNameTheProgramUnderItsOwnTranslation) {
  const std::string translation = Query("\\VarFileInfo\\Translation");
  ASSERT_EQ(translation.size(), 4u);
  WORD pair[2];
  std::memcpy(pair, translation.data(), sizeof pair);
  char block[64];
  wsprintfA(block, "\\StringFileInfo\\%04x%04x\\", pair[0], pair[1]);

  const struct {
    const char* name;
    const char* value;
  } expected[] = {
      {"FileDescription", "Tessara desktop launcher"}, {"FileVersion", "1.99.0.3"},
      {"ProductName", "Tessara"},                      {"ProductVersion", "1.99.0.3"},
      {"OriginalFilename", "tessara.exe"},
  };
  for (const auto& e : expected) {
    const std::string value = Query(std::string(block) + e.name);
    EXPECT_STREQ(value.c_str(), e.value) << e.name;  // the stored length counts the final zero
  }
  EXPECT_FALSE(Query(std::string(block) + "CompanyName").empty());
  EXPECT_FALSE(Query(std::string(block) + "LegalCopyright").empty());
}

TEST(ProgramManifest, AsksForCommonControls6AndNoElevation) {
  HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
  ASSERT_NE(res, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, res))), SizeofResource(nullptr, res));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(text.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<"), std::string::npos);
  EXPECT_NE(text.find(">PerMonitorV2, PerMonitor<"), std::string::npos);
  EXPECT_NE(text.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8<"),
            std::string::npos);
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "texts of the A functions are UTF-8";

  // The loader honoured it: common controls come from the side-by-side store, not from
  // the system folder's version 5 (whose version number Wine's copy also reports).
  HMODULE comctl = LoadLibraryA("comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  char loaded[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(comctl, loaded, MAX_PATH), 0u);
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  const std::string legacy = std::string(system) + "\\comctl32.dll";
  EXPECT_NE(lstrcmpiA(loaded, legacy.c_str()), 0) << loaded;
  FreeLibrary(comctl);
}

}  // namespace
