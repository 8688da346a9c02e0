#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkaro {

// Windows-1252 is the byte encoding of every text the logic keeps. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as
// ICU does, so that all 256 bytes survive a round trip through Unicode.

// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or '?' when the code page has none.
char Cp1252FromCodePoint(char32_t cp);

std::string Utf8FromCp1252(std::string_view cp1252);
// Malformed UTF-8 sequences and characters outside the code page become '?'.
std::string Cp1252FromUtf8(std::string_view utf8);

// A Windows-1252 file name as the file system spells it (UTF-8 names on Linux).
inline std::string FileSystemName(std::string_view cp1252) {
    return Utf8FromCp1252(cp1252);
}

}  // namespace velkaro
