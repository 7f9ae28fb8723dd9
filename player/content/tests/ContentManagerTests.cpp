#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FakeBindCallback.h"
#include "player/content/ContentManager.h"
#include "player/content/MemoryPath.h"

namespace vell::player {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A control as the content manager sees it: it writes down what it is asked
// and answers from tables.
class TFakeControl : public IPlayerControlBase {
public:
  std::vector<std::string> Calls;
  std::wstring Base;
  std::map<std::wstring, std::string> LoadAnswers;   // OnLoadExternalResource
  std::map<std::wstring, std::string> AsyncAnswers;  // OnLoadExternalResourceAsync
  bool LoadDeclines = false;                          // the handler found the bytes unsound
  bool ExTakesTheStream = false;
  std::unique_ptr<TStream> TakenStream;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE PutMovie(LPCWSTR url) override {
    Calls.push_back("PutMovie " + Narrow(url));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE LoadMovie(long layer, LPCWSTR url) override {
    Calls.push_back("LoadMovie " + std::to_string(layer) + " " + Narrow(url));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBase(BSTR* base) override {
    *base = Base.empty() ? nullptr : SysAllocString(Base.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallLoadExternalResource(LPCWSTR url, TStream* stream) override {
    Calls.push_back("Load " + Narrow(url));
    const auto found = LoadAnswers.find(url);
    if (found != LoadAnswers.end()) stream->WriteBuffer(found->second.data(), found->second.size());
    return LoadDeclines ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled) override {
    Calls.push_back(std::string("Ex ") + Narrow(url) + (*handled ? " (arrived handled)" : ""));
    if (ExTakesTheStream) {
      TakenStream.reset(stream);
      *handled = true;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream) override {
    Calls.push_back("Async " + Narrow(path));
    const auto found = AsyncAnswers.find(path);
    if (found == AsyncAnswers.end()) return S_OK;
    auto answer = std::make_unique<TMemoryStream>();
    answer->WriteBuffer(found->second.data(), found->second.size());
    *stream = answer.release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallUnloadExternalResourceAsync(TStream* stream) override {
    Calls.push_back(std::string("Unload ") + (stream ? "stream" : "none"));
    return S_OK;
  }
};

// The system underneath, writing down what reaches it.
struct TSystemRecord {
  std::vector<std::string> Monikers;
  std::vector<std::string> Opened;
  std::vector<HANDLE> Closed;
  IBindStatusCallback* PlayerCallback = nullptr;
  IBindStatusCallback* Registered = nullptr;
};
TSystemRecord* record = nullptr;

HANDLE const kSystemFile = reinterpret_cast<HANDLE>(0x5150);

HRESULT WINAPI FakeCreateURLMoniker(IMoniker*, LPCWSTR url, IMoniker** moniker) {
  record->Monikers.push_back(Narrow(url));
  *moniker = nullptr;
  return E_FAIL;
}
HRESULT WINAPI FakeRegisterBindStatusCallback(IBindCtx*, IBindStatusCallback* callback, IBindStatusCallback** previous,
                                              DWORD) {
  record->Registered = callback;
  callback->AddRef();
  *previous = record->PlayerCallback;
  if (*previous) (*previous)->AddRef();
  return S_OK;
}
HANDLE WINAPI FakeCreateFileW(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  record->Opened.push_back(Narrow(path));
  return kSystemFile;
}
BOOL WINAPI RecordingCloseHandle(HANDLE handle) {
  record->Closed.push_back(handle);
  return handle == kSystemFile ? TRUE : ::CloseHandle(handle);
}
BOOL WINAPI FakeReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
  if (read) *read = 12345;
  return TRUE;
}
class ContentManager : public testing::Test {
protected:
  ContentManager() {
    record = &system_;
    TContentSystem calls = KernelContentSystem();
    calls.CreateURLMoniker = FakeCreateURLMoniker;
    calls.RegisterBindStatusCallback = FakeRegisterBindStatusCallback;
    calls.CreateFileW = FakeCreateFileW;
    calls.CloseHandle = RecordingCloseHandle;
    calls.ReadFile = FakeReadFile;
    manager_ = std::make_unique<TContentManager>(calls);
  }
  ~ContentManager() override { record = nullptr; }

  // A movie filed for the control; returns its id.
  int FileMovie(const std::string& bytes) {
    TMemoryStream movie;
    movie.WriteBuffer(bytes.data(), bytes.size());
    manager_->CopyMovieFromStream(&control_, false, movie, -1);
    const std::string& last = control_.Calls.back();  // "PutMovie <movie path>"
    return ParseMemoryPath(std::wstring(last.begin() + 9, last.end()))->Id;
  }

  HRESULT Request(const std::wstring& url, TFakeBindCallback& callback) {
    void* object = reinterpret_cast<void*>(1);
    const HRESULT result =
        manager_->HandleBindToStorage(nullptr, nullptr, IID_IStream, nullptr, &callback, url, &object);
    EXPECT_EQ(object, nullptr);
    return result;
  }

  std::wstring Below(int id, const std::wstring& relative) {
    return L"Z:\\FromMemory\\" + std::wstring(kMemoryPathMarker) + L"\\" + std::to_wstring(id) + L"\\" + relative;
  }

  TSystemRecord system_;
  TFakeControl control_;
  std::unique_ptr<TContentManager> manager_;
};

TEST_F(ContentManager, TwoMoviesForOneControlGetConsecutiveIdsAndBothStayFiled) {
  TMemoryStream movie;
  manager_->CopyMovieFromStream(&control_, false, movie, -1);
  const std::unique_ptr<TStream> second = manager_->CreateMovieStream(&control_, true, 2);
  const std::string reset = Narrow(kResetAddress);
  ASSERT_EQ(control_.Calls.size(), 4u);
  EXPECT_EQ(control_.Calls[0], "PutMovie " + reset);
  EXPECT_EQ(control_.Calls[2], "LoadMovie 2 " + reset);
  const int first = ParseMemoryPath(std::wstring(control_.Calls[1].begin() + 9, control_.Calls[1].end()))->Id;
  EXPECT_EQ(control_.Calls[1], "PutMovie " + Narrow(MoviePathFor(first)));
  EXPECT_EQ(control_.Calls[3], "LoadMovie 2 " + Narrow(MoviePathFor(first + 1)));
  EXPECT_EQ(manager_->FindControl(first).Get(), &control_);
  EXPECT_EQ(manager_->FindControl(first + 1).Get(), &control_);
  manager_->UnregisterControl(&control_);
  EXPECT_FALSE(manager_->FindControl(first));
  EXPECT_FALSE(manager_->FindControl(first + 1));
}

TEST_F(ContentManager, APendingMovieIsServedOnceThenAsksTheControl) {
  const int id = FileMovie("FWS movie");
  TFakeBindCallback player;
  const std::wstring asURL = L"file:///Z:/FromMemory/" + std::wstring(kMemoryPathMarker) + L"/" + std::to_wstring(id) +
                             L"/" + kMovieFileName;
  EXPECT_EQ(Request(asURL, player), MK_S_ASYNCHRONOUS);
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"response 200 HTTP/1.1 200 OK|;Content-Length: -1|;",
                                                    "start 0 none", "data 5 9 FWS movie", "stop 0 none"}));

  control_.Calls.clear();
  TFakeBindCallback again;
  EXPECT_EQ(Request(MoviePathFor(id), again), MK_E_NOSTORAGE);
  const std::string name = Narrow(kMovieFileName);
  EXPECT_EQ(control_.Calls, (std::vector<std::string>{"Ex " + name, "Load " + name}));
  EXPECT_TRUE(system_.Monikers.empty()) << "a movie asked for twice is not looked for on disk";
  EXPECT_TRUE(again.Calls.empty());
}

TEST_F(ContentManager, ResourcesBelowAMovieGoToItsControl) {
  const int id = FileMovie("m");
  control_.Base = L"http://base";
  control_.LoadAnswers[L"files/config.xml"] = "<book/>";
  control_.LoadAnswers[L"files/bad.jpg"] = "garbage";

  TFakeBindCallback served;
  EXPECT_EQ(Request(Below(id, L"\\files\\config.xml"), served), MK_S_ASYNCHRONOUS);
  EXPECT_EQ(served.Calls.at(2), "data 5 7 <book/>");
  EXPECT_EQ(served.Calls.back(), "stop 0 none");

  // A doubled separator: the events get the path without its leading "/".
  control_.Calls.clear();
  TFakeBindCallback doubled;
  EXPECT_EQ(Request(Below(id, L"/files/config.xml"), doubled), MK_S_ASYNCHRONOUS);
  EXPECT_EQ(control_.Calls, (std::vector<std::string>{"Ex files/config.xml", "Load files/config.xml"}));

  // A handler that finds the bytes unsound declines: nothing it wrote goes
  // out, and nothing is looked for below Base either.
  control_.LoadDeclines = true;
  TFakeBindCallback declined;
  EXPECT_EQ(Request(Below(id, L"files/bad.jpg"), declined), MK_E_NOSTORAGE);
  EXPECT_TRUE(declined.Calls.empty());
  EXPECT_TRUE(system_.Monikers.empty());

  TFakeBindCallback unknown;
  EXPECT_EQ(Request(Below(id + 100, L"files/config.xml"), unknown), E_FAIL);
}

TEST_F(ContentManager, AnExHandlerThatKeepsTheStreamEndsTheAnswerWhenItFreesIt) {
  const int id = FileMovie("m");
  control_.ExTakesTheStream = true;
  TFakeBindCallback player;
  EXPECT_EQ(Request(Below(id, L"late.bin"), player), MK_S_ASYNCHRONOUS);
  EXPECT_TRUE(player.Calls.empty());
  control_.TakenStream->WriteBuffer("late", 4);
  EXPECT_EQ(player.Calls.back(), "data 5 4 late");
  control_.TakenStream.reset();
  EXPECT_EQ(player.Calls.back(), "stop 0 none");
}

TEST_F(ContentManager, AddressesOutsideTheNamespaceGoToTheGlobalCallbackThenTheSystem) {
  std::vector<std::string> offered;
  manager_->SetGlobalOnLoadExternalResourceEx([&](const std::wstring& url, TStream* stream, bool& handled) {
    offered.push_back(Narrow(url));
    if (url == L"files/config.xml") {
      stream->WriteBuffer("xml", 3);
      handled = true;
      delete stream;
    }
  });
  TFakeBindCallback relative;
  EXPECT_EQ(Request(L"files/config.xml", relative), MK_S_ASYNCHRONOUS);
  EXPECT_EQ(relative.Calls.at(2), "data 5 3 xml");
  EXPECT_EQ(relative.Calls.back(), "stop 0 none");

  TFakeBindCallback reset;
  EXPECT_EQ(Request(kResetAddress, reset), MK_E_NOSTORAGE);
  EXPECT_EQ(offered, (std::vector<std::string>{"files/config.xml", Narrow(kResetAddress)}));
  EXPECT_EQ(system_.Monikers, std::vector<std::string>{Narrow(kResetAddress)});
}

TEST_F(ContentManager, TheMonikerHandsItsBindToTheManagerWithThePlayersCallbackBehindIt) {
  const int id = FileMovie("FWS");
  TFakeBindCallback player;
  system_.PlayerCallback = &player;
  IMoniker* moniker = nullptr;
  ASSERT_EQ(manager_->CreateMoniker(nullptr, MoviePathFor(id).c_str(), &moniker), S_OK);
  IMoniker* reduced = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(moniker->Reduce(nullptr, 0, nullptr, &reduced), E_FAIL) << "no system moniker behind it";
  EXPECT_EQ(reduced, nullptr);
  IStream* stream = nullptr;
  EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IStream, reinterpret_cast<void**>(&stream)),
            MK_S_ASYNCHRONOUS);
  EXPECT_EQ(player.Calls.size(), 4u) << "response, start, data and stop reach the player's own callback";
  EXPECT_EQ(player.Calls.at(2), "data 5 3 FWS");
  IHttpNegotiate* negotiate = nullptr;
  ASSERT_EQ(system_.Registered->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(&negotiate)), S_OK);
  EXPECT_EQ(negotiate, static_cast<IHttpNegotiate*>(&player));
  negotiate->Release();
  system_.Registered->Release();
  moniker->Release();
  EXPECT_EQ(player.References(), 1u);
}

TEST_F(ContentManager, WithTheSystemsBindContextThePlayersCallbackGetsTheMovie) {
  TContentManager manager;
  manager.SetUrlMonikerFunctions(::CreateURLMoniker, ::RegisterBindStatusCallback);
  TMemoryStream movie;
  movie.WriteBuffer("FWS!", 4);
  manager.CopyMovieFromStream(&control_, false, movie, -1);
  const std::string& last = control_.Calls.back();
  const std::wstring path(last.begin() + 9, last.end());

  TComRef<IMoniker> moniker;
  ASSERT_EQ(manager.CreateMoniker(nullptr, path.c_str(), moniker.Out()), S_OK);
  LPOLESTR name = nullptr;
  EXPECT_EQ(moniker->GetDisplayName(nullptr, nullptr, &name), S_OK) << "the system's moniker answers";
  CoTaskMemFree(name);
  TFakeBindCallback player;
  TComRef<IBindCtx> bindContext;
  ASSERT_EQ(CreateAsyncBindCtx(0, &player, nullptr, bindContext.Out()), S_OK);
  IStream* stream = nullptr;
  EXPECT_EQ(moniker->BindToStorage(bindContext.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(&stream)),
            MK_S_ASYNCHRONOUS);
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"response 200 HTTP/1.1 200 OK|;Content-Length: -1|;",
                                                    "start 0 none", "data 5 4 FWS!", "stop 0 none"}));
}

TEST_F(ContentManager, FakeHandlesServeTheControlsStream) {
  const int id = FileMovie("m");
  control_.AsyncAnswers[L"files/p1.jpg"] = "0123456789";
  HANDLE file = manager_->OpenFileAnsi(Narrow(Below(id, L"files\\p1.jpg")).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(system_.Opened.empty());

  char buffer[8] = {};
  DWORD read = 0;
  EXPECT_TRUE(manager_->ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "0123");
  DWORD high = 7;
  EXPECT_EQ(manager_->GetFileSize(file, &high), 10u);
  EXPECT_EQ(high, 0u);
  LARGE_INTEGER size{};
  EXPECT_TRUE(manager_->GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 10);
  EXPECT_EQ(manager_->SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_TRUE(manager_->ReadFile(file, buffer, 2, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "23");
  LARGE_INTEGER back;
  back.QuadPart = -3;
  LARGE_INTEGER position{};
  EXPECT_TRUE(manager_->SetFilePointerEx(file, back, &position, FILE_END));
  EXPECT_EQ(position.QuadPart, 7);
  EXPECT_TRUE(manager_->ReadFile(file, buffer, 8, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "789");

  EXPECT_TRUE(manager_->CloseHandle(file));
  EXPECT_EQ(control_.Calls.back(), "Unload stream");
  EXPECT_EQ(system_.Closed, std::vector<HANDLE>{file}) << "the event behind the handle is closed";
  EXPECT_FALSE(manager_->CloseHandle(file)) << "the second close is the system's, on a closed handle";
  EXPECT_EQ(system_.Closed, (std::vector<HANDLE>{file, file}));
  read = 0;
  EXPECT_TRUE(manager_->ReadFile(file, buffer, 1, &read, nullptr));
  EXPECT_EQ(read, 12345u) << "no longer a fake handle: the system reads it";
}

// Every request in the memory namespace that the book does not answer, by
// URL and by file open: declined, never handed to the system, and logged with
// its reason.
TEST_F(ContentManager, RequestsTheBookDoesNotAnswerAreDeclinedAndLogged) {
  const int id = FileMovie("m");
  control_.Base = L"D:\\books";
  control_.AsyncAnswers[L"files/p1.jpg"] = "jpeg";
  control_.LoadAnswers[L"files/p1.jpg"] = "jpeg";
  std::vector<std::string> log;
  manager_->SetDiagnosticLog([&](const std::string& line) { log.push_back(line); });

  const std::wstring folder = L"Z:\\FromMemory\\" + std::wstring(kMemoryPathMarker) + L"\\";
  const struct {
    std::wstring Request;
    const char* Why;  // nullptr: the book answers it
  } cases[] = {
      {Below(id, L"files/../files/./p1.jpg"), nullptr},
      {Below(id, L"files/missing.jpg"), "the book does not answer it"},
      {Below(id, L"/files/p2.jpg"), "the book does not answer it"},
      {Below(id, L"../../../../Users/Public/photo.jpg"), "it climbs out of the book"},
      {Below(id, L"files/../../x.jpg"), "it climbs out of the book"},
      {Below(id + 100, L"files/p1.jpg"), "no player owns its movie"},
      {folder + L"seven\\files\\p1.jpg", "it is no well-formed memory path"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(Narrow(item.Request));
    log.clear();
    const HANDLE file =
        manager_->OpenFile(item.Request.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD openError = GetLastError();
    TFakeBindCallback player;
    const HRESULT bound = Request(item.Request, player);
    if (!item.Why) {
      EXPECT_NE(file, INVALID_HANDLE_VALUE);
      EXPECT_EQ(bound, MK_S_ASYNCHRONOUS);
      EXPECT_TRUE(log.empty());
      manager_->CloseHandle(file);
      continue;
    }
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(FAILED(bound));
    EXPECT_TRUE(player.Calls.empty());
    const std::string line = "Declined request [" + Narrow(item.Request) + "]: " + item.Why;
    EXPECT_EQ(log, (std::vector<std::string>{line, line}));
  }
  EXPECT_TRUE(system_.Opened.empty());
  EXPECT_TRUE(system_.Monikers.empty());
  // The resolved name is what the book is asked for, the leading separator
  // still reaches the async event as the player wrote it.
  EXPECT_NE(std::find(control_.Calls.begin(), control_.Calls.end(), "Async files/p1.jpg"), control_.Calls.end());
  EXPECT_NE(std::find(control_.Calls.begin(), control_.Calls.end(), "Async /files/p2.jpg"), control_.Calls.end());
}

TEST_F(ContentManager, TheMarkerOutsideTheNamespacesFolderIsAnOrdinaryPath) {
  FileMovie("m");
  const std::wstring elsewhere = L"C:\\notes\\" + std::wstring(kMemoryPathMarker) + L"\\1\\a.txt";
  EXPECT_EQ(manager_->OpenFile(elsewhere.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), kSystemFile);
  EXPECT_EQ(system_.Opened, std::vector<std::string>{Narrow(elsewhere)});
  EXPECT_EQ(control_.Calls.back().rfind("PutMovie", 0), 0u) << "the control is not asked";
}

// With the real file functions: a file put exactly where the old fall-back
// looked (the control's Base joined with the name) is not served.
TEST(ContentManagerOnDisk, AFileBesideTheBaseIsNotServed) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring base = std::wstring(temp) + L"vell-confine-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((base + L"\\files").c_str(), nullptr));
  const std::wstring planted = base + L"\\files\\photo.jpg";
  {
    HANDLE file = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "on disk", 7, &written, nullptr);
    CloseHandle(file);
  }
  TContentManager manager(KernelContentSystem());
  TFakeControl control;
  control.Base = base;
  TMemoryStream movie;
  movie.WriteBuffer("m", 1);
  manager.CopyMovieFromStream(&control, false, movie, -1);
  const std::string& last = control.Calls.back();
  const int id = ParseMemoryPath(std::wstring(last.begin() + 9, last.end()))->Id;

  const std::wstring below = L"Z:\\FromMemory\\" + std::wstring(kMemoryPathMarker) + L"\\" + std::to_wstring(id);
  for (const std::wstring& request : {below + L"\\files\\photo.jpg", below + L"\\files\\..\\files\\photo.jpg"}) {
    SCOPED_TRACE(Narrow(request));
    EXPECT_EQ(manager.OpenFile(request.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
  }
  // The control's own working folder is no fall-back either.
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(base.c_str());
  control.Base.clear();
  const std::wstring request = below + L"\\files\\photo.jpg";
  EXPECT_EQ(manager.OpenFile(request.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  SetCurrentDirectoryW(current);
  manager.UnregisterControl(&control);

  DeleteFileW(planted.c_str());
  RemoveDirectoryW((base + L"\\files").c_str());
  RemoveDirectoryW(base.c_str());
}

}  // namespace
}  // namespace vell::player
