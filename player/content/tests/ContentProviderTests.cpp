#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Exception.h"
#include "FakeBindCallback.h"
#include "player/content/ContentProvider.h"
#include "player/content/StreamBasedOnIStream.h"

namespace vell::player {
namespace {

// One provider driven through a sequence of inputs: 'w<text>' writes,
// 'a' attaches the callback, 'f' frees the writer's stream (finish),
// 'l<n>' sets the length through the stream's SetSize.
struct TProviderCase {
  const char* Name;
  std::vector<std::string> Inputs;
  std::vector<std::string> Expected;
};

const char kUnknownLength[] = "response 200 HTTP/1.1 200 OK|;Content-Length: -1|;";
const char kLength10[] = "response 200 HTTP/1.1 200 OK|;Content-Length: 10|;";
const char kStart[] = "start 0 none";
const char kStop[] = "stop 0 none";

const TProviderCase kProviderCases[] = {
    {"IdleAttachFinishSendsNothing", {"a", "f"}, {}},
    {"IdleFinishAttachSendsNothing", {"f", "a"}, {}},
    {"BufferedThenAttachedStreams", {"wab", "wcd", "a", "wef"},
     {kUnknownLength, kStart, "data 5 4 abcd", "data 5 2 ef"}},
    {"BufferedFinishedThenAttachedIsOneAnswer", {"wab", "wcd", "f", "a"},
     {kUnknownLength, kStart, "data 5 4 abcd", kStop}},
    {"WaitingThenWritesDeliverEachPiece", {"a", "wab", "wc", "f"},
     {kUnknownLength, kStart, "data 5 2 ab", "data 5 1 c", kStop}},
    {"LengthBeforeWritingSendsOneResponsePerCall", {"a", "l10", "l10", "wab", "f"},
     {kLength10, kLength10, kLength10, kStart, "data 5 2 ab", kStop}},
    {"LengthWithoutCallbackWaitsForTheStart", {"l10", "wab", "a", "f"},
     {kLength10, kStart, "data 5 2 ab", kStop}},
    // Past 2 GiB the length must not wrap into a negative 32-bit number.
    {"LengthPast2GiBIsPrintedWhole", {"a", "l3000000000", "l4294967306"},
     {"response 200 HTTP/1.1 200 OK|;Content-Length: 3000000000|;",
      "response 200 HTTP/1.1 200 OK|;Content-Length: 4294967306|;"}},
};

class ProviderStates : public testing::TestWithParam<TProviderCase> {};

TEST_P(ProviderStates, SendsExactlyTheNotificationsOfItsStateTable) {
  TFakeBindCallback callback;
  TComRef<IContentProvider> provider;
  TComRef<IStream> stream;
  TContentProvider::Create(provider, stream);
  for (const std::string& input : GetParam().Inputs) {
    switch (input[0]) {
      case 'w': {
        ULONG written = 0;
        EXPECT_EQ(stream->Write(input.data() + 1, static_cast<ULONG>(input.size() - 1), &written), S_OK);
        EXPECT_EQ(written, input.size() - 1);
        break;
      }
      case 'a': EXPECT_EQ(provider->SetBindStatusCallback(&callback), S_OK); break;
      case 'f': stream.Reset(); break;
      case 'l': {
        ULARGE_INTEGER size;
        size.QuadPart = std::stoull(input.substr(1));
        EXPECT_EQ(stream->SetSize(size), S_OK);
        break;
      }
    }
  }
  EXPECT_EQ(callback.Calls, GetParam().Expected);
  provider.Reset();
  stream.Reset();
  EXPECT_EQ(callback.References(), 1u) << "the provider keeps no reference to the callback once it is gone";
}

INSTANTIATE_TEST_SUITE_P(, ProviderStates, testing::ValuesIn(kProviderCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ContentProvider, IsEmptyUntilTheFirstWrite) {
  TComRef<IContentProvider> provider;
  TComRef<IStream> stream;
  TContentProvider::Create(provider, stream);
  EXPECT_EQ(provider->IsEmpty(), S_FALSE);
  stream->Write("x", 1, nullptr);
  EXPECT_EQ(provider->IsEmpty(), S_OK);
}

TEST(ContentProvider, ARefusedPieceIsAShortWriteForTheApplication) {
  TFakeBindCallback callback;
  callback.DataResult = E_ABORT;
  TComRef<IContentProvider> provider;
  TComRef<IStream> stream;
  TContentProvider::Create(provider, stream);
  provider->SetBindStatusCallback(&callback);
  ULONG written = 99;
  EXPECT_EQ(stream->Write("abc", 3, &written), S_OK);
  EXPECT_EQ(written, 0u);
  TStreamBasedOnIStream application(stream.Get());
  EXPECT_THROW(application.WriteBuffer("abc", 3), EWriteError);
}

TEST(ContentProvider, WithoutNegotiationTheStartHasNoResponse) {
  TFakeBindCallback callback;
  callback.AnswersNegotiate = false;
  TComRef<IContentProvider> provider;
  TComRef<IStream> stream;
  TContentProvider::Create(provider, stream);
  provider->SetBindStatusCallback(&callback);
  stream->Write("a", 1, nullptr);
  EXPECT_EQ(callback.Calls, (std::vector<std::string>{kStart, "data 5 1 a"}));
}

TEST(ContentProviderStream, IsWriteOnly) {
  TComRef<IContentProvider> provider;
  TComRef<IStream> stream;
  TContentProvider::Create(provider, stream);
  IStream* clone = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(stream->Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  char buffer[4];
  ULONG read = 7;
  EXPECT_EQ(stream->Read(buffer, 4, &read), E_NOTIMPL);
  EXPECT_EQ(read, 7u);
  ULARGE_INTEGER position{};
  position.QuadPart = 5;
  EXPECT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, &position), E_NOTIMPL);
  EXPECT_EQ(position.QuadPart, 5u);
  STATSTG stat{};
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), E_NOTIMPL);
  EXPECT_EQ(provider->IsEmpty(), S_FALSE);
}

}  // namespace
}  // namespace vell::player
