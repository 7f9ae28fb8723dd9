#include "player/content/ContentProvider.h"

#include <algorithm>
#include <new>
#include <string>

namespace vell::player {

namespace {

using TGuard = std::lock_guard<std::recursive_mutex>;

// Both flags on every piece: the player treats each piece as complete data
// and keeps reading the binding until it is stopped.
constexpr DWORD kDeliveryFlags = BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION;

// An announced length beyond this is not reserved up front: the announcement
// comes from the data's source, which may be wrong.
constexpr std::int64_t kLargestReservation = std::int64_t{256} << 20;

TComRef<IStream> NewMemoryStream() {
  TComRef<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))) throw std::bad_alloc();
  return stream;
}

void Rewind(IStream* stream) {
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

}  // namespace

void TContentProvider::Create(TComRef<IContentProvider>& provider, TComRef<IStream>& stream) {
  auto* created = new TContentProvider();
  provider = TComRef<IContentProvider>::Adopt(created);
  stream = TComRef<IStream>::Adopt(new TContentProviderStream(created));
}

HRESULT TContentProvider::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContentProvider)) {
    *object = static_cast<IContentProvider*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TContentProvider::AddRef() {
  TGuard guard(lock_);
  return ++references_;
}

ULONG TContentProvider::Release() {
  ULONG left;
  {
    TGuard guard(lock_);
    left = --references_;
  }
  if (left == 0) delete this;
  return left;
}

void TContentProvider::SendResponse() {
  TComRef<IHttpNegotiate> negotiate;
  if (FAILED(callback_->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(negotiate.Out()))) || !negotiate)
    return;
  // The whole length: cut to 32 bits, a length past 2 GiB would read as negative.
  const std::wstring headers = L"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_wstring(contentLength_) + L"\r\n";
  LPWSTR additional = nullptr;
  negotiate->OnResponse(200, headers.c_str(), nullptr, &additional);
  CoTaskMemFree(additional);
}

void TContentProvider::Start() {
  if (started_) return;
  SendResponse();
  callback_->OnStartBinding(0, nullptr);
  started_ = true;
}

HRESULT TContentProvider::Deliver(IStream* data, std::uint64_t size) {
  FORMATETC format{0, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  STGMEDIUM medium{};
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = data;
  medium.pUnkForRelease = nullptr;
  // The notification's count is 32-bit; the stream itself holds every byte.
  const DWORD announced = static_cast<DWORD>(std::min<std::uint64_t>(size, MAXDWORD));
  return callback_->OnDataAvailable(kDeliveryFlags, announced, &format, &medium);
}

void TContentProvider::Stop() { callback_->OnStopBinding(S_OK, nullptr); }

HRESULT TContentProvider::SetBindStatusCallback(IBindStatusCallback* callback) try {
  TGuard guard(lock_);
  callback_ = TComRef<IBindStatusCallback>::Share(callback);
  if (dataWritten_ && callback_) {
    Start();
    if (buffer_) {
      Rewind(buffer_.Get());
      Deliver(buffer_.Get(), bufferedBytes_);
      buffer_.Reset();
    }
    if (finished_) Stop();
  }
  return S_OK;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT TContentProvider::IsEmpty() {
  TGuard guard(lock_);
  return dataWritten_ ? S_OK : S_FALSE;
}

HRESULT TContentProvider::Finish() {
  TGuard guard(lock_);
  finished_ = true;
  if (dataWritten_ && callback_) {
    Start();
    Stop();
  }
  return S_OK;
}

HRESULT TContentProvider::WriteData(const void* buffer, ULONG count, ULONG* written) try {
  TGuard guard(lock_);
  if (written) *written = 0;
  dataWritten_ = true;
  if (callback_) {
    Start();
    TComRef<IStream> piece = NewMemoryStream();
    const HRESULT stored = piece->Write(buffer, count, written);
    if (FAILED(stored)) return stored;
    Rewind(piece.Get());
    // A piece the player refuses was not written, as far as the writer can tell.
    if (FAILED(Deliver(piece.Get(), count)) && written) *written = 0;
    return S_OK;
  }
  if (!buffer_) buffer_ = NewMemoryStream();
  const HRESULT stored = buffer_->Write(buffer, count, written);
  if (FAILED(stored)) return stored;
  bufferedBytes_ += count;
  return S_OK;
} catch (const std::bad_alloc&) {
  return E_OUTOFMEMORY;
}

HRESULT TContentProvider::SetContentLength(DWORD low, DWORD high) {
  // Under the lock although nothing else is: the callback may be attached
  // on another thread meanwhile.
  TGuard guard(lock_);
  contentLength_ = static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
  if (callback_) SendResponse();
  else if (!buffer_ && contentLength_ > 0 && contentLength_ <= kLargestReservation) {
    // Data that waits for the player is kept in one block of the announced
    // size: growing it piece by piece would copy it over and over, and
    // briefly hold it twice. A refused reservation only costs that growth.
    try {
      buffer_ = NewMemoryStream();
      ULARGE_INTEGER size;
      size.QuadPart = static_cast<ULONGLONG>(contentLength_);
      buffer_->SetSize(size);
    } catch (const std::bad_alloc&) {
      buffer_.Reset();
    }
  }
  return S_OK;
}

TContentProviderStream::TContentProviderStream(IContentProvider* provider)
    : provider_(TComRef<IContentProvider>::Share(provider)) {}

TContentProviderStream::~TContentProviderStream() { provider_->Finish(); }

HRESULT TContentProviderStream::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  TGuard guard(lock_);
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
    *object = static_cast<IStream*>(this);
    ++references_;
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TContentProviderStream::AddRef() {
  TGuard guard(lock_);
  return ++references_;
}

ULONG TContentProviderStream::Release() {
  ULONG left;
  {
    TGuard guard(lock_);
    left = --references_;
  }
  if (left == 0) delete this;
  return left;
}

HRESULT TContentProviderStream::Write(const void* buffer, ULONG count, ULONG* written) {
  return provider_->WriteData(buffer, count, written);
}

HRESULT TContentProviderStream::SetSize(ULARGE_INTEGER size) {
  return provider_->SetContentLength(size.LowPart, size.HighPart);
}

HRESULT TContentProviderStream::Clone(IStream** clone) {
  if (clone) *clone = nullptr;
  return E_NOTIMPL;
}

HRESULT TContentProviderStream::Read(void*, ULONG, ULONG*) { return E_NOTIMPL; }
HRESULT TContentProviderStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT TContentProviderStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
  return E_NOTIMPL;
}
HRESULT TContentProviderStream::Commit(DWORD) { return E_NOTIMPL; }
HRESULT TContentProviderStream::Revert() { return E_NOTIMPL; }
HRESULT TContentProviderStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT TContentProviderStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT TContentProviderStream::Stat(STATSTG*, DWORD) { return E_NOTIMPL; }

}  // namespace vell::player
