#include "player/hooks/ModuleResources.h"

#include <string>

namespace vell::player {

namespace {

constexpr DWORD kHighBit = 0x80000000u;
constexpr std::size_t kVersionHeaderSize = 38;  // record header and the "VS_VERSION_INFO" key

bool IsIntegerResource(LPCSTR value) { return (reinterpret_cast<std::uintptr_t>(value) >> 16) == 0; }

std::string NameToAnsi(const BYTE* resourceBase, DWORD nameOffset) {
  const auto* counted = reinterpret_cast<const WORD*>(resourceBase + (nameOffset & ~kHighBit));
  const int length = counted[0];
  const auto* text = reinterpret_cast<LPCWCH>(counted + 1);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(bytes, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

const IMAGE_RESOURCE_DIRECTORY_ENTRY* Entries(const IMAGE_RESOURCE_DIRECTORY* directory) {
  return reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(directory + 1);
}

// Type and name levels: an id matches an id entry, a text a named entry.
const IMAGE_RESOURCE_DIRECTORY* FindChild(const BYTE* resourceBase, const IMAGE_RESOURCE_DIRECTORY* directory,
                                          LPCSTR key) {
  const unsigned count = directory->NumberOfNamedEntries + directory->NumberOfIdEntries;
  const bool byId = IsIntegerResource(key);
  for (unsigned i = 0; i < count; ++i) {
    const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry = Entries(directory)[i];
    const bool named = (entry.Name & kHighBit) != 0;
    const bool matches = byId ? !named && (entry.Name & 0xFFFF) == reinterpret_cast<std::uintptr_t>(key)
                              : named && lstrcmpA(NameToAnsi(resourceBase, entry.Name).c_str(), key) == 0;
    if (matches) return reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(resourceBase + (entry.OffsetToData & ~kHighBit));
  }
  return nullptr;
}

}  // namespace

bool FindModuleResourceInLanguage(HINSTANCE instance, LPCSTR type, LPCSTR name, LCID language, DWORD& size,
                                  void*& data) {
  if (!instance) return false;
  const auto* base = reinterpret_cast<const BYTE*>(instance);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
  if (directory.VirtualAddress == 0) return false;

  const BYTE* resourceBase = base + directory.VirtualAddress;
  const auto* root = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(resourceBase);
  const auto* names = FindChild(resourceBase, root, type);
  const auto* languages = names ? FindChild(resourceBase, names, name) : nullptr;
  if (!languages) return false;

  const unsigned count = languages->NumberOfNamedEntries + languages->NumberOfIdEntries;
  for (unsigned i = 0; i < count; ++i) {
    const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry = Entries(languages)[i];
    if ((entry.Name & 0xFFFF) != (language & 0xFFFF)) continue;
    const auto* item = reinterpret_cast<const IMAGE_RESOURCE_DATA_ENTRY*>(resourceBase + (entry.OffsetToData & ~kHighBit));
    data = const_cast<BYTE*>(base + item->OffsetToData);
    size = item->Size;
    return true;
  }
  return false;
}

std::array<LCID, 5> ResourceLanguageOrder() {
  return {GetThreadLocale(), GetSystemDefaultLCID(), GetUserDefaultLCID(), 0, 1033};
}

bool FindModuleResource(HINSTANCE instance, LPCSTR type, LPCSTR name, DWORD& size, void*& data) {
  for (LCID language : ResourceLanguageOrder()) {
    if (FindModuleResourceInLanguage(instance, type, name, language, size, data)) return true;
  }
  return false;
}

std::uint32_t PackVersion(std::uint32_t productVersionMS, std::uint32_t productVersionLS) {
  const std::uint32_t major = HIWORD(productVersionMS), minor = LOWORD(productVersionMS);
  const std::uint32_t build = HIWORD(productVersionLS), revision = LOWORD(productVersionLS);
  return ((major * 256 + minor) * 256 + build) * 256 + revision;
}

std::uint32_t GetModuleProductVersion(HINSTANCE instance) {
  DWORD size = 0;
  void* data = nullptr;
  if (!FindModuleResource(instance, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), size, data)) return 0;
  const auto* bytes = static_cast<const BYTE*>(data);
  const BYTE* end = bytes + size;
  // The key's padding comes before the fixed information: skip zero words.
  const BYTE* at = bytes + kVersionHeaderSize;
  while (at + sizeof(WORD) <= end && *reinterpret_cast<const WORD*>(at) == 0) at += sizeof(WORD);
  if (at + sizeof(VS_FIXEDFILEINFO) > end) return 0;
  const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(at);
  return PackVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
}

}  // namespace vell::player
