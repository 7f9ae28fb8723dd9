#include "BookSession.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "BookCheck.h"
#include "BoundedStream.h"
#include "ULog.h"
#include "ZipReader.h"

namespace {

// Only the archive reader knows why an entry failed: its reports go to the
// log beside the entry's name, ahead of the line of whoever declines it.
void LogEntryFailures(TZipReader& reader) {
  reader.OnBadCRC = [](TZipReader* sender, std::uint32_t computed, std::uint32_t stored, int index) {
    char crcs[64];
    std::snprintf(crcs, sizeof crcs, "computed %08X, stored %08X", static_cast<unsigned>(computed),
                  static_cast<unsigned>(stored));
    const std::string name = index >= 0 && index < sender->EntryCount() ? sender->EntryFullName(index) : "?";
    TLog4DP::Log("Entry [" + name + "] fails its CRC check: " + crcs);
  };
  reader.OnSkippingFile = [](TZipReader*, TSkipReason reason, const std::string& name, int, bool&) {
    if (reason == TSkipReason::srBadPassword)
      TLog4DP::Log("Entry [" + name + "] fails its password or authentication check");
  };
}

int DeclinedAnswer(unsigned flags) {
  return (flags & 0xF) == MessageBoxFlags::OkCancel ? MessageBoxFlags::IdCancel : MessageBoxFlags::IdOk;
}

}  // namespace

TBookSession::TBookSession(TBookResume::TLoad loadPages, TBookResume::TSave savePages)
    : Platform(&DefaultArchivePlatform()),
      resume_(std::move(loadPages), std::move(savePages)),
      self_(std::make_shared<TBookSession*>(this)) {}

TBookSession::~TBookSession() {
  *self_ = nullptr;
  Retire();
}

TBookSession::TGeneration TBookSession::Begin(const std::string& path) {
  Retire();
  auto reader = std::make_shared<TZipReader>(*Platform);
  LogEntryFailures(*reader);
  reader->OnHandleMessage = [self = self_](TZipReader*, int, const std::string& text, const std::string& caption,
                                           unsigned flags, int& result) {
    result = *self ? (*self)->OnArchiveMessage(text, caption, flags) : DeclinedAnswer(flags);
  };
  reader->SetZipName(path);
  reader_ = std::move(reader);
  return ++generation_;
}

void TBookSession::End() {
  Retire();
  ++generation_;
}

void TBookSession::Retire() {
  if (!reader_) return;
  // An extraction that still runs in an outer frame stops at its next yield;
  // its frame holds the reader until then.
  if (reader_->Busy()) reader_->SetCancelRequested(true);
  reader_.reset();
}

int TBookSession::FindEntry(const std::string& name) const { return FindBookEntry(reader_.get(), name); }

std::uint64_t TBookSession::DeclaredSize(int entry) const {
  return reader_ ? reader_->Entry(entry - 1).EffectiveUncompressedSize() : 0;
}

TEntryOutcome TBookSession::Extract(const std::string& name, TStream& stream, std::uint64_t bound) {
  const std::shared_ptr<TZipReader> reader = reader_;
  const int entry = FindEntry(name);
  if (entry == 0) return TEntryOutcome::Missing;
  const std::uint64_t declared = DeclaredSize(entry);
  if (declared > bound) {
    TLog4DP::Log("Refused [" + name + "]: it declares " + std::to_string(declared) + " bytes, above the bound of " +
                 std::to_string(bound));
    return TEntryOutcome::Refused;
  }
  const TGeneration generation = generation_;
  int sound = 0;
  try {
    // Bytes past the declared size are damage whatever the bound: they stop
    // there, so a size an entry lies about costs no more than an honest one.
    TBoundedStream bounded(stream, declared);
    // The entry found, by its index: a name from the book is no pattern.
    sound = reader->UnpackEntryToStream(&bounded, entry - 1);
  } catch (const EEntryTooLarge& error) {
    TLog4DP::Log("Refused [" + name + "]: its bytes run past its declared size, " + error.what());
    return IsCurrent(generation) ? TEntryOutcome::Refused : TEntryOutcome::Superseded;
  } catch (...) {
    if (!IsCurrent(generation)) return TEntryOutcome::Superseded;
    throw;
  }
  if (!IsCurrent(generation)) return TEntryOutcome::Superseded;
  return sound > 0 ? TEntryOutcome::Sound : TEntryOutcome::Damaged;
}

int TBookSession::OnArchiveMessage(const std::string& text, const std::string& caption, unsigned flags) {
  if (answering_ > 0) {
    TLog4DP::Log("Archive message during a request, declined: " + text);
    return DeclinedAnswer(flags);
  }
  if (!ShowMessage) {
    TLog4DP::Log("Archive message, declined: " + text);
    return DeclinedAnswer(flags);
  }
  return ShowMessage(text, caption, flags);
}
