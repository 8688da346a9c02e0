#include "common/transponder.h"

namespace velkaro {

std::int32_t TransponderNumber(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return kNoTransponder;
    text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
    if (text.size() > static_cast<std::size_t>(kTransponderDigits)) return kNoTransponder;
    std::int32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return kNoTransponder;
        n = n * 10 + (c - '0');
    }
    return n;
}

TransponderText TransponderDigits(std::int32_t number) {
    TransponderText t;
    if (number >= 0 && number <= kLargestTransponder) Format(t, "%06d", number);
    return t;
}

TransponderText NormalTransponder(std::string_view text) {
    std::int32_t n = TransponderNumber(text);
    return TransponderDigits(n);
}

bool SameTransponder(std::string_view a, std::string_view b) {
    std::int32_t n = TransponderNumber(a);
    return n != kNoTransponder && n == TransponderNumber(b);
}

bool TransponderTypingAllowed(std::string_view typed) {
    if (typed.size() > static_cast<std::size_t>(kTransponderDigits)) return false;
    for (char c : typed) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace velkaro
