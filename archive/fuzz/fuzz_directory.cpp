// libFuzzer target over directory reading: whatever the bytes, reading the
// directory ends in entries or in one of the reader's exceptions.
//
// The first input byte chooses the settings (incomplete mode, sort mode,
// name conversion); the rest is the archive file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BookCheck.h"
#include "FuzzPlatform.h"
#include "ZipReader.h"

using fuzzing::kArchiveName;
using fuzzing::TFuzzPlatform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  TFuzzPlatform platform(data + 1, size - 1);

  TZipReader reader(platform);
  reader.SetIncompleteZipMode(static_cast<TIncompleteZipMode>((options & 3) % 3));
  reader.SetSortMode(static_cast<TZipSortMode>((options >> 2) & 7));
  reader.SetOEMConvert(static_cast<TOEMConvert>(((options >> 5) & 3) % 3));
  reader.SetKeepZipOpen((options & 0x80) != 0);
  reader.SetZipName(kArchiveName);
  try {
    reader.ReadZipDirectory();
    for (int i = 0; i < reader.EntryCount(); ++i) {
      (void)reader.EntryFullName(i);
      (void)reader.EntryComment(i);
    }
    (void)reader.ArchiveComment();
    (void)FindBookEntry(&reader, "./files/book.bin");
    reader.ReadZipDirectory();  // unchanged: no reload
  } catch (const Exception&) {
    // The reader's own failures are expected answers to bad input.
  }
  return 0;
}
