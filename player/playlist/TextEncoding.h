#pragma once

#include <string>
#include <string_view>

// The two encodings list lines come in: UTF-8, and Windows-1252, the code
// page of lists written by Windows programs in Western Europe and America.
namespace textencoding {

// True for well-formed UTF-8 (RFC 3629: no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isUtf8(std::string_view text);

// The text read as Windows-1252, written as UTF-8. The five bytes that code
// page leaves undefined stand for the control characters of their value.
std::string windows1252ToUtf8(std::string_view text);

// The text with its letters in one case, for comparing names as Windows
// does: the letters of ASCII, of Latin-1 and the others of Windows-1252.
// Bytes that are not UTF-8 are kept as they are.
std::string foldCase(std::string_view text);

} // namespace textencoding
