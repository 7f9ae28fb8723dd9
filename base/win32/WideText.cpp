#include "WideText.h"

#include <windows.h>

#include <algorithm>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string ToNarrow(UINT codePage, const std::wstring& text) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
  return narrow;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }

std::string WideToAnsi(const std::wstring& text) { return ToNarrow(CP_ACP, text); }

std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }

std::string WideToUtf8(const std::wstring& text) { return ToNarrow(CP_UTF8, text); }

std::wstring TextToWide(const std::string& text) {
  if (text.empty()) return {};
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii &&
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0) > 0)
    return Utf8ToWide(text);
  return AnsiToWide(text);
}

bool CodePageHolds(const std::wstring& text) { return AnsiToWide(WideToAnsi(text)) == text; }

std::string WideToText(const std::wstring& text) {
  if (text.empty()) return {};
  const std::string ansi = WideToAnsi(text);
  if (AnsiToWide(ansi) == text && TextToWide(ansi) == text) return ansi;
  return WideToUtf8(text);
}
