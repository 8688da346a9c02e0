#include "platform/typed_text.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/cp1252.h"

namespace velkaro {
namespace {

// Central European letters the code page lacks, with the letter users type in their place.
// Those it has (s, z with caron, the acute vowels...) need no entry.
constexpr std::array<std::pair<char32_t, char>, 34> kNearest{{
    {U'\u0104', 'A'}, {U'\u0105', 'a'}, {U'\u0106', 'C'}, {U'\u0107', 'c'}, {U'\u010C', 'C'},
    {U'\u010D', 'c'}, {U'\u010E', 'D'}, {U'\u010F', 'd'}, {U'\u0118', 'E'}, {U'\u0119', 'e'},
    {U'\u011A', 'E'}, {U'\u011B', 'e'}, {U'\u0141', 'L'}, {U'\u0142', 'l'}, {U'\u0143', 'N'},
    {U'\u0144', 'n'}, {U'\u0147', 'N'}, {U'\u0148', 'n'}, {U'\u0150', 'O'}, {U'\u0151', 'o'},
    {U'\u0158', 'R'}, {U'\u0159', 'r'}, {U'\u015A', 'S'}, {U'\u015B', 's'}, {U'\u0164', 'T'},
    {U'\u0165', 't'}, {U'\u016E', 'U'}, {U'\u016F', 'u'}, {U'\u0170', 'U'}, {U'\u0171', 'u'},
    {U'\u0179', 'Z'}, {U'\u017A', 'z'}, {U'\u017B', 'Z'}, {U'\u017C', 'z'},
}};

bool Storable(char32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return false;
    return cp == U'?' || Cp1252FromCodePoint(cp) != '?';
}

std::string RefusalOfLength(std::u32string_view text, std::size_t limit) {
    if (limit != 0 && text.size() > limit) {
        return "This field holds at most " + std::to_string(limit) + " characters.";
    }
    return {};
}

}  // namespace

char NearestCp1252Letter(char32_t cp) {
    for (const auto& [from, to] : kNearest) {
        if (from == cp) return to;
    }
    return 0;
}

std::string RefusalOfTypedText(std::u32string_view text, std::size_t limit) {
    for (char32_t cp : text) {
        if (cp == U'\t' || cp == U'\n' || cp == U'\r') {
            return "A name or text holds a single line: tabs and line breaks cannot be stored.";
        }
        if (Storable(cp)) continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
        std::string why =
            std::string("The character ") + code + " cannot be stored in the program's files.";
        if (char near = NearestCp1252Letter(cp)) {
            why += std::string(" Type \"") + near + "\" instead.";
        }
        return why;
    }
    return RefusalOfLength(text, limit);
}

std::string RefusalOfTypedDigits(std::u32string_view text, std::size_t limit) {
    for (char32_t cp : text) {
        if (cp < U'0' || cp > U'9') return "This field takes digits only.";
    }
    return RefusalOfLength(text, limit);
}

}  // namespace velkaro
