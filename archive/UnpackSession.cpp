// One extraction call: selection by pattern or index, the key check of
// encrypted entries, decoding by method, and the CRC / authentication
// verdict with its events.
#include "UnpackSession.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "ByteOrder.h"
#include "UnpackPattern.h"
#include "codec/Explode.h"
#include "codec/RawInflate.h"
#include "codec/Unreduce.h"
#include "codec/Unshrink.h"

namespace {

constexpr int kUnknownMethodMessageId = 197;
constexpr const char* kUnknownMethodText = "Unknown Compression Method";
constexpr const char* kUnknownMethodCaption = "Zip Error";
constexpr const char* kInflateErrorText = "error";

enum TMethod : std::uint16_t {
  mStored = 0,
  mShrunk = 1,
  mReducedFirst = 2,
  mReducedLast = 5,
  mImploded = 6,
  mDeflated = 8,
};

// How large an empty target may be made before the first write. A memory
// stream then grows only once; but the announced size is only a claim, so
// the reservation never exceeds what the entry's bytes actually present in the
// archive could decode to (deflate expands at most 1032-fold). Other methods
// simply grow the stream as bytes arrive.
std::uint64_t UpFrontSize(std::uint16_t method, std::uint64_t announced, std::uint64_t compressedPresent) {
  constexpr std::uint64_t kMaxDeflateExpansion = 1032;
  std::uint64_t bound = 0;
  if (method == mStored) {
    bound = compressedPresent;
  } else if (method == mDeflated) {
    bound = compressedPresent > std::numeric_limits<std::uint64_t>::max() / kMaxDeflateExpansion
                ? std::numeric_limits<std::uint64_t>::max()
                : compressedPresent * kMaxDeflateExpansion;
  }
  return std::min(announced, bound);
}

// About how many bytes an entry takes from its local header to the end of
// its data, as its central record tells; the local header may differ, and
// then only costs a further read. A small entry is read in one go without
// a whole buffer's worth of read-ahead.
std::size_t ExpectedEntrySpan(const TZipHeaderInfo& entry) {
  constexpr std::uint64_t kSlack = 64;  // local extra fields are often a little longer
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
  const std::uint64_t span = ZipRecordSizes::LocalHeader + entry.FileNameLength + entry.ExtraFieldLength +
                             std::min(entry.EffectiveCompressedSize(), kMost) + kSlack;
  return static_cast<std::size_t>(std::min(span, kMost));
}

int PercentOf(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  const double percent = std::round(100.0 * static_cast<double>(done) / static_cast<double>(total));
  return static_cast<int>(std::min(100.0, percent));
}

}  // namespace

TUnpackSession::TUnpackSession(TZipReader& reader, TStream& target)
    : r_(reader),
      target_(target),
      directory_(reader.directory_),
      stream_(std::move(reader.archive_)),
      parts_(reader.PartSet()),
      disk_(reader.currentDisk_) {
  // Two views of one directory differ only when a sort mode was chosen.
  const bool physicalOrder = MultiPart() && directory_->View != directory_->Primary.get();
  list_ = physicalOrder ? directory_->Primary.get() : directory_->View;
  if (physicalOrder) {
    const TSortedZip& view = *directory_->View;
    viewIndexOf_.assign(static_cast<std::size_t>(list_->Count()), -1);
    for (int v = 0; v < view.Count(); ++v) {
      const TZipHeaderInfo* entry = view.Get(v);
      int at = list_->IndexOfLocation(entry->EffectiveDiskStart(), entry->EffectiveLocalHeaderOffset());
      if (at < 0 || list_->Get(at) != entry) at = list_->IndexOfItem(entry);
      if (at >= 0) viewIndexOf_[static_cast<std::size_t>(at)] = v;
    }
  }
}

TUnpackSession::~TUnpackSession() {
  if (SameDirectoryAsReader() && !r_.archive_ && stream_) {
    r_.archive_ = std::move(stream_);
    r_.currentDisk_ = disk_;
  }
}

void TUnpackSession::Yield() {
  if (r_.doProcessMessages_) r_.YieldToMessages();
}

std::size_t TUnpackSession::ReadArchive(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = stream_->Read(out, count);
  while (done < count && MultiPart() && disk_ + 1 < parts_.Disks) {
    SwitchToPart(disk_ + 2);
    done += stream_->Read(out + done, count - done);
  }
  return done;
}

void TUnpackSession::SwitchToPart(int partNumber) {
  stream_.reset();
  std::string name;
  stream_ = r_.OpenPart(parts_, partNumber, name);
  disk_ = partNumber - 1;
  parts_.Name = name;
  // The part read last becomes the reader's name, as when the reader itself
  // switches; unless a handler has given the reader something else to read.
  if (SameDirectoryAsReader()) {
    r_.archive_.reset();
    std::int64_t time = 0;
    r_.ArchiveFileTime(name, time);
    r_.fileTimeAtLoad_ = time;
    r_.zipName_ = name;
    r_.currentDisk_ = disk_;
  }
}

void TUnpackSession::Progress(std::uint64_t entryDone, std::uint64_t entrySize, std::size_t length) {
  totalDone_ += static_cast<std::int64_t>(length);
  if (r_.OnFilePercentDone) r_.OnFilePercentDone(&r_, PercentOf(entryDone, entrySize));
  if (r_.OnTotalPercentDone)
    r_.OnTotalPercentDone(&r_, PercentOf(static_cast<std::uint64_t>(std::max<std::int64_t>(totalDone_, 0)),
                                         static_cast<std::uint64_t>(std::max<std::int64_t>(totalSize_, 0))));
}

int TUnpackSession::Run(const std::vector<std::string>& patterns, const std::vector<int>& wanted) {
  std::vector<int> inList = wanted;
  if (!viewIndexOf_.empty()) {
    // Entries asked for by view index are found again in physical order.
    inList.clear();
    for (std::size_t at = 0; at < viewIndexOf_.size(); ++at)
      if (std::binary_search(wanted.begin(), wanted.end(), viewIndexOf_[at])) inList.push_back(static_cast<int>(at));
  }
  const int selected = Select(patterns, inList);
  bool stopNow = false;
  if (r_.OnStartUnZipInfo) r_.OnStartUnZipInfo(&r_, selected, totalSize_, stopNow);
  if (!stopNow && selected > 0) {
    for (const int i : selection_) {
      while (DecodeEntry(i)) {
      }
    }
  }
  return succeeded_;
}

int TUnpackSession::Select(const std::vector<std::string>& patterns, const std::vector<int>& wanted) {
  selection_.clear();
  const int count = list_->Count();
  std::uint32_t walked = 0;
  if (!wanted.empty()) {
    r_.YieldPerBlock(walked);
    selection_ = wanted;
  } else {
    std::vector<std::string> folded;
    for (const auto& p : patterns) folded.push_back(r_.platform_.AnsiLowerCase(p));
    const bool plainNames = !r_.doAll_ && std::none_of(folded.begin(), folded.end(), [](const std::string& p) {
      return p.find_first_of("?*<") != std::string::npos;
    });
    if (plainNames) {
      // Plain names are found through the index, in the order a walk finds them.
      r_.YieldPerBlock(walked);
      for (const auto& name : folded) directory_->NameIndex(*list_).AppendFolded(name, selection_);
      if (folded.size() > 1) {
        std::sort(selection_.begin(), selection_.end());
        selection_.erase(std::unique(selection_.begin(), selection_.end()), selection_.end());
      }
    } else {
      std::vector<TWildcardPattern> compiled;
      for (const auto& p : folded) compiled.emplace_back(p);
      for (int i = 0; i < count; ++i) {
        r_.YieldPerBlock(walked);
        const TZipHeaderInfo& entry = *list_->Get(i);
        if (r_.doAll_ || std::any_of(compiled.begin(), compiled.end(),
                                     [&, name = std::string()](const TWildcardPattern& pattern) mutable {
                                       if (!pattern.CouldMatchLength(entry.Directory.size() + entry.FileName.size()))
                                         return false;
                                       if (name.empty()) name = r_.platform_.AnsiLowerCase(entry.FullName());
                                       return pattern.Matches(name);
                                     }))
          selection_.push_back(i);
      }
    }
  }
  // Folders come out only when folders are being made.
  if (!r_.recreateDirs_)
    selection_.erase(std::remove_if(selection_.begin(), selection_.end(),
                                    [&](int i) { return list_->Get(i)->FileName.empty(); }),
                     selection_.end());
  // The marks describe the reader's directory; a session left with an older
  // one (a handler gave the reader another) marks nothing it could outlive.
  const bool mark = SameDirectoryAsReader();
  if (mark) {
    for (TZipHeaderInfo* entry : r_.markedForExtract_) entry->MatchedForExtract = false;
    r_.markedForExtract_.clear();
  }
  for (const int i : selection_) {
    TZipHeaderInfo& entry = *list_->Get(i);
    if (mark) {
      entry.MatchedForExtract = true;
      r_.markedForExtract_.push_back(&entry);
    }
    totalSize_ += static_cast<std::int64_t>(entry.EffectiveUncompressedSize());
  }
  selected_ = static_cast<int>(selection_.size());
  return selected_;
}

std::size_t TUnpackSession::ReadExactly(void* buffer, std::size_t count) {
  const std::size_t got = ReadArchive(buffer, count);
  if (got < count) throw EFatalUnzipError(ZipMessages::PrematureEnd);
  return got;
}

std::uint8_t* TUnpackSession::InputBuffer(std::int64_t remaining) {
  const auto needed = static_cast<std::size_t>(
      std::clamp<std::int64_t>(remaining, 1, static_cast<std::int64_t>(TEntryInput::BlockSize)));
  if (needed > inputSize_) {
    input_.reset(new std::uint8_t[needed]);
    inputSize_ = needed;
  }
  return input_.get();
}

bool TUnpackSession::AskForNewPassword(int index) {
  if (!r_.OnBadPassword) return false;
  std::string newPassword = r_.password_;
  r_.OnBadPassword(&r_, index, newPassword);
  if (newPassword == r_.password_) return false;
  r_.password_ = newPassword;
  return true;
}

bool TUnpackSession::EstablishTraditionalKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                                             TEntryDecryption& decryption) {
  // With a data descriptor the CRC was not known when the header was written,
  // so the writer checks against the modification time instead.
  const auto check =
      static_cast<std::uint8_t>(entry.HasDataDescriptor() ? entry.ModifDateTime >> 8 : entry.CRC32 >> 24);
  for (;;) {
    if (!r_.password_.empty()) {
      stream_->Seek(static_cast<std::int64_t>(dataStart), TSeekOrigin::soBeginning);
      std::uint8_t header[vell::crypto::TraditionalCipher::kHeaderSize];
      ReadExactly(header, sizeof header);
      auto cipher = std::make_unique<vell::crypto::TraditionalCipher>(r_.password_);
      cipher->Decrypt(header, sizeof header);
      if (header[sizeof header - 1] == check) {
        decryption.traditional = std::move(cipher);
        return true;
      }
    }
    if (!AskForNewPassword(index)) return false;
  }
}

bool TUnpackSession::EstablishAesKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                                     TEntryDecryption& decryption) {
  using vell::crypto::WinZipAesDecryptor;
  const std::size_t saltLength = WinZipAesDecryptor::SaltLength(entry.AesStrength);
  for (;;) {
    if (!r_.password_.empty() && saltLength) {
      stream_->Seek(static_cast<std::int64_t>(dataStart), TSeekOrigin::soBeginning);
      std::uint8_t header[16 + WinZipAesDecryptor::kVerifierSize];
      ReadExactly(header, saltLength + WinZipAesDecryptor::kVerifierSize);
      auto aes = WinZipAesDecryptor::Open(r_.password_, entry.AesStrength, {header, saltLength},
                                          {header + saltLength, WinZipAesDecryptor::kVerifierSize});
      if (aes) {
        decryption.aes = std::move(aes);
        return true;
      }
    }
    if (!AskForNewPassword(index)) return false;
  }
}

bool TUnpackSession::DecodeEntry(int listIndex) {
  using vell::crypto::WinZipAesDecryptor;
  entry_ = *list_->Get(listIndex);
  // Events name the entry as the reader's view counts, whatever order the session walks.
  const int index = viewIndexOf_.empty() ? listIndex : viewIndexOf_[static_cast<std::size_t>(listIndex)];
  TZipHeaderInfo& entry = entry_;

  std::uint64_t dataStart = entry.EffectiveLocalHeaderOffset() + ZipRecordSizes::LocalHeader;
  if (!entry.FileName.empty()) {
    if (MultiPart() && entry.EffectiveDiskStart() != static_cast<std::uint32_t>(disk_))
      SwitchToPart(static_cast<int>(entry.EffectiveDiskStart()) + 1);
    stream_->Seek(static_cast<std::int64_t>(entry.EffectiveLocalHeaderOffset()), TSeekOrigin::soBeginning);
    // One entry alone needs no read-ahead past its end; a pass over many
    // finds the next ones in it.
    if (selection_.size() == 1) stream_->LimitNextFill(ExpectedEntrySpan(entry));
    std::uint8_t local[ZipRecordSizes::LocalHeader];
    ReadExactly(local, sizeof local);
    stream_->LimitNextFill(0);  // the header came from read-ahead already there
    entry.LocalExtraFieldLength = GetU16(local + 28);
    dataStart += GetU16(local + 26) + entry.LocalExtraFieldLength;
  }

  std::string noName;
  bool skip = false;
  if (r_.OnStartUnZip) r_.OnStartUnZip(&r_, index, noName, skip);
  if (skip) return false;

  const bool encrypted = entry.IsEncrypted();
  const bool aesEntry = encrypted && entry.AesStrength != 0;
  TEntryDecryption decryption;
  std::int64_t remaining = static_cast<std::int64_t>(entry.EffectiveCompressedSize());
  std::uint64_t headerSize = 0;
  if (encrypted) {
    const bool established = aesEntry ? EstablishAesKey(entry, index, dataStart, decryption)
                                      : EstablishTraditionalKey(entry, index, dataStart, decryption);
    if (!established) {
      bool retry = false;
      if (r_.OnSkippingFile) r_.OnSkippingFile(&r_, TSkipReason::srBadPassword, entry.FullName(), index, retry);
      totalSize_ -= static_cast<std::int64_t>(entry.EffectiveCompressedSize());
      --selected_;
      return false;
    }
    if (aesEntry) {
      headerSize = WinZipAesDecryptor::SaltLength(entry.AesStrength) + WinZipAesDecryptor::kVerifierSize;
      remaining -= static_cast<std::int64_t>(headerSize + WinZipAesDecryptor::kAuthCodeSize);
    } else {
      headerSize = vell::crypto::TraditionalCipher::kHeaderSize;
      remaining -= static_cast<std::int64_t>(headerSize);
    }
    remaining = std::max<std::int64_t>(remaining, 0);
  }

  const std::uint16_t method = entry.EffectiveCompressionMethod();
  const std::uint64_t uncompressed = entry.EffectiveUncompressedSize();
  std::uint64_t present = static_cast<std::uint64_t>(remaining);
  if (!MultiPart()) {
    if (archiveSize_ < 0) archiveSize_ = stream_->Size();  // once per pass: the file is held open
    const std::int64_t afterHeader = archiveSize_ - static_cast<std::int64_t>(dataStart + headerSize);
    present = std::min<std::uint64_t>(present, static_cast<std::uint64_t>(std::max<std::int64_t>(afterHeader, 0)));
  }
  std::uint64_t reserved = 0;
  if (target_.Size() == 0) {
    reserved = UpFrontSize(method, uncompressed, present);
    try {
      if (reserved) target_.SetSize(static_cast<std::int64_t>(reserved));
    } catch (const std::bad_alloc&) {
      // Only a reservation: without it the stream grows as bytes arrive, and
      // an entry that really is too large for memory fails when it gets there.
      target_.SetSize(0);
      reserved = 0;
    }
  }
  target_.SetPosition(0);
  stream_->Seek(static_cast<std::int64_t>(dataStart + headerSize), TSeekOrigin::soBeginning);

  TEntryInput input(*this, InputBuffer(remaining), remaining, decryption);
  TEntryOutput output(*this, target_, uncompressed);
  // A reservation the entry did not fill would read as data.
  auto giveBackReservation = [&] {
    if (reserved > output.Written()) target_.SetSize(static_cast<std::int64_t>(output.Written()));
  };
  bool acceptedWithoutCheck = false;
  bool overran = false;
  try {
    Decode(method, entry, input, output);
  } catch (const EBiggerThanUncompressed&) {
    // Decoding stops at the announced size, however much more the data
    // would give; such an entry is not what its record describes.
    overran = true;
  } catch (const ECanceledUnzipToBuffer&) {
    acceptedWithoutCheck = true;
  } catch (...) {
    giveBackReservation();
    throw;
  }
  giveBackReservation();

  bool authentic = true;
  if (decryption.aes) {
    input.Drain();
    std::uint8_t stored[WinZipAesDecryptor::kAuthCodeSize];
    ReadExactly(stored, sizeof stored);
    const auto computed = decryption.aes->AuthenticationCode();
    authentic = std::equal(computed.begin(), computed.end(), stored);
  }
  const std::uint32_t crc = output.Crc();
  // AE-2 entries carry no CRC (stored as 0): the authentication code alone
  // vouches for them. Any other entry must match its CRC; a stored CRC of 0 is
  // no licence to skip the check. A CRC that matches the first bytes of an
  // entry that goes on past its size vouches for nothing.
  const bool crcOk = !overran && (crc == entry.CRC32 || (decryption.aes && entry.CRC32 == 0));
  if (acceptedWithoutCheck || (authentic && crcOk)) {
    if (r_.OnEndUnZip) r_.OnEndUnZip(&r_, index, std::string());
    ++succeeded_;
    return false;
  }
  if (encrypted && AskForNewPassword(index)) return true;
  ReportFailure(entry, index, encrypted, crc);
  --selected_;
  return false;
}

void TUnpackSession::Decode(std::uint16_t method, const TZipHeaderInfo& entry, TEntryInput& input,
                            TEntryOutput& output) {
  const std::uint64_t size = entry.EffectiveUncompressedSize();
  if (entry.EffectiveCompressedSize() == 0 && size == 0) return;  // nothing stored, nothing to decode
  switch (method) {
    case mStored:
      for (auto block = input.NextBlock(); !block.empty(); block = input.NextBlock())
        output.Put(block.data(), block.size());
      return;
    case mDeflated:
      try {
        // Made on the first deflated entry: a stored one never needs it.
        if (!output_) output_.reset(new std::uint8_t[kInflateAreaSize]);
        vell::codec::InflateRaw(input, output, {output_.get(), kInflateAreaSize}, TEntryInput::BlockSize);
      } catch (const vell::codec::InflateError&) {
        throw EZCompressionError(kInflateErrorText);
      }
      return;
    case mShrunk:
      vell::codec::Unshrink(input, output);
      return;
    case mImploded:
      vell::codec::Explode(input, output, entry.Flag, size);
      return;
    default:
      if (method >= mReducedFirst && method <= mReducedLast) {
        vell::codec::Unreduce(input, output, method - mReducedFirst + 1, size);
        return;
      }
      r_.ShowZipMessage(kUnknownMethodMessageId, kUnknownMethodText, kUnknownMethodCaption, MessageBoxFlags::Ok);
      return;
  }
}

void TUnpackSession::ReportFailure(const TZipHeaderInfo& entry, int index, bool encrypted, std::uint32_t crc) {
  if (encrypted) {
    bool retry = false;
    if (r_.OnSkippingFile) r_.OnSkippingFile(&r_, TSkipReason::srBadPassword, entry.FullName(), index, retry);
  } else if (r_.OnBadCRC) {
    r_.OnBadCRC(&r_, crc, entry.CRC32, index);
  }
}
