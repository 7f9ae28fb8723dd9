// An owned BSTR: freed when it goes, filled through Out by a COM call.
#pragma once
#include <oleauto.h>

#include <string>
#include <utility>

class TBstr {
public:
  TBstr() = default;
  // The whole text, embedded nulls included.
  explicit TBstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(value_); }

  BSTR Get() const { return value_; }
  // For out-parameters: frees what it held first.
  BSTR* Out() {
    SysFreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  // Hands the string to the caller, who frees it.
  BSTR Detach() { return std::exchange(value_, nullptr); }
  std::wstring Text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
  BSTR value_ = nullptr;
};
