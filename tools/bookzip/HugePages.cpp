// A directory of many entries is as many small records, and the first touch
// of each fresh page of them costs a page fault: on Linux that was most of
// the time of a whole-archive pass over 100,000 entries. glibc backs its heap
// with huge pages when its "hugetlb" tunable asks for it, and it reads its
// tunables only when a program starts, so the tool starts itself once more
// with the tunable added. Elsewhere, and under a sanitizer's own allocator,
// nothing changes.
#include "HugePages.h"

#include <cstdlib>  // also says which C library this is
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELL_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELL_OWN_ALLOCATOR 1
#endif

#if defined(__linux__) && defined(__GLIBC__) && !defined(VELL_OWN_ALLOCATOR)
#include <unistd.h>

void PreferHugePages(char** argv) {
  constexpr const char* kTunable = "glibc.malloc.hugetlb=1";
  const char* current = std::getenv("GLIBC_TUNABLES");
  const std::string tunables = current ? current : "";
  // Set already, by us or by whoever started the tool: their choice stands.
  if (tunables.find("glibc.malloc.hugetlb") != std::string::npos) return;
  const std::string value = tunables.empty() ? kTunable : tunables + ":" + kTunable;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Not started again: go on as we are.
}
#else
void PreferHugePages(char**) {}
#endif
