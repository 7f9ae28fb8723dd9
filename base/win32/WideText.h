// Text between the system code page and UTF-16, for the places where an
// 8-bit path or message meets a wide system call.
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// UTF-8 both ways, for text that is UTF-8 whatever it holds (stored files, tools' output).
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// Text that may hold names the code page cannot: such text travels as UTF-8,
// everything else stays in the code page. Text that decodes as UTF-8 and is
// not plain ASCII is read as UTF-8; anything else keeps its code-page meaning,
// so text from older callers is read as before.
std::wstring TextToWide(const std::string& text);
// The code page where it holds the text without loss, UTF-8 otherwise.
std::string WideToText(const std::wstring& text);
// Whether the system code page holds every character of the text.
bool CodePageHolds(const std::wstring& text);
