// The open book as a session: what arrives from the archive's yield while an
// entry is extracted, the bounds on what an entry may make us hold, and the
// archive's messages inside and outside a request. Natively under the
// sanitizers, a retired reader used after it was freed is a failure here.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "BookSession.h"
#include "BoundedStream.h"
#include "EntryLimits.h"
#include "MemoryPlatform.h"
#include "ZipReader.h"

namespace {

using testsupport::BuildArchive;
using testsupport::DeflatedEntry;
using testsupport::StoredEntry;

// The archive's yield runs what a click or key would run from the message loop.
class TActingPlatform : public testsupport::TMemoryPlatform {
public:
  std::function<void()> OnYield;
  void ProcessMessages() override {
    TMemoryPlatform::ProcessMessages();
    if (OnYield) std::exchange(OnYield, nullptr)();
  }
};

const std::string kPage(100000, 'p');  // a dozen blocks: a dozen yields

class BookSessionTest : public ::testing::Test {
protected:
  BookSessionTest() : session_([] { return TResumePages(); }, [](const TResumePages&) {}) {
    session_.Platform = &platform_;
    platform_.SystemFiles = false;
    platform_.PutFile("first.vlq", BuildArchive({StoredEntry("book.swf", "movie"), StoredEntry("files/page.jpg", kPage),
                                                 StoredEntry("files/other.jpg", "other")}));
    platform_.PutFile("second.vlq", BuildArchive({StoredEntry("book.swf", "second movie")}));
  }

  void Open(const std::string& path) {
    session_.Begin(path);
    session_.Reader()->ReadZipDirectory();
  }

  std::string Text(TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
  }

  TActingPlatform platform_;
  TBookSession session_;
};

TEST_F(BookSessionTest, WhatArrivesDuringAnExtractionEndsItCleanly) {
  struct TCase {
    const char* what;
    std::function<void(TBookSession&)> arrives;
    const char* openAfterwards;  // nullptr: no book
  };
  const TCase cases[] = {
      {"close", [](TBookSession& s) { s.End(); }, nullptr},
      {"open of another book", [](TBookSession& s) { s.Begin("second.vlq"); s.Reader()->ReadZipDirectory(); },
       "second.vlq"},
      {"open of the same book", [](TBookSession& s) { s.Begin("first.vlq"); s.Reader()->ReadZipDirectory(); },
       "first.vlq"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Open("first.vlq");
    const auto generation = session_.Generation();
    platform_.OnYield = [&] { c.arrives(session_); };
    TMemoryStream page;
    EXPECT_EQ(session_.Extract("files/page.jpg", page, EntryLimits::kResourceBytes), TEntryOutcome::Superseded);
    EXPECT_FALSE(session_.IsCurrent(generation));
    if (!c.openAfterwards) {
      EXPECT_EQ(session_.Reader(), nullptr);
      EXPECT_EQ(session_.FindEntry("book.swf"), 0);
      continue;
    }
    ASSERT_NE(session_.Reader(), nullptr);
    EXPECT_EQ(session_.Reader()->ZipName(), c.openAfterwards);
    // The book open now answers whole, unharmed by the extraction it cut short.
    TMemoryStream movie;
    EXPECT_EQ(session_.Extract("book.swf", movie, EntryLimits::kMovieBytes), TEntryOutcome::Sound);
    EXPECT_EQ(Text(movie), c.openAfterwards == std::string("second.vlq") ? "second movie" : "movie");
  }
}

TEST_F(BookSessionTest, AnEntryIsHeldOnlyUpToItsBound) {
  testsupport::TEntryLayout lying = DeflatedEntry("files/lying.jpg", std::string(300000, 'z'));
  lying.UncompressedSize = 1000;  // inflates to 300 times what it declares
  platform_.PutFile("bounds.vlq", BuildArchive({StoredEntry("files/page.jpg", kPage), lying,
                                                DeflatedEntry("files/big.jpg", std::string(2000000, 'b'))}));
  Open("bounds.vlq");
  struct TCase {
    const char* name;
    std::uint64_t bound;
    TEntryOutcome outcome;
    std::int64_t heldAtMost;
  };
  const TCase cases[] = {
      {"files/page.jpg", kPage.size(), TEntryOutcome::Sound, static_cast<std::int64_t>(kPage.size())},
      {"files/page.jpg", kPage.size() - 1, TEntryOutcome::Refused, 0},  // by its declared size, before reading
      {"files/big.jpg", 1 << 20, TEntryOutcome::Refused, 0},
      // Stopped at what it declared, by the archive reader itself before our bound.
      {"files/lying.jpg", 1 << 20, TEntryOutcome::Damaged, 1000},
      {"./files/missing.jpg", 1 << 20, TEntryOutcome::Missing, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " within " + std::to_string(c.bound));
    TMemoryStream stream;
    EXPECT_EQ(session_.Extract(c.name, stream, c.bound), c.outcome);
    EXPECT_LE(stream.Size(), c.heldAtMost);
  }
}

TEST(BoundedStreamTest, BytesPastTheBoundNeverReachTheTarget) {
  TMemoryStream target;
  TBoundedStream bounded(target, 10);
  EXPECT_EQ(bounded.Write("0123456", 7), 7u);
  EXPECT_THROW(bounded.Write("789A", 4), EEntryTooLarge);
  EXPECT_EQ(target.Size(), 7);
  EXPECT_EQ(bounded.Write("789", 3), 3u);  // up to the bound exactly
  EXPECT_THROW(bounded.SetSize(11), EEntryTooLarge);
  // Starting over from the beginning is no growth.
  bounded.Seek(0, TSeekOrigin::soBeginning);
  EXPECT_EQ(bounded.Write("abcdefghij", 10), 10u);
  EXPECT_THROW(bounded.Write("k", 1), EEntryTooLarge);
  EXPECT_EQ(target.Size(), 10);
}

TEST_F(BookSessionTest, ArchiveMessagesReachThePersonOnlyOutsideARequest) {
  testsupport::TEntryLayout unknown = StoredEntry("files/odd.jpg", "odd bytes");
  unknown.Method = 77;
  platform_.PutFile("odd.vlq", BuildArchive({unknown}));
  std::vector<std::string> shown;
  session_.ShowMessage = [&](const std::string& text, const std::string&, unsigned) {
    shown.push_back(text);
    return 1;
  };
  Open("odd.vlq");
  {
    TBookSession::TAnswering answering(session_);
    TMemoryStream stream;
    EXPECT_NE(session_.Extract("files/odd.jpg", stream, 1 << 20), TEntryOutcome::Sound);
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(platform_.Messages, 0);  // not the platform's owner-less box either

  TMemoryStream stream;
  EXPECT_NE(session_.Extract("files/odd.jpg", stream, 1 << 20), TEntryOutcome::Sound);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(platform_.Messages, 0);
}

}  // namespace
