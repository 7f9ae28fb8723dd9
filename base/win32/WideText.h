// Text between the system code page and UTF-16, for the places where an
// 8-bit path or message meets a wide system call.
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
