// Everything one extraction call works on: the directory it started with,
// its own stream over the archive file (and its own part of a multi-part
// set), the target, the buffers, the counts and the entry being decoded.
// The reader yields to the message loop between blocks, and a handler run
// there may extract again from the same reader, set another name or read
// the directory again: none of that reaches into a running session.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BufferStream.h"
#include "LoadedDirectory.h"
#include "Stream.h"
#include "UnpackEntryIo.h"
#include "ZipReader.h"

class TUnpackSession {
public:
  // Inflate's output area: larger than the 32 KiB blocks written to the
  // target, so that zlib does not copy each block into its window as well
  // (about a tenth of the inflate time); still well inside 1 MiB of working memory.
  static constexpr std::size_t kInflateAreaSize = 256 * 1024;

  // Takes over the archive stream the reader has just opened (with its
  // directory loaded); the reader opens another for any operation meanwhile.
  TUnpackSession(TZipReader& reader, TStream& target);
  // Hands the stream back to the reader when the reader still reads the same
  // directory and has none of its own; otherwise closes it.
  ~TUnpackSession();
  TUnpackSession(const TUnpackSession&) = delete;
  TUnpackSession& operator=(const TUnpackSession&) = delete;

  // Selects by patterns ('\' separators), or by view indices (ascending)
  // when wanted is not empty, extracts what was chosen and returns how many
  // entries came out with a good CRC.
  int Run(const std::vector<std::string>& patterns, const std::vector<int>& wanted);
  int Succeeded() const { return succeeded_; }

  // For the two ends of an entry's decoding.
  TZipReader& Reader() { return r_; }
  void Yield();
  // Reads count bytes of the archive; in a multi-part set a read that runs
  // off the end of a part continues in the next part.
  std::size_t ReadArchive(void* buffer, std::size_t count);
  // Counts bytes written and reports the percentages.
  void Progress(std::uint64_t entryDone, std::uint64_t entrySize, std::size_t length);

private:
  bool MultiPart() const { return parts_.Mode != TZipMultiDiskMode::mdNone; }
  bool SameDirectoryAsReader() const { return r_.directory_ == directory_; }
  void SwitchToPart(int partNumber);  // 1-based
  int Select(const std::vector<std::string>& patterns, const std::vector<int>& wanted);
  // Decodes list entry listIndex; true when it must be tried again (a new password).
  bool DecodeEntry(int listIndex);
  std::size_t ReadExactly(void* buffer, std::size_t count);
  // Room for one block of an entry with remaining bytes of data: a pass over
  // small entries never asks the allocator for a whole block.
  std::uint8_t* InputBuffer(std::int64_t remaining);
  bool AskForNewPassword(int index);
  bool EstablishTraditionalKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                               TEntryDecryption& decryption);
  bool EstablishAesKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart, TEntryDecryption& decryption);
  void Decode(std::uint16_t method, const TZipHeaderInfo& entry, TEntryInput& input, TEntryOutput& output);
  void ReportFailure(const TZipHeaderInfo& entry, int index, bool encrypted, std::uint32_t crc);

  TZipReader& r_;
  TStream& target_;
  std::shared_ptr<TLoadedDirectory> directory_;
  // The view, or for a multi-part set the physical order, so that parts are
  // not swapped back and forth; entry indices in events count in it.
  const TSortedZip* list_ = nullptr;
  std::vector<int> viewIndexOf_;  // by list index, when the list is not the view
  std::unique_ptr<TLFNFileStream> stream_;
  TZipReader::TPartSet parts_;
  int disk_ = 0;  // the part stream_ reads, 0-based
  TZipHeaderInfo entry_;  // the working copy: decryption may adjust its sizes, never the directory's
  std::unique_ptr<std::uint8_t[]> input_;
  std::size_t inputSize_ = 0;
  std::unique_ptr<std::uint8_t[]> output_;
  std::vector<int> selection_;
  std::int64_t archiveSize_ = -1;
  std::int64_t totalSize_ = 0;
  std::int64_t totalDone_ = 0;
  int selected_ = 0;
  int succeeded_ = 0;
};
