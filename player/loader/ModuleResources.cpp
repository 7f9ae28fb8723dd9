#include "player/loader/ModuleResources.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "WideText.h"
#include "player/loader/BoundedMemory.h"
#include "player/loader/IntegerId.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

namespace {

constexpr DWORD kHighBit = 0x80000000u;
constexpr std::size_t kVersionHeaderSize = 38;  // record header and the "VS_VERSION_INFO" key
// No module image comes near this; it only ends the walk over readable memory.
constexpr std::size_t kMaxImageExtent = 512u * 1024 * 1024;

// How many bytes from `start` on can be read: committed memory without
// guard or no-access pages, in one run.
std::size_t ReadableExtent(const BYTE* start) {
  std::size_t extent = 0;
  MEMORY_BASIC_INFORMATION region{};
  const BYTE* at = start;
  while (extent < kMaxImageExtent && VirtualQuery(at, &region, sizeof region) == sizeof region) {
    const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
    if (region.State != MEM_COMMIT || region.Protect == 0 || (region.Protect & unreadable) != 0) break;
    at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    extent = static_cast<std::size_t>(at - start);
  }
  return std::min(extent, kMaxImageExtent);
}

// The image at `instance` as far as its own SizeOfImage and readable memory go.
std::optional<TBoundedMemory> ImageAt(HINSTANCE instance) {
  if (!instance) return std::nullopt;
  auto* base = reinterpret_cast<std::uint8_t*>(instance);
  const TBoundedMemory readable(base, ReadableExtent(base));
  const TPeHeaders headers = TPeHeaders::Read(readable);
  return TBoundedMemory(base, std::min<std::size_t>(readable.Size(), headers.SizeOfImage));
}

std::string NameToAnsi(const TBoundedMemory& resources, DWORD nameOffset) {
  const std::uint64_t at = nameOffset & ~kHighBit;
  const auto length = resources.Read<WORD>(at, "a resource name");
  const auto* text = reinterpret_cast<LPCWCH>(resources.Bytes(at + sizeof(WORD), length * sizeof(WCHAR), "a resource name"));
  return WideToAnsi(std::wstring(text, length));
}

// The entries of the directory at `offset`, in table order.
template <typename Visit>
const IMAGE_RESOURCE_DIRECTORY_ENTRY* FirstEntry(const TBoundedMemory& resources, std::uint64_t offset, Visit matches) {
  const auto directory = resources.Read<IMAGE_RESOURCE_DIRECTORY>(offset, "a resource directory");
  const unsigned count = unsigned{directory.NumberOfNamedEntries} + directory.NumberOfIdEntries;
  const std::uint64_t first = offset + sizeof(IMAGE_RESOURCE_DIRECTORY);
  for (unsigned i = 0; i < count; ++i) {
    const auto* entry = resources.At<IMAGE_RESOURCE_DIRECTORY_ENTRY>(first + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY),
                                                                      "a resource directory entry");
    if (matches(*entry)) return entry;
  }
  return nullptr;
}

// Type and name levels: an id matches an id entry, a text a named entry.
std::optional<std::uint64_t> FindChild(const TBoundedMemory& resources, std::uint64_t offset, LPCSTR key) {
  const bool byId = IsIntegerId(key);
  const auto* found = FirstEntry(resources, offset, [&](const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry) {
    const bool named = (entry.Name & kHighBit) != 0;
    return byId ? !named && (entry.Name & 0xFFFF) == IntegerId(key)
                : named && lstrcmpA(NameToAnsi(resources, entry.Name).c_str(), key) == 0;
  });
  if (!found) return std::nullopt;
  return found->OffsetToData & ~kHighBit;
}

bool FindInLanguage(const TBoundedMemory& image, const TBoundedMemory& resources, std::uint64_t languages, LCID language,
                    DWORD& size, void*& data) {
  const auto* found = FirstEntry(resources, languages, [&](const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry) {
    return (entry.Name & 0xFFFF) == (language & 0xFFFF);
  });
  if (!found) return false;
  const auto item = resources.Read<IMAGE_RESOURCE_DATA_ENTRY>(found->OffsetToData & ~kHighBit, "a resource data entry");
  data = image.Bytes(item.OffsetToData, item.Size, "a resource");
  size = item.Size;
  return true;
}

}  // namespace

std::array<LCID, 5> ResourceLanguageOrder() {
  return {GetThreadLocale(), GetSystemDefaultLCID(), GetUserDefaultLCID(), 0, 1033};
}

bool FindModuleResource(HINSTANCE instance, LPCSTR type, LPCSTR name, DWORD& size, void*& data) {
  try {
    const std::optional<TBoundedMemory> image = ImageAt(instance);
    if (!image) return false;
    const IMAGE_DATA_DIRECTORY directory = TPeHeaders::Read(*image).Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    if (directory.VirtualAddress == 0) return false;
    const TBoundedMemory resources(image->Bytes(directory.VirtualAddress, 0, "the resource directory"),
                                   image->Size() - directory.VirtualAddress);
    const auto names = FindChild(resources, 0, type);
    const auto languages = names ? FindChild(resources, *names, name) : std::nullopt;
    if (!languages) return false;
    for (LCID language : ResourceLanguageOrder()) {
      if (FindInLanguage(*image, resources, *languages, language, size, data)) return true;
    }
  } catch (const ELoaderError&) {
    // Damaged tables hold no resources.
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
  if (size < kVersionHeaderSize) return 0;
  // The key's padding comes before the fixed information: skip zero words.
  std::size_t at = kVersionHeaderSize;
  while (at + sizeof(WORD) <= size && bytes[at] == 0 && bytes[at + 1] == 0) at += sizeof(WORD);
  if (at + sizeof(VS_FIXEDFILEINFO) > size) return 0;
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, bytes + at, sizeof fixed);
  return PackVersion(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
}

}  // namespace vell::player
