#include <cwchar>

#include "ScriptCalls.h"
#include "object/DispatchCalls.h"
#include "object/PagePlayerObject.h"

// The player interface, slot by slot. Frames are the book's pages.
namespace pageplayer {

namespace {

constexpr long kPlayerVersion = (10 << 16) | (1 << 8);  // 10.1
constexpr wchar_t kCurrentPageVariable[] = L"currentPage";
constexpr wchar_t kPageLayoutVariable[] = L"pageLayout";

template <typename Value>
HRESULT HandOut(Value value, Value* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

#define PAGEPLAYER_KEPT_PROPERTY(name, type, field)                                   \
  HRESULT STDMETHODCALLTYPE TPagePlayerObject::get_##name(type* value) {              \
    return HandOut(properties_.field, value);                                         \
  }                                                                                   \
  HRESULT STDMETHODCALLTYPE TPagePlayerObject::put_##name(type value) {               \
    properties_.field = value;                                                        \
    return S_OK;                                                                      \
  }
#define PAGEPLAYER_KEPT_TEXT_PROPERTY(name, field)                                    \
  HRESULT STDMETHODCALLTYPE TPagePlayerObject::get_##name(BSTR* value) {              \
    return HandOutString(properties_.field, value);                                   \
  }                                                                                   \
  HRESULT STDMETHODCALLTYPE TPagePlayerObject::put_##name(BSTR value) {               \
    return Guarded([&] {                                                              \
      properties_.field = FromBstr(value);                                            \
      return S_OK;                                                                    \
    });                                                                               \
  }
#define PAGEPLAYER_NO_USE(name, params) \
  HRESULT STDMETHODCALLTYPE TPagePlayerObject::name params { return E_NOTIMPL; }

PAGEPLAYER_KEPT_PROPERTY(Playing, VARIANT_BOOL, playing)
PAGEPLAYER_KEPT_PROPERTY(Quality, long, quality)
PAGEPLAYER_KEPT_PROPERTY(ScaleMode, long, scaleMode)
PAGEPLAYER_KEPT_PROPERTY(AlignMode, long, alignMode)
PAGEPLAYER_KEPT_PROPERTY(Loop, VARIANT_BOOL, loop)
PAGEPLAYER_KEPT_TEXT_PROPERTY(WMode, wmode)
PAGEPLAYER_KEPT_TEXT_PROPERTY(SAlign, salign)
PAGEPLAYER_KEPT_PROPERTY(Menu, VARIANT_BOOL, menu)
PAGEPLAYER_KEPT_TEXT_PROPERTY(Base, base)
PAGEPLAYER_KEPT_TEXT_PROPERTY(Scale, scale)
PAGEPLAYER_KEPT_PROPERTY(DeviceFont, VARIANT_BOOL, deviceFont)
PAGEPLAYER_KEPT_PROPERTY(EmbedMovie, VARIANT_BOOL, embedMovie)
PAGEPLAYER_KEPT_TEXT_PROPERTY(BGColor, bgColor)
PAGEPLAYER_KEPT_TEXT_PROPERTY(Quality2, quality2)
PAGEPLAYER_KEPT_TEXT_PROPERTY(SWRemote, swRemote)
PAGEPLAYER_KEPT_TEXT_PROPERTY(MovieVars, movieVars)
PAGEPLAYER_KEPT_TEXT_PROPERTY(AllowScriptAccess, allowScriptAccess)
PAGEPLAYER_KEPT_TEXT_PROPERTY(MovieData, movieData)
PAGEPLAYER_KEPT_TEXT_PROPERTY(AllowFullscreen, allowFullscreen)

PAGEPLAYER_NO_USE(TGotoFrame, (BSTR, long))
PAGEPLAYER_NO_USE(TGotoLabel, (BSTR, BSTR))
PAGEPLAYER_NO_USE(TPlay, (BSTR))
PAGEPLAYER_NO_USE(TStopPlay, (BSTR))
PAGEPLAYER_NO_USE(TSetProperty, (BSTR, long, BSTR))
PAGEPLAYER_NO_USE(TCallFrame, (BSTR, long))
PAGEPLAYER_NO_USE(TCallLabel, (BSTR, BSTR))
PAGEPLAYER_NO_USE(TSetPropertyNum, (BSTR, long, double))
PAGEPLAYER_NO_USE(UnusedInThisLayout82, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout83, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout84, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout85, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout86, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout87, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout88, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout89, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout90, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout91, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout92, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout95, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout96, ())
PAGEPLAYER_NO_USE(UnusedInThisLayout97, ())

#undef PAGEPLAYER_KEPT_PROPERTY
#undef PAGEPLAYER_KEPT_TEXT_PROPERTY
#undef PAGEPLAYER_NO_USE

// Targets name movie clips, which a book has none of.
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TCurrentFrame(BSTR, long* frame) {
  if (frame) *frame = 0;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TCurrentLabel(BSTR, BSTR* label) {
  if (label) *label = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TGetProperty(BSTR, long, BSTR* value) {
  if (value) *value = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TGetPropertyNum(BSTR, long, double* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TGetPropertyAsNumber(BSTR, long, double* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetReadyState(long* state) { return HandOut<long>(book_->ReadyState(), state); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetTotalFrames(long* frames) {
  return HandOut<long>(book_->Navigator().PageCount(), frames);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::get_BackgroundColor(long* colour) {
  return HandOut(properties_.backgroundColor, colour);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::put_BackgroundColor(long colour) {
  properties_.backgroundColor = colour;
  stage_.Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::get_Movie(BSTR* movie) { return HandOutString(properties_.movie, movie); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::put_Movie(BSTR movie) {
  return Guarded([&] {
    properties_.movie = FromBstr(movie);
    zoom_.Fit();
    book_->Load(properties_.movie);
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::get_FrameNum(long* frame) { return CurrentFrame(frame); }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::put_FrameNum(long frame) { return GotoFrame(frame); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Play() {
  properties_.playing = VARIANT_TRUE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Stop() {
  properties_.playing = VARIANT_FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::StopPlay() { return Stop(); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Back() {
  if (Turn(TTurn::Back)) stage_.Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Forward() {
  if (Turn(TTurn::Forward)) stage_.Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Rewind() {
  GoToPage(0);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GotoFrame(long frame) {
  GoToPage(frame);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::CurrentFrame(long* frame) {
  return HandOut<long>(book_->Navigator().CurrentPage(), frame);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::IsPlaying(VARIANT_BOOL* playing) { return HandOut(properties_.playing, playing); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::PercentLoaded(long* percent) {
  return HandOut<long>(book_->PercentLoaded(), percent);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::FrameLoaded(long frame, VARIANT_BOOL* loaded) {
  const bool inBook = frame >= 0 && frame < book_->Navigator().PageCount();
  return HandOut<VARIANT_BOOL>(inBook ? VARIANT_TRUE : VARIANT_FALSE, loaded);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::PlayerVersion(long* version) { return HandOut(kPlayerVersion, version); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::LoadMovie(long layer, BSTR url) {
  // A book is one movie: only the bottom layer can hold it.
  if (layer != 0) return E_NOTIMPL;
  return put_Movie(url);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetVariable(BSTR name, BSTR value) {
  return Guarded([&] {
    const std::wstring variable = FromBstr(name);
    if (variable == kPageLayoutVariable) {
      // Any other value leaves the layout as it was.
      const std::optional<TPageLayout> layout = ParsePageLayout(FromBstr(value));
      if (!layout) return E_INVALIDARG;
      layout_ = *layout;
      stage_.Invalidate();
      return S_OK;
    }
    if (variable != kCurrentPageVariable) return E_NOTIMPL;
    const std::wstring text = FromBstr(value);
    wchar_t* end = nullptr;
    const long page = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end) return E_INVALIDARG;
    GoToPage(page - 1);
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetVariable(BSTR name, BSTR* value) {
  return Guarded([&] {
    if (!value) return E_POINTER;
    *value = nullptr;
    const std::wstring variable = FromBstr(name);
    if (variable == kPageLayoutVariable) return HandOutString(PageLayoutName(layout_), value);
    if (variable != kCurrentPageVariable) return E_FAIL;
    return HandOutString(std::to_wstring(book_->Navigator().CurrentPage() + 1), value);
  });
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::CallFunction(BSTR request, BSTR* response) {
  return Guarded([&] {
    if (!response) return E_POINTER;
    *response = nullptr;
    const auto function = InvokedFunction(FromBstr(request));
    if (!function) return E_INVALIDARG;
    if (*function != L"getPage") return E_FAIL;
    return HandOutString(NumberAnswer(book_->Navigator().CurrentPage() + 1), response);
  });
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetReturnValue(BSTR value) {
  return Guarded([&] {
    properties_.returnValue = FromBstr(value);
    return S_OK;
  });
}

// IDispatch: the player interface is reached through its method table only.

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetTypeInfoCount(UINT* count) { return HandOut(0u, count); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                                     VARIANT* result, EXCEPINFO*, UINT*) {
  if (id == DISPID_READYSTATE && (flags & DISPATCH_PROPERTYGET) && result) {
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = book_->ReadyState();
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace pageplayer
