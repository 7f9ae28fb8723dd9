// libFuzzer target over extraction: whatever the archive bytes, extracting
// its entries ends in counts or in one of the reader's exceptions, within
// bounded time and memory.
//
// The first input byte chooses the settings (password, incomplete mode, how
// entries are named, a target that already holds data, a password offered
// on demand, every entry by index into a checksum sink); the rest is the
// archive file.
#include <algorithm>
#include <cstdint>
#include <string>

#include "ChecksumStream.h"
#include "FuzzPlatform.h"
#include "ZipReader.h"

using fuzzing::kArchiveName;
using fuzzing::TFuzzPlatform;

namespace {

// The last is longer than any AES key derivation accepts.
const std::string kPasswords[] = {"", "secret", "Se cret-7", std::string(140, 'p')};

constexpr int kMaxEntriesTried = 32;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  TFuzzPlatform platform(data + 1, size - 1);

  TZipReader reader(platform);
  reader.SetPassword(kPasswords[options & 3]);
  if (options & 0x04) reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  if (options & 0x20) {
    bool offered = false;  // one new password, then give up
    reader.OnBadPassword = [offered](TZipReader*, int, std::string& password) mutable {
      if (!offered) password = "secret";
      offered = true;
    };
  }
  reader.SetZipName(kArchiveName);
  try {
    reader.ReadZipDirectory();
    const int entries = std::min(reader.EntryCount(), kMaxEntriesTried);
    if (options & 0x80) {
      // Every entry by index in one pass, as the archive test does it.
      TChecksumStream sink;
      reader.UnpackEntriesToStream(&sink, 0, reader.EntryCount());
    } else if (options & 0x08) {
      TMemoryStream stream;
      reader.UnpackToStream(&stream, "*");
    } else {
      for (int i = 0; i < entries; ++i) {
        TMemoryStream stream;
        if (options & 0x10) stream.Write("already here", 12);
        try {
          reader.UnpackToStream(&stream, reader.EntryFullName(i));
        } catch (const Exception&) {
          // A damaged entry; the reader must stay usable for the next one.
        }
      }
    }
  } catch (const Exception&) {
    // The reader's own failures are expected answers to bad input.
  }
  return 0;
}
