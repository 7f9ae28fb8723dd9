// libFuzzer target over the page list: whatever the document, the parse ends
// in a list within its bounds or in none, in time linear in the document.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "PageList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  const auto list = pageplayer::ParsePageList(document);
  if (!list) return 0;
  if (list->pages.empty() || list->pages.size() > pageplayer::kMostPages) __builtin_trap();
  for (const std::string& page : list->pages) {
    if (page.empty()) __builtin_trap();
  }
  return 0;
}
