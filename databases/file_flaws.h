#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "event/text_lines.h"
#include "platform/messages.h"

// Lines of a database file that a field of the program could never hold: a control byte (a TAB
// inside a one-field line among them), a text longer than its slot, more fields than a record
// has. Such a line is left out whole rather than stored cut or with the byte, and the director is
// told which file and which line.

namespace velkaro {

enum class FlawKind { ControlByte, TooLong, ExtraFields };

struct LineFlaw {
    int line = 0;  // from 1
    FlawKind kind = FlawKind::ControlByte;
    std::string_view field;  // as the director knows it ("name", "email")
    std::size_t limit = 0;   // TooLong: the characters the field holds
    unsigned char byte = 0;  // ControlByte: the first one met
};

struct FileFlaws {
    std::string_view file;  // Windows-1252, as on disk
    std::vector<LineFlaw> lines;
};

// The first flaw of one field, if any: `line` and `field` name it. False when the text fits.
bool FieldFlaw(std::string_view text, std::size_t capacity, int line, std::string_view field,
               LineFlaw& flaw);

// After a record's last field: a field that is not empty is one more than the record has.
bool ExtraFieldsFlaw(FieldReader& rest, int line, LineFlaw& flaw);

// One line for the director: "line 12, name: holds a control byte (0x09)".
std::string FlawLine(const LineFlaw& flaw);

inline constexpr std::string_view kFlawedFileTitle = "Damaged database file";
inline constexpr int kFlawLinesShown = 10;
// The file's name, then its flawed lines (the first kFlawLinesShown of them and how many more).
std::string FlawReport(const FileFlaws& flaws);

// Where the file is only read: the flaws, if any, are told with Ok.
void TellFlaws(const FileFlaws& flaws, Messages& messages);
// Where the file is edited and written back: true when there are no flaws, or when the director,
// told them, chose to edit what can be read (Ok then writes the file without those lines).
bool AcceptFlawedFile(const FileFlaws& flaws, Messages& messages);

}  // namespace velkaro
