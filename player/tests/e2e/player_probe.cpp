// Looks at a running reader from outside.
//
//   player_probe PROCESS.exe   prints the packed version of a module image
//       mapped by hand (private memory starting with a PE header, whose
//       sections carry their own protections) in the running process of
//       that name; exit 1 if there is none
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Win32Handles.h"
#include "player/loader/ModuleResources.h"

namespace {

DWORD FindProcess(const char* exeName) {
  const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) == 0) return entry.th32ProcessID;
  }
  return 0;
}

bool ReadRemote(HANDLE process, const BYTE* address, std::vector<BYTE>& out, SIZE_T size) {
  out.resize(size);
  SIZE_T read = 0;
  return ReadProcessMemory(process, address, out.data(), size, &read) && read == size;
}

// The first private allocation that starts with a PE header and holds the
// whole image it describes.
int PrintMappedVersion(const char* exeName) {
  const DWORD id = FindProcess(exeName);
  if (!id) {
    std::fprintf(stderr, "no process %s\n", exeName);
    return 2;
  }
  const TFileHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!process) return 2;
  MEMORY_BASIC_INFORMATION region{};
  for (const BYTE* at = nullptr; VirtualQueryEx(process.get(), at, &region, sizeof region) == sizeof region;
       at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_COMMIT || region.Type != MEM_PRIVATE || region.BaseAddress != region.AllocationBase ||
        (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0 || region.RegionSize < 4096) {
      continue;
    }
    std::vector<BYTE> head;
    const auto* base = static_cast<const BYTE*>(region.BaseAddress);
    if (!ReadRemote(process.get(), base, head, 4096) || head[0] != 'M' || head[1] != 'Z') continue;
    const LONG ntOffset = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data())->e_lfanew;
    if (ntOffset <= 0 || ntOffset > 4096 - static_cast<LONG>(sizeof(IMAGE_NT_HEADERS))) continue;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(head.data() + ntOffset);
    if (nt->Signature != IMAGE_NT_SIGNATURE) continue;
    std::vector<BYTE> image;
    if (!ReadRemote(process.get(), base, image, nt->OptionalHeader.SizeOfImage)) continue;
    std::printf("0x%08X\n", vell::player::GetModuleProductVersion(reinterpret_cast<HINSTANCE>(image.data())));
    return 0;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: player_probe PROCESS.exe\n");
    return 2;
  }
  return PrintMappedVersion(argv[1]);
}
