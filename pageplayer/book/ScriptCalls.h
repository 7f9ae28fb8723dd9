#pragma once
#include <optional>
#include <string>

namespace pageplayer {

// The script call that tells the host the book is ready, with its page count.
std::wstring BookReadyCall(int pageCount);

// The name of an <invoke name="..."> request; none when it is no invoke.
std::optional<std::wstring> InvokedFunction(const std::wstring& request);

// A number answer of a script call: <number>N</number>.
std::wstring NumberAnswer(int value);

}  // namespace pageplayer
