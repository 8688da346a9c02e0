#include "event/text_lines.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace velkaro {

std::string_view LineReader::Next() {
    if (pos_ >= bytes_.size()) return {};
    const char* start = bytes_.data() + pos_;
    std::size_t left = bytes_.size() - pos_;
    const void* lf = std::memchr(start, '\n', left);
    std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : left;
    pos_ += lf ? length + 1 : length;
    if (lf && length > 0 && start[length - 1] == '\r') --length;
    return {start, length};
}

std::string_view FieldReader::Next() {
    if (pos_ >= line_.size()) return {};
    std::size_t tab = line_.find('\t', pos_);
    std::size_t end = tab == std::string_view::npos ? line_.size() : tab;
    std::string_view field = line_.substr(pos_, end - pos_);
    pos_ = tab == std::string_view::npos ? line_.size() : tab + 1;
    return field;
}

std::int32_t FieldReader::NextInt() {
    return ParseInt(Next());
}

void FieldReader::Skip(int fields) {
    for (int i = 0; i < fields && !AtEnd(); ++i) Next();
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

bool WordReader::Next(std::string_view& word) {
    while (pos_ < bytes_.size() && IsSpace(bytes_[pos_])) ++pos_;
    if (pos_ >= bytes_.size()) return false;
    std::size_t start = pos_;
    while (pos_ < bytes_.size() && !IsSpace(bytes_[pos_])) ++pos_;
    word = bytes_.substr(start, pos_ - start);
    return true;
}

std::int64_t ParseInt64(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    // Digits beyond 18 no longer change the outcome: the value already lies past 32 bits.
    constexpr std::int64_t kEnough = 100000000000000000;
    std::int64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (value < kEnough) value = value * 10 + (field[i] - '0');
    }
    return negative ? -value : value;
}

bool StartsWithNumber(std::string_view field) {
    std::size_t sign = !field.empty() && (field[0] == '+' || field[0] == '-') ? 1 : 0;
    return field.size() > sign && field[sign] >= '0' && field[sign] <= '9';
}

std::int32_t ParseInt(std::string_view field) {
    std::int64_t value = ParseInt64(field);
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::string> ReadTextFile(std::string_view name, Disk& disk) {
    return ReadWholeFile(disk, name);
}

bool WriteTextFile(std::string_view name, std::string_view bytes, Disk& disk) {
    return ReplaceWholeFile(disk, name, bytes);
}

void AppendField(std::string& out, std::string_view text) {
    std::size_t at = out.size();
    out.append(text);
    if (text.find_first_of("\t\r\n") != std::string_view::npos) {
        for (std::size_t i = at; i < out.size(); ++i) {
            if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r') out[i] = ' ';
        }
    }
    out += '\t';
}

void AppendIntField(std::string& out, std::int64_t value) {
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits - 1, value);
    (void)ec;  // 23 characters hold every 64-bit value
    *end++ = '\t';
    out.append(digits, end);
}

}  // namespace velkaro
