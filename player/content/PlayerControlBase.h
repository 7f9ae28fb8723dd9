// What the content manager needs of a player control: its resource events,
// its Base and the two ways of pointing its player at a movie. The host
// control implements it as its private callback interface, defined here
// beside the manager that calls it. Every method answers S_OK, the four Call
// methods S_FALSE when the control has no handler for the event. Streams are the
// reader's own stream objects: this interface never leaves the process.
// The manager holds references while a control is filed, but a control's
// life must not hang on them: it calls UnregisterControl with itself when
// its owner destroys it.
#pragma once
#include <windows.h>
#include <oaidl.h>

class TStream;

namespace vell::player {

inline constexpr IID IID_IPlayerControlBase = {
    0x911FA1AF, 0xCDB2, 0x45ED, {0x82, 0x71, 0x56, 0x62, 0x00, 0x00, 0x00, 0xBC}};

struct IPlayerControlBase : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE PutMovie(LPCWSTR url) = 0;
  virtual HRESULT STDMETHODCALLTYPE LoadMovie(long layer, LPCWSTR url) = 0;
  // The Base property; an empty or null text when none is set.
  virtual HRESULT STDMETHODCALLTYPE GetBase(BSTR* base) = 0;
  // The handler writes the whole resource into `stream`. S_FALSE without a
  // handler; a failure code when the handler declined (the bytes written
  // so far are then not served).
  virtual HRESULT STDMETHODCALLTYPE CallLoadExternalResource(LPCWSTR url, TStream* stream) = 0;
  // `*handled` arrives false; a handler that sets it takes `stream` and frees it when done.
  virtual HRESULT STDMETHODCALLTYPE CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled) = 0;
  // `*stream` arrives null; a handler that serves `path` sets it to a stream
  // holding the whole file, which then belongs to the caller.
  virtual HRESULT STDMETHODCALLTYPE CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream) = 0;
  // The stream that CallLoadExternalResourceAsync supplied; freed by the caller afterwards.
  virtual HRESULT STDMETHODCALLTYPE CallUnloadExternalResourceAsync(TStream* stream) = 0;
};

}  // namespace vell::player
