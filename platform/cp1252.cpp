#include "platform/cp1252.h"

#include <iconv.h>

#include <array>

namespace velkaro {
namespace {

// The code page's table comes from the C library's converter, one byte at a time; the bytes it
// refuses are the five undefined ones.
std::array<char32_t, 256> BuildTable() {
    std::array<char32_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<char32_t>(b);
    iconv_t cd = iconv_open("UTF-32LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (int b = 0x80; b < 0xA0; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[4] = {};
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
            outLeft == 0) {
            table[b] = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
        }
    }
    iconv_close(cd);
    return table;
}

const std::array<char32_t, 256>& Table() {
    static const std::array<char32_t, 256> table = BuildTable();
    return table;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
    return Table()[byte];
}

char Cp1252FromCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    const auto& table = Table();
    for (int b = 0x80; b < 0xA0; ++b) {
        if (table[b] == cp) return static_cast<char>(b);
    }
    return '?';
}

std::string Utf8FromCp1252(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() * 2);
    for (char c : cp1252) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Cp1252FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t extra = lead < 0x80             ? 0
                            : (lead & 0xE0) == 0xC0 ? 1
                            : (lead & 0xF0) == 0xE0 ? 2
                            : (lead & 0xF8) == 0xF0 ? 3
                                                    : 4;  // a stray continuation byte
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        bool ok = extra < 4 && i + extra < utf8.size() + (extra == 0);
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            unsigned char cont = static_cast<unsigned char>(utf8[i + k]);
            ok = (cont & 0xC0) == 0x80;
            cp = (cp << 6) | (cont & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += Cp1252FromCodePoint(cp);
        i += extra + 1;
    }
    return out;
}

}  // namespace velkaro
