#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/disk.h"
#include "platform/text.h"

namespace velkaro {

// Lines of a text file held in memory: LF ends a line and a CR just before it is dropped.
// Reading past the end gives empty lines, so a short file reads as if padded with them.
class LineReader {
  public:
    explicit LineReader(std::string_view bytes, std::size_t from = 0)
        : bytes_(bytes), pos_(from < bytes.size() ? from : bytes.size()) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }
    std::size_t Position() const { return pos_; }
    std::string_view Next();

  private:
    std::string_view bytes_;
    std::size_t pos_;
};

// The TAB-separated fields of one line. A missing field reads as empty, or as 0 for a number.
class FieldReader {
  public:
    explicit FieldReader(std::string_view line) : line_(line) {}

    bool AtEnd() const { return pos_ >= line_.size(); }
    std::string_view Next();
    std::int32_t NextInt();
    template <std::size_t N>
    void NextText(Text<N>& slot) {
        slot.Assign(Next());  // a longer field is cut to the slot, the rest skipped
    }
    void Skip(int fields);

  private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

// Words separated by any white space, line ends included.
class WordReader {
  public:
    explicit WordReader(std::string_view bytes) : bytes_(bytes) {}
    // False at the end, with `word` untouched.
    bool Next(std::string_view& word);

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Reads a field as a signed decimal number the way the files were written: leading blanks
// skipped, an optional sign, the digits up to the first other character. Anything else reads
// as 0, and values beyond 32 bits stop at the nearest limit.
std::int32_t ParseInt(std::string_view field);
std::int64_t ParseInt64(std::string_view field);  // the same over 64 bits
// Whether the field holds a number at all: an optional sign, then at least one digit.
bool StartsWithNumber(std::string_view field);

// Small text files read and written whole (Windows-1252 names): nullopt when the file cannot
// be read; false when it cannot be written, the disk's LastFault saying why. A file is
// replaced in one step, so a crash leaves the old one or the new one.
std::optional<std::string> ReadTextFile(std::string_view name, Disk& disk);
bool WriteTextFile(std::string_view name, std::string_view bytes, Disk& disk);

// Writing: every field followed by a TAB, every line by CR LF. Text fields never hold a TAB
// or a line end, so any that slips in becomes a space rather than break the layout.
void AppendField(std::string& out, std::string_view text);
void AppendIntField(std::string& out, std::int64_t value);
inline void EndLine(std::string& out) {
    out += "\r\n";
}

}  // namespace velkaro
