#pragma once
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <optional>
#include <string>
#include <vector>

#include "object/ConnectionPoint.h"

namespace pageplayer {

// A variant that clears itself.
class TVariant {
public:
  TVariant() { VariantInit(&value_); }
  explicit TVariant(long number) : TVariant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  explicit TVariant(const std::wstring& text) : TVariant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  TVariant(TVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  ~TVariant() { VariantClear(&value_); }
  VARIANT* Get() { return &value_; }
  const VARIANT& Value() const { return value_; }

private:
  VARIANT value_;
};

// Raises an event on every sink of the event interface. Arguments are given
// in the order the event declares them; COM wants them last first.
void RaiseEvent(const TConnectionPoint& events, DISPID id, std::vector<TVariant> arguments);

// Tells the property-change sinks that a property changed.
void NotifyPropertyChanged(const TConnectionPoint& sinks, DISPID id);

// Asks the client site's dispatch for an ambient property.
std::optional<TVariant> ReadAmbient(IUnknown* site, DISPID id);

// A string handed to COM, or E_POINTER / E_OUTOFMEMORY.
HRESULT HandOutString(const std::wstring& text, BSTR* out);
std::wstring FromBstr(BSTR text);

}  // namespace pageplayer
