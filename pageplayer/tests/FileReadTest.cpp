#include <gtest/gtest.h>

#include <numeric>

#include "TestBooks.h"
#include "fetch/FileRead.h"

namespace pageplayer::testing {
namespace {

std::vector<std::uint8_t> Counting(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

class FileRead : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LookUpFileFunctions(); }
  TBookFolder folder_;
};

TEST_F(FileRead, ReadsEveryFileWholeASliceAtATimeWhenTheBudgetIsSpent) {
  constexpr std::size_t kSlice = 256u << 10;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, kSlice - 1, kSlice, kSlice + 1, 10 * kSlice + 5}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> content = Counting(size);
    folder_.Write("page.jpg", content);
    for (const double budget : {0.0, 1000.0}) {
      TFileRead read;
      ASSERT_TRUE(read.Open(folder_.PathOf("page.jpg")));
      int steps = 0;
      TFileRead::Progress progress;
      do {
        progress = read.ReadFor(budget);
        ++steps;
      } while (progress == TFileRead::Progress::More && steps < 1000);
      ASSERT_EQ(progress, TFileRead::Progress::Done);
      EXPECT_EQ(read.TakeBytes(), content);
      // Without time left, each step reads one slice and gives the thread back.
      if (budget == 0.0) EXPECT_EQ(steps, std::max<std::size_t>(1, (size + kSlice - 1) / kSlice));
      if (budget > 0.0) EXPECT_EQ(steps, 1);
    }
  }
}

TEST_F(FileRead, ReusesTheMemoryOfTheBufferItIsGiven) {
  const std::vector<std::uint8_t> content = Counting(300000);
  folder_.Write("page.jpg", content);
  std::vector<std::uint8_t> buffer(400000, 0xEE);
  const std::uint8_t* memory = buffer.data();
  TFileRead read;
  ASSERT_TRUE(read.Open(folder_.PathOf("page.jpg"), std::move(buffer)));
  while (read.ReadFor(1000.0) == TFileRead::Progress::More) {
  }
  const std::vector<std::uint8_t> bytes = read.TakeBytes();
  EXPECT_EQ(bytes, content);
  EXPECT_EQ(bytes.data(), memory);
}

TEST_F(FileRead, RefusesWhatIsNoPageFile) {
  TFileRead read;
  EXPECT_FALSE(read.Open(folder_.PathOf("missing.jpg")));
  EXPECT_EQ(read.ReadFor(1000.0), TFileRead::Progress::Failed);
  EXPECT_FALSE(read.Open(folder_.PathOf("")));  // the folder itself

  // Larger than any page may be (sparse: nothing is written).
  folder_.Write("huge.jpg", std::string("x"));
  const HANDLE file = CreateFileW(folder_.PathOf("huge.jpg").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = 300ll << 20;
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
  EXPECT_FALSE(read.Open(folder_.PathOf("huge.jpg")));
}

}  // namespace
}  // namespace pageplayer::testing
