// The caption a book gives through the title of its "index.html": the file's
// bytes read as text (a byte-order mark chooses UTF-16 or UTF-8, anything
// else is 8-bit text in the system code page) and the text between the first
// "<title>" and the first "</title>", found without regard to ASCII case.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

enum class TTextEncoding { SystemCodePage, Utf8, Utf16LE, Utf16BE };

// The encoding that the leading byte-order mark announces, and the mark's
// length (0 for the system code page).
TTextEncoding DetectTextEncoding(std::string_view bytes, std::size_t& markLength);

// UTF-16 or UTF-8 bytes after their mark, as UTF-16 text; broken sequences
// become U+FFFD and an odd last byte of UTF-16 is dropped.
std::u16string DecodeUnicodeText(std::string_view bytes, TTextEncoding encoding);

// Every line break (CR LF, a lone CR or a lone LF) written as CR LF.
std::string JoinLinesCrLf(std::string_view text);
std::u16string JoinLinesCrLf(std::u16string_view text);

// The text between the first "<title>" and the first "</title>", as written;
// empty when either is missing or they stand in the wrong order.
std::string TitleBetweenTags(std::string_view text);
std::u16string TitleBetweenTags(std::u16string_view text);

// The title of an "index.html" read from its bytes; Unicode text reaches the
// 8-bit caption through toCodePage.
std::string BookTitleFromHtml(std::string_view bytes,
                              const std::function<std::string(const std::u16string&)>& toCodePage);
