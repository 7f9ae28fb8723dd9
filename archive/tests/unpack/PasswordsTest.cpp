// Encrypted entries: key checks, wrong and missing passwords, the retry
// through OnBadPassword, and the AES authentication code.
#include <gtest/gtest.h>

#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

const std::string kPassword = "open sesame";
const Bytes kText = "The page behind the password.\r\n";

struct TEvents {
  std::vector<std::string> skipped;
  int badPasswordCalls = 0;
};

void Watch(TZipReader& reader, TEvents& events) {
  reader.OnSkippingFile = [&events](TZipReader*, TSkipReason reason, const std::string& name, int index, bool&) {
    events.skipped.push_back((reason == TSkipReason::srBadPassword ? "bad password " : "other ") + name + " " +
                             std::to_string(index));
  };
}

// A traditionally encrypted stored entry written by the tests' own writer, so
// that a wrong password's check byte is the same on every run.
TEntryLayout TraditionalEntry(bool withDataDescriptor) {
  TEntryLayout e = StoredEntry("secret/page.txt", kText);
  e.Flag = withDataDescriptor ? 0x0009 : 0x0001;
  const auto check = static_cast<std::uint8_t>(withDataDescriptor ? e.DosDateTime >> 8 : e.Crc >> 24);
  e.Data = EncryptTraditional(kText, kPassword, check);
  return e;
}

class Passwords : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    path_ = scratch_.Write("locked.zip", BuildArchive({StoredEntry("open.txt", "free"), TraditionalEntry(GetParam())}));
    reader_.SetZipName(path_);
    Watch(reader_, events_);
  }
  TScratchFolder scratch_;
  std::string path_;
  TZipReader reader_;
  TEvents events_;
};

}  // namespace

TEST_P(Passwords, TheRightPasswordOpensTheEntry) {
  reader_.SetPassword(kPassword);
  TWatchedStream stream;
  EXPECT_EQ(reader_.UnpackToStream(&stream, "secret\\page.txt"), 1);
  EXPECT_EQ(stream.Contents(), kText);
  EXPECT_TRUE(events_.skipped.empty());
}

TEST_P(Passwords, NoOrAWrongPasswordSkipsTheEntryAndLeavesTheStreamAlone) {
  for (const char* password : {"", "open sesamE", "wrong"}) {
    events_.skipped.clear();
    reader_.SetPassword(password);
    TWatchedStream stream;
    EXPECT_EQ(reader_.UnpackToStream(&stream, "secret\\page.txt"), 0) << password;
    EXPECT_EQ(stream.Writes, 0) << password;
    EXPECT_EQ(stream.LargestSizeSet, 0) << password;
    EXPECT_EQ(events_.skipped, std::vector<std::string>{"bad password secret\\page.txt 1"}) << password;
  }
}

TEST_P(Passwords, OnBadPasswordCanSupplyTheRightOne) {
  std::vector<std::string> offered;
  reader_.SetPassword("wrong");
  reader_.OnBadPassword = [&](TZipReader*, int index, std::string& password) {
    offered.push_back(std::to_string(index) + ":" + password);
    password = kPassword;
  };
  TWatchedStream stream;
  EXPECT_EQ(reader_.UnpackToStream(&stream, "secret\\page.txt"), 1);
  EXPECT_EQ(stream.Contents(), kText);
  EXPECT_EQ(offered, std::vector<std::string>{"1:wrong"});
  EXPECT_EQ(reader_.Password(), kPassword);  // stays in effect

  // A handler that offers nothing new ends in the skip.
  reader_.SetPassword("still wrong");
  reader_.OnBadPassword = [&](TZipReader*, int, std::string&) {};
  TWatchedStream other;
  EXPECT_EQ(reader_.UnpackToStream(&other, "secret\\page.txt"), 0);
  EXPECT_EQ(events_.skipped.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(CheckByte, Passwords, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("FromTimeWithDataDescriptor") : std::string("FromCrc");
                         });

namespace {

// AES entries made by 7z (AE-2: no CRC recorded), stored so that the
// ciphertext is easy to find and change.
class Aes : public ::testing::Test {
protected:
  void SetUp() override {
    if (!ToolAvailable("7z")) GTEST_SKIP() << "7z is needed";
    scratch_.Write("page.txt", kText);
    ASSERT_EQ(RunTool(scratch_.Path(""), "7z a -tzip -mx=0 -mem=AES256 '-p" + kPassword + "' aes.zip page.txt"), 0);
    archive_ = ReadFile(scratch_.Path("aes.zip"));
  }

  TExtraction ExtractVariant(const Bytes& bytes, const std::string& password, TEvents* events = nullptr) {
    TZipReader reader;
    if (events) Watch(reader, *events);
    reader.SetZipName(scratch_.Write("variant" + std::to_string(variants_++) + ".zip", bytes));
    reader.SetPassword(password);
    TWatchedStream stream;
    TExtraction result;
    result.Result = reader.UnpackToStream(&stream, "page.txt");
    result.Data = stream.Contents();
    return result;
  }

  // Sets the vendor version of both AES extra blocks and the CRC of both records.
  Bytes WithVersionAndCrc(std::uint16_t version, std::uint32_t crc) const {
    Bytes b = archive_;
    const Bytes aesBlock("\x01\x99\x07\x00", 4);
    for (auto at = b.find(aesBlock); at != Bytes::npos; at = b.find(aesBlock, at + 1)) {
      b[at + 4] = static_cast<char>(version);
      b[at + 5] = 0;
    }
    auto putCrc = [&](std::size_t at) {
      for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(crc >> (8 * i));
    };
    putCrc(14);                                   // local header
    putCrc(b.find(Bytes("PK\x01\x02", 4)) + 16);  // central record
    return b;
  }

  TScratchFolder scratch_;
  Bytes archive_;
  int variants_ = 0;
};

}  // namespace

TEST_F(Aes, TheRightPasswordOpensAndAWrongOneDoesNot) {
  EXPECT_EQ(ExtractVariant(archive_, kPassword).Data, kText);
  TEvents events;
  const TExtraction wrong = ExtractVariant(archive_, "Open sesame", &events);
  EXPECT_EQ(wrong.Result, 0);
  EXPECT_TRUE(wrong.Data.empty());
  EXPECT_EQ(events.skipped, std::vector<std::string>{"bad password page.txt 0"});
}

TEST_F(Aes, ChangedCiphertextFailsTheAuthenticationCode) {
  Bytes tampered = archive_;
  // Local header, name, AES extra block (11), salt (16 for AES-256), verifier (2), then ciphertext.
  const std::size_t dataStart = 30 + std::string("page.txt").size() + 11 + 16 + 2;
  tampered[dataStart + 5] ^= 0x01;
  TEvents events;
  const TExtraction got = ExtractVariant(tampered, kPassword, &events);
  EXPECT_EQ(got.Result, 0);
  EXPECT_EQ(got.Data.size(), kText.size());  // the stream keeps the bytes written
  EXPECT_EQ(events.skipped, std::vector<std::string>{"bad password page.txt 0"});
}

// The AE-1 form records the CRC as well: both checks must hold.
TEST_F(Aes, TheAe1FormChecksTheCrcToo) {
  EXPECT_EQ(ExtractVariant(WithVersionAndCrc(1, Crc32(kText)), kPassword).Result, 1);
  EXPECT_EQ(ExtractVariant(WithVersionAndCrc(1, Crc32(kText) ^ 0x100), kPassword).Result, 0);
}
