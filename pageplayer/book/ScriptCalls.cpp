#include "ScriptCalls.h"

namespace pageplayer {

std::wstring BookReadyCall(int pageCount) {
  return L"<invoke name=\"bookReady\" returntype=\"xml\"><arguments>" + NumberAnswer(pageCount) +
         L"</arguments></invoke>";
}

std::optional<std::wstring> InvokedFunction(const std::wstring& request) {
  const std::size_t start = request.find(L"<invoke");
  if (start == std::wstring::npos) return std::nullopt;
  const std::size_t end = request.find(L'>', start);
  const std::size_t name = request.find(L"name=", start);
  if (name == std::wstring::npos || name > end || name + 5 >= request.size()) return std::nullopt;
  const wchar_t quote = request[name + 5];
  if (quote != L'"' && quote != L'\'') return std::nullopt;
  const std::size_t close = request.find(quote, name + 6);
  if (close == std::wstring::npos) return std::nullopt;
  return request.substr(name + 6, close - name - 6);
}

std::wstring NumberAnswer(int value) { return L"<number>" + std::to_wstring(value) + L"</number>"; }

}  // namespace pageplayer
