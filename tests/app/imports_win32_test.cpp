// The libraries tessara.exe has the loader bring in before WinMain, read from its import
// directory: a start from the caches must not wait for the shell, COM or the controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ImportedLibraries(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 0x1000) return {};
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
      bytes.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data())->e_lfanew);
  const auto at = [&](DWORD rva) -> const char* {  // the file's bytes at a loaded address
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
      if (rva >= section->VirtualAddress && rva - section->VirtualAddress < section->SizeOfRawData)
        return bytes.data() + section->PointerToRawData + (rva - section->VirtualAddress);
    return nullptr;
  };
  std::vector<std::string> names;
  const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      at(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
  for (; entry && entry->Name; ++entry) {
    std::string name = at(entry->Name);
    CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
    names.push_back(name);
  }
  return names;
}

TEST(ProgramImports, OnlyTheLibrariesAStartFromTheCachesCalls) {
  char path[MAX_PATH];
  std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  program = program.substr(0, program.find_last_of("\\/") + 1) + "tessara.exe";
  const std::vector<std::string> names = ImportedLibraries(program);
  ASSERT_NE(std::find(names.begin(), names.end(), "user32.dll"), names.end()) << program << " unread";
  const std::set<std::string> start = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"};
  for (const std::string& name : names)
    EXPECT_TRUE(start.count(name)) << name << " is loaded before WinMain: load it at its first use";
}

}  // namespace
