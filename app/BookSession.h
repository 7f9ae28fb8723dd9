// The open book: its archive reader, where the reader stopped in it, and the
// generation that tells every step of an open or an answer whether the book
// it started with is still the one that is open.
//
// The archive reader yields to the message loop while it reads, and there a
// click or a key may close the book or open another one. Whoever yields
// therefore remembers the generation before and asks IsCurrent after; the
// reader itself is shared with every extraction that runs, so a book retired
// meanwhile is freed when its last extraction has returned, never under it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "BookResume.h"
#include "Platform.h"
#include "Stream.h"

class TZipReader;

enum class TEntryOutcome {
  Sound,       // extracted whole, its check passed
  Missing,     // no book, or no entry of that name
  Refused,     // larger than the caller's bound (declared, or as its bytes came)
  Damaged,     // its bytes fail their check, or the archive could not give them
  Superseded,  // the book was closed or replaced while it was extracted
};

class TBookSession {
public:
  using TGeneration = std::uint64_t;
  // A message of the archive reader that is for the person (an unknown
  // compression method, the next disk of a set): their answer.
  using TShowMessage = std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;

  TBookSession(TBookResume::TLoad loadPages, TBookResume::TSave savePages);
  ~TBookSession();
  TBookSession(const TBookSession&) = delete;
  TBookSession& operator=(const TBookSession&) = delete;

  // Retires the open book, if any, and makes a new reader for `path` the
  // open one; its directory is not read yet.
  TGeneration Begin(const std::string& path);
  // Retires the open book: its running extraction stops at its next yield.
  void End();
  bool IsCurrent(TGeneration generation) const { return generation == generation_; }
  TGeneration Generation() const { return generation_; }

  // The open book's reader, shared for as long as the caller yields with it.
  std::shared_ptr<TZipReader> Reader() const { return reader_; }
  // 1-based index of the entry of that book name, 0 when none or no book.
  int FindEntry(const std::string& name) const;
  // The declared uncompressed size of an entry FindEntry found.
  std::uint64_t DeclaredSize(int entry) const;
  // The entry's bytes into `stream`, refused above `bound` bytes: by its
  // declared size before anything is read, and by its bytes as they come.
  // Refusals and damage are logged with the entry's name.
  TEntryOutcome Extract(const std::string& name, TStream& stream, std::uint64_t bound);

  TBookResume& Resume() { return resume_; }
  // True while a resource answer runs (a TAnswering lives).
  bool Answering() const { return answering_ > 0; }

  // Where the archive's messages go outside a resource answer. Unset, they
  // are answered as declined.
  TShowMessage ShowMessage;
  // The platform the readers run on; tests give one whose yield acts.
  IArchivePlatform* Platform;

  // While one lives, the archive's messages go to the log and are declined:
  // a modal box inside a player's request would run a message loop inside
  // the player's own call.
  class TAnswering {
  public:
    explicit TAnswering(TBookSession& session) : session_(session) { ++session_.answering_; }
    ~TAnswering() { --session_.answering_; }
    TAnswering(const TAnswering&) = delete;
    TAnswering& operator=(const TAnswering&) = delete;

  private:
    TBookSession& session_;
  };

private:
  void Retire();
  int OnArchiveMessage(const std::string& text, const std::string& caption, unsigned flags);

  std::shared_ptr<TZipReader> reader_;
  TGeneration generation_ = 0;
  int answering_ = 0;
  TBookResume resume_;
  // Cleared when the session goes, so that a reader still running in an
  // outer frame never calls back into a freed session.
  std::shared_ptr<TBookSession*> self_;
};
