#include "BookResume.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <stdexcept>

namespace {

const TBookIdentity kBook{"C:\\Books\\a.vlq", 100, 5};
const TBookIdentity kOther{"C:\\Books\\b.vlq", 200, 6};

// The remembered pages kept in a string, as the file would keep them.
class BookResumeTest : public ::testing::Test {
protected:
  TBookResume resume_{[this] { return TResumePages::Parse(file_); },
                      [this](const TResumePages& pages) {
                        file_ = pages.Serialize();
                        ++saves_;
                      }};
  std::string file_;
  int saves_ = 0;

  std::optional<int> Stored(const TBookIdentity& book) const { return TResumePages::Parse(file_).PageOf(book); }
  static std::function<std::wstring()> Answer(std::wstring page) {
    return [page] { return page; };
  }
};

TEST_F(BookResumeTest, AReadyBookIsLeftAtItsPageAndTurnedToItOnceWhenItOpensAgain) {
  resume_.BookStarting(kBook);
  EXPECT_EQ(resume_.PlayerReady(), std::nullopt);  // never read before
  resume_.BookLeaving(Answer(L"7"));
  EXPECT_EQ(Stored(kBook), 7);

  resume_.BookStarting(kOther);  // replaced
  EXPECT_EQ(resume_.PlayerReady(), std::nullopt);
  resume_.BookLeaving(Answer(L"3"));
  resume_.BookClosed();

  resume_.BookStarting(kBook);
  EXPECT_EQ(resume_.PlayerReady(), 7);
  EXPECT_EQ(resume_.PlayerReady(), std::nullopt) << "a second ready state must not turn the page back";
  EXPECT_EQ(Stored(kOther), 3);
}

TEST_F(BookResumeTest, NothingIsStoredWithoutAReadyBookAndAPageNumber) {
  const auto refusing = []() -> std::wstring { throw std::runtime_error("no such variable"); };
  struct Case {
    const char* what;
    bool identified, ready, closed;
    std::function<std::wstring()> page;
    std::optional<int> stored;
  } cases[] = {
      {"a page number", true, true, false, Answer(L"12"), 12},
      {"player not ready yet", true, false, false, Answer(L"1"), std::nullopt},
      {"file could not be looked at", false, true, false, Answer(L"4"), std::nullopt},
      {"book already closed", true, true, true, Answer(L"4"), std::nullopt},
      {"player without the variable", true, true, false, refusing, std::nullopt},
      {"empty answer", true, true, false, Answer(L""), std::nullopt},
  };
  for (const Case& c : cases) {
    file_.clear();
    saves_ = 0;
    resume_.BookStarting(c.identified ? std::optional(kBook) : std::nullopt);
    if (c.ready) resume_.PlayerReady();
    if (c.closed) resume_.BookClosed();
    resume_.BookLeaving(c.page);
    EXPECT_EQ(saves_, c.stored ? 1 : 0) << c.what;
    EXPECT_EQ(Stored(kBook), c.stored) << c.what;
  }
}

TEST(BookResume, OnlyPlainPageNumbersAreTakenFromThePlayer) {
  struct Case {
    const wchar_t* answer;
    std::optional<int> page;
  } cases[] = {
      {L"1", 1},           {L"7", 7},          {L"123456789", 123456789}, {L"", std::nullopt},
      {L"0", std::nullopt}, {L"-3", std::nullopt}, {L"7.5", std::nullopt}, {L" 7", std::nullopt},
      {L"seven", std::nullopt}, {L"1234567890", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TBookResume::PageFromPlayer(c.answer), c.page) << std::string(c.answer, c.answer + wcslen(c.answer));
  }
}

}  // namespace
