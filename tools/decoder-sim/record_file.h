#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/decoder-sim/wire.h"

namespace velkaro::sim {

// A record file is text, one line per burst of bytes the decoder sent:
//
//   # a comment; blank lines are skipped
//   model mk2                      (optional, once, before the first burst)
//   1520 FF FF FF F0 03 E9 00 00 01 B4 5F
//   1523 03 EA
//
// The number is the time in milliseconds since the start of the replay, never decreasing; the
// bytes follow in hexadecimal, one or two digits each, separated by spaces or tabs. A line ends
// in LF, with or without a CR before it.
struct RecordBurst {
    std::int64_t atMs = 0;
    std::vector<std::uint8_t> bytes;
};

struct Record {
    std::optional<Model> model;
    std::vector<RecordBurst> bursts;
};

// False with a message naming the line when the text is not a record.
bool ParseRecord(std::string_view text, Record* record, std::string* error);

// The header and one line of a record file, each ending in LF.
std::string RecordHeader(Model model);
std::string RecordLine(std::int64_t atMs, const std::uint8_t* bytes, std::size_t count);

}  // namespace velkaro::sim
