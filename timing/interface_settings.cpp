#include "timing/interface_settings.h"

#include <cstdio>
#include <string>

#include "platform/cp1252.h"

namespace velkaro {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next whitespace-separated word of text from *pos, empty at the end.
std::string_view NextWord(std::string_view text, std::size_t* pos) {
    std::size_t i = *pos;
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    *pos = i;
    return text.substr(start, i - start);
}

// A decimal integer at the start of word, read as a formatted input of "%d" reads it.
bool ParseInt(std::string_view word, std::int32_t* value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    std::int64_t n = 0;
    std::size_t digits = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i, ++digits) {
        if (n < 10'000'000'000) n = n * 10 + (word[i] - '0');
    }
    if (digits == 0) return false;
    *value = static_cast<std::int32_t>(negative ? -n : n);
    return true;
}

}  // namespace

bool ReadInterfaceSettings(InterfaceSettings& settings) {
    settings.port.Clear();
    settings.interfaceType.Clear();
    std::FILE* f = std::fopen(FileSystemName(kInterfaceSettingsFile).c_str(), "rb");
    if (!f) return false;
    std::string text;
    char buf[256];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);

    std::size_t pos = 0;
    std::string_view port = NextWord(text, &pos);
    if (port.empty()) return true;
    settings.port.Assign(port);
    if (!ParseInt(NextWord(text, &pos), &settings.ready)) return true;
    settings.interfaceType.Assign(NextWord(text, &pos));
    return true;
}

bool WriteInterfaceSettings(const InterfaceSettings& settings) {
    std::FILE* f = std::fopen(FileSystemName(kInterfaceSettingsFile).c_str(), "wb");
    if (!f) return false;
    std::string_view type = settings.ready == 0 ? kMk1Type : settings.interfaceType.View();
    int n = std::fprintf(f, "%s\t%d\t%.*s\r\n", settings.port.CStr(), settings.ready,
                         static_cast<int>(type.size()), type.data());
    bool ok = n > 0 && std::fflush(f) == 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace velkaro
