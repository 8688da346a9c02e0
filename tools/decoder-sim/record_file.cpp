#include "tools/decoder-sim/record_file.h"

#include <cstdio>

namespace velkaro::sim {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view NextWord(std::string_view line, std::size_t* pos) {
    std::size_t i = *pos;
    while (i < line.size() && IsBlank(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    *pos = i;
    return line.substr(start, i - start);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Fail(std::string* error, int line, const std::string& what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

}  // namespace

bool ParseRecord(std::string_view text, Record* record, std::string* error) {
    *record = Record{};
    int number = 0;
    std::int64_t lastMs = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::size_t pos = 0;
        std::string_view first = NextWord(line, &pos);
        if (first.empty() || first[0] == '#') continue;
        if (first == "model") {
            std::string_view which = NextWord(line, &pos);
            if (record->model || !record->bursts.empty()) {
                return Fail(error, number, "the model comes once, before the first bytes");
            }
            if (which == "mk1") {
                record->model = Model::Mk1;
            } else if (which == "mk2") {
                record->model = Model::Mk2;
            } else {
                return Fail(error, number, "the model is mk1 or mk2");
            }
            if (!NextWord(line, &pos).empty()) return Fail(error, number, "one model only");
            continue;
        }

        RecordBurst burst;
        if (first.size() > 12) return Fail(error, number, "time out of range");
        for (char c : first) {
            if (c < '0' || c > '9') {
                return Fail(error, number, "a line starts with its time in milliseconds");
            }
            burst.atMs = burst.atMs * 10 + (c - '0');
        }
        if (burst.atMs < lastMs) return Fail(error, number, "time goes backwards");
        for (std::string_view word; !(word = NextWord(line, &pos)).empty();) {
            int high = HexDigit(word[0]);
            int low = word.size() == 2 ? HexDigit(word[1]) : 0;
            if (word.size() > 2 || high < 0 || low < 0) {
                return Fail(error, number, "\"" + std::string(word) + "\" is not a byte in hex");
            }
            burst.bytes.push_back(
                static_cast<std::uint8_t>(word.size() == 2 ? high * 16 + low : high));
        }
        if (burst.bytes.empty()) return Fail(error, number, "no bytes after the time");
        lastMs = burst.atMs;
        record->bursts.push_back(std::move(burst));
    }
    return true;
}

std::string RecordHeader(Model model) {
    return std::string("# decoder-sim record: milliseconds since the start, then the bytes\n") +
           (model == Model::Mk1 ? "model mk1\n" : "model mk2\n");
}

std::string RecordLine(std::int64_t atMs, const std::uint8_t* bytes, std::size_t count) {
    std::string line = std::to_string(atMs);
    char hex[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        line += hex;
    }
    line += '\n';
    return line;
}

}  // namespace velkaro::sim
