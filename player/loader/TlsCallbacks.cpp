#include "player/loader/TlsCallbacks.h"

namespace vell::player {

namespace {

template <typename Directory>
std::vector<PIMAGE_TLS_CALLBACK> ReadTlsCallbacks(const TBoundedMemory& image, const IMAGE_DATA_DIRECTORY& where,
                                                  unsigned pointerSize) {
  const auto tls = image.Read<Directory>(where.VirtualAddress, "the TLS directory");
  std::vector<PIMAGE_TLS_CALLBACK> callbacks;
  if (tls.AddressOfCallBacks == 0) return callbacks;
  // Addresses in the TLS directory are absolute and already relocated.
  const auto base = reinterpret_cast<std::uintptr_t>(image.Begin());
  const std::uint64_t list = static_cast<std::uint64_t>(tls.AddressOfCallBacks) - base;
  for (std::uint64_t at = list;; at += pointerSize) {
    const auto callback = image.Read<std::uintptr_t>(at, "the TLS callback list");
    if (callback == 0) break;
    callbacks.push_back(reinterpret_cast<PIMAGE_TLS_CALLBACK>(image.Bytes(callback - base, 1, "a TLS callback")));
  }
  return callbacks;
}

}  // namespace

std::vector<PIMAGE_TLS_CALLBACK> TlsCallbacks(const TBoundedMemory& image, const TPeHeaders& headers) {
  const IMAGE_DATA_DIRECTORY directory = headers.Directory(IMAGE_DIRECTORY_ENTRY_TLS);
  if (directory.VirtualAddress == 0) return {};
  return headers.Is64 ? ReadTlsCallbacks<IMAGE_TLS_DIRECTORY64>(image, directory, 8)
                      : ReadTlsCallbacks<IMAGE_TLS_DIRECTORY32>(image, directory, 4);
}

}  // namespace vell::player
