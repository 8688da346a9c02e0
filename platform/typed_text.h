#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

// What a text field may take from the keyboard or the clipboard: every character must have a
// Windows-1252 byte, a name or text stays on one line, and it never outgrows its slot, so that
// nothing is cut or mangled when it is written.

// The letter of the code page nearest to a character it lacks (l for U+0142), or 0 when there is
// none worth offering.
char NearestCp1252Letter(char32_t cp);

// Empty when the field may hold `text` (`limit` characters at most, 0 for no limit); otherwise
// why not, in Windows-1252, naming the first character at fault.
std::string RefusalOfTypedText(std::u32string_view text, std::size_t limit);
// The same for a field of digits only (a time's parts, a lap count).
std::string RefusalOfTypedDigits(std::u32string_view text, std::size_t limit);

}  // namespace velkaro
