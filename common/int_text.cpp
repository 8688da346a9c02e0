#include "common/int_text.h"

namespace velkaro {

char* PutInt(char* out, std::int32_t v, int width) {
    bool negative = v < 0;
    std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *out++ = '-';
    for (int zeros = width - n - (negative ? 1 : 0); zeros > 0; --zeros) *out++ = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

}  // namespace velkaro
