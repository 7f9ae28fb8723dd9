#include "object/DispatchCalls.h"

#include <algorithm>

namespace pageplayer {

void RaiseEvent(const TConnectionPoint& events, DISPID id, std::vector<TVariant> arguments) {
  std::vector<VARIANT> reversed;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(it->Value());
  events.ForEachSink<IDispatch>([&](IDispatch& sink) {
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    TVariant result;
    EXCEPINFO exception{};
    UINT wrongArgument = 0;
    sink.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Get(), &exception,
                &wrongArgument);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  });
}

void NotifyPropertyChanged(const TConnectionPoint& sinks, DISPID id) {
  sinks.ForEachSink<IPropertyNotifySink>([&](IPropertyNotifySink& sink) { sink.OnChanged(id); });
}

std::optional<TVariant> ReadAmbient(IUnknown* site, DISPID id) {
  const auto dispatch = TComPtr<IDispatch>::Query(site, IID_IDispatch);
  if (!dispatch) return std::nullopt;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  TVariant value;
  if (FAILED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.Get(), nullptr,
                              nullptr))) {
    return std::nullopt;
  }
  return value;
}

HRESULT HandOutString(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring FromBstr(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace pageplayer
