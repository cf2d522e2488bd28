// A tiny console program for the soak script: finds the running process of the given program
// name and prints its GDI objects and working set on one line: gdi=N working_set_kb=N
// Wine's GetGuiResources always answers 0, so the GDI count is then taken from the process's
// GDI handle table (the PEB's GdiSharedHandleTable: 64K entries of 24 bytes, the object type in
// byte 14, zero when free), read from the other process.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

DWORD FindProcess(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

long long GdiObjects(HANDLE process) {
  const DWORD reported = GetGuiResources(process, GR_GDIOBJECTS);
  if (reported != 0) return reported;
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
  std::uint64_t table = 0;
  SIZE_T read = 0;
  const auto* at = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress) + 0xF8;
  if (!ReadProcessMemory(process, at, &table, sizeof table, &read) || !table) return -1;
  std::vector<std::uint8_t> entries(24 * 0x10000);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read))
    return -1;
  long long live = 0;
  for (std::size_t i = 0; i < 0x10000; ++i) live += entries[24 * i + 14] != 0;
  return live;
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD id = FindProcess(argc > 1 ? argv[1] : "tessara.exe");
  if (!id) {
    std::fprintf(stderr, "no such process\n");
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) {
    std::fprintf(stderr, "cannot open the process\n");
    return 2;
  }
  // Wine reports no handle count, user objects or private bytes of another process.
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, &memory, sizeof memory);
  std::printf("gdi=%lld working_set_kb=%llu\n", GdiObjects(process),
              static_cast<unsigned long long>(memory.WorkingSetSize / 1024));
  CloseHandle(process);
  return 0;
}
