// The player's events and ambient-property questions, and the resource
// events that the content manager raises through the control.
#include <windows.h>
#include <olectl.h>

#include <string_view>

#include "Bstr.h"
#include "WideText.h"
#include "player/control/PlayerControl.h"
#include "ui/Application.h"
#include "ui/Screen.h"

namespace vell::player {

namespace {

// A movie's script asks whether it runs inside this reader with a request
// that carries this text; the answer below tells it so.
constexpr std::wstring_view kScriptProbe = L"{8533542B-B75B-417a-A972-3AD945F14852}";
constexpr wchar_t kScriptProbeAnswer[] = L"<string>{242DF42C-A9ED-4209-B1E2-FD3633BAEEE7}</string>";

// Argument `index` counted from the last one, as COM passes them; a missing
// argument reads as zero, any other as its raw 32-bit data.
long IntegerArgument(const DISPPARAMS* parameters, UINT index) {
  if (!parameters || !parameters->rgvarg || index >= parameters->cArgs) return 0;
  return parameters->rgvarg[index].lVal;
}

// A missing argument, or one that does not convert to text, reads as empty.
std::wstring StringArgument(const DISPPARAMS* parameters, UINT index) {
  if (!parameters || !parameters->rgvarg || index >= parameters->cArgs) return {};
  VARIANT text;
  VariantInit(&text);
  std::wstring result;
  if (SUCCEEDED(VariantChangeType(&text, &parameters->rgvarg[index], 0, VT_BSTR)) && text.bstrVal)
    result.assign(text.bstrVal, SysStringLen(text.bstrVal));
  VariantClear(&text);
  return result;
}

void SetInteger(VARIANT* result, long value) {
  result->vt = VT_I4;
  result->lVal = value;
}

void SetBoolean(VARIANT* result, bool value) {
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// A handler's exception goes to the application's error report, never back
// into the caller's COM frames.
template <class Call>
void RaiseGuarded(Call&& call) {
  try {
    call();
  } catch (...) {
    ui::Application().HandleException(std::current_exception());
  }
}

}  // namespace

HRESULT TPlayerControl::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                               EXCEPINFO*, UINT*) {
  switch (dispid) {
    case kDispidReadyStateChange:
      if (OnReadyStateChange)
        RaiseGuarded([&] { OnReadyStateChange(this, static_cast<int>(IntegerArgument(parameters, 0))); });
      return S_OK;
    case kDispidProgress:
      if (OnProgress) RaiseGuarded([&] { OnProgress(this, static_cast<int>(IntegerArgument(parameters, 0))); });
      return S_OK;
    case kDispidFSCommand:
      if (OnFSCommand)
        RaiseGuarded([&] { OnFSCommand(this, StringArgument(parameters, 1), StringArgument(parameters, 0)); });
      return S_OK;
    case kDispidMovieCall:
      if (OnMovieCall) RaiseGuarded([&] { RaiseMovieCall(StringArgument(parameters, 0)); });
      return S_OK;
    default:
      break;
  }
  if ((flags & DISPATCH_PROPERTYGET) && result) return AnswerAmbientProperty(dispid, result);
  return DISP_E_MEMBERNOTFOUND;
}

void TPlayerControl::RaiseMovieCall(const std::wstring& request) {
  if (request.find(kScriptProbe) != std::wstring::npos) {
    SetReturnValue(kScriptProbeAnswer);
    return;
  }
  OnMovieCall(this, request);
}

HRESULT TPlayerControl::AnswerAmbientProperty(DISPID dispid, VARIANT* result) {
  VariantInit(result);
  switch (dispid) {
    case DISPID_AMBIENT_BACKCOLOR:
      SetInteger(result, static_cast<long>(Color()));
      return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME: {
      const std::wstring name = AnsiToWide(Name);
      result->vt = VT_BSTR;
      result->bstrVal = TBstr(name).Detach();
      return S_OK;
    }
    case DISPID_AMBIENT_FONT: {
      const ui::TFont& font = parent_ && ParentFont() ? parent_->Font() : Font();
      const std::wstring face = AnsiToWide(font.Name());
      const int ppi = ui::ScreenPixelsPerInch();
      const int height = font.Height() < 0 ? -font.Height() : font.Height();
      FONTDESC description{};
      description.cbSizeofstruct = sizeof description;
      description.lpstrName = const_cast<LPOLESTR>(face.c_str());
      description.cySize.int64 = MulDiv(height * 72, 10000, ppi);  // points in units of 1/10000
      description.sWeight = static_cast<SHORT>((font.Style() & ui::fsBold) ? FW_BOLD : FW_NORMAL);
      description.sCharset = font.Charset();
      description.fItalic = (font.Style() & ui::fsItalic) != 0;
      description.fUnderline = (font.Style() & ui::fsUnderline) != 0;
      description.fStrikethrough = (font.Style() & ui::fsStrikeOut) != 0;
      IFontDisp* dispatch = nullptr;
      HRESULT created = OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(&dispatch));
      if (FAILED(created)) return created;
      result->vt = VT_DISPATCH;
      result->pdispVal = dispatch;
      return S_OK;
    }
    case DISPID_AMBIENT_FORECOLOR:
      SetInteger(result, static_cast<long>(Font().Color()));
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      SetInteger(result, static_cast<long>(GetUserDefaultLCID()));
      return S_OK;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_USERMODE:  // the reader has no design time
    case DISPID_AMBIENT_AUTOCLIP:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      SetBoolean(result, true);
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
      SetBoolean(result, false);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// Resource events: S_FALSE tells the content manager to try its next source.
HRESULT TPlayerControl::CallLoadExternalResource(LPCWSTR url, TStream* stream) {
  if (!OnLoadExternalResource) return S_FALSE;
  RaiseGuarded([&] { OnLoadExternalResource(this, url ? url : L"", stream); });
  return S_OK;
}

HRESULT TPlayerControl::CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled) {
  if (!OnLoadExternalResourceEx) return S_FALSE;
  bool taken = handled ? *handled : false;
  RaiseGuarded([&] { OnLoadExternalResourceEx(this, url ? url : L"", stream, taken); });
  if (handled) *handled = taken;
  return S_OK;
}

HRESULT TPlayerControl::CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream) {
  if (!OnLoadExternalResourceAsync) return S_FALSE;
  TStream* supplied = stream ? *stream : nullptr;
  RaiseGuarded([&] { OnLoadExternalResourceAsync(this, path ? path : L"", supplied); });
  if (stream) *stream = supplied;
  return S_OK;
}

HRESULT TPlayerControl::CallUnloadExternalResourceAsync(TStream* stream) {
  if (!OnUnloadExternalResourceAsync) return S_FALSE;
  RaiseGuarded([&] { OnUnloadExternalResourceAsync(this, stream); });
  return S_OK;
}

}  // namespace vell::player
