// A library of a system name beside the program is never loaded in place of the system's.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/alTools.h"
#include "shell/systemlibrary_win32.h"

namespace tessara {
namespace {

TEST(SystemLibraryWin32Test, AFakeOfTheSameNameBesideTheProgramIsNotLoaded) {
  // A module loaded already would be found by its name alone.
  if (GetModuleHandleW(L"oleaut32.dll")) GTEST_SKIP() << "oleaut32.dll was loaded by an earlier test";
  const std::string fake = alTools::ProgramFolder() + "oleaut32.dll";
  ASSERT_TRUE(CopyFileA((alTools::ProgramFolder() + "twelve_icons.dll").c_str(), fake.c_str(), FALSE));
  const HMODULE library = LoadSystemLibrary(L"oleaut32.dll");
  DeleteFileA(fake.c_str());
  wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_LT(length, GetModuleFileNameW(library, path, MAX_PATH));
  EXPECT_EQ(lstrcmpiW(std::wstring(path, length).c_str(), system), 0) << path;
}

}  // namespace
}  // namespace tessara
