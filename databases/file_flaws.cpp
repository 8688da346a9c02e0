#include "databases/file_flaws.h"

#include <algorithm>
#include <cstdio>

namespace velkaro {

bool FieldFlaw(std::string_view text, std::size_t capacity, int line, std::string_view field,
               LineFlaw& flaw) {
    auto control = std::find_if(text.begin(), text.end(), [](char c) {
        auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    if (control != text.end()) {
        flaw = {line, FlawKind::ControlByte, field, 0, static_cast<unsigned char>(*control)};
        return true;
    }
    if (text.size() > capacity) {
        flaw = {line, FlawKind::TooLong, field, capacity, 0};
        return true;
    }
    return false;
}

bool ExtraFieldsFlaw(FieldReader& rest, int line, LineFlaw& flaw) {
    while (!rest.AtEnd()) {
        if (!rest.Next().empty()) {
            flaw = {line, FlawKind::ExtraFields, {}, 0, 0};
            return true;
        }
    }
    return false;
}

std::string FlawLine(const LineFlaw& flaw) {
    std::string text = "line " + std::to_string(flaw.line);
    switch (flaw.kind) {
        case FlawKind::ControlByte: {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", flaw.byte);
            return text + ", " + std::string(flaw.field) + ": holds a control byte (" + code + ")";
        }
        case FlawKind::TooLong:
            return text + ", " + std::string(flaw.field) + ": longer than " +
                   std::to_string(flaw.limit) + " characters";
        case FlawKind::ExtraFields:
            return text + ": more fields than a record has (a TAB inside a text?)";
    }
    return text;
}

std::string FlawReport(const FileFlaws& flaws) {
    std::string text = "\"" + std::string(flaws.file) + "\" holds lines the program cannot take:";
    const std::size_t shown = std::min(flaws.lines.size(), std::size_t(kFlawLinesShown));
    for (std::size_t i = 0; i < shown; ++i) text += "\n" + FlawLine(flaws.lines[i]);
    if (std::size_t more = flaws.lines.size() - shown; more > 0) {
        text += "\nand " + std::to_string(more) + " more line" + (more > 1 ? "s" : "");
    }
    return text;
}

void TellFlaws(const FileFlaws& flaws, Messages& messages) {
    if (flaws.lines.empty()) return;
    messages.Show(kFlawedFileTitle, FlawReport(flaws) + "\n\nThese lines are left out.",
                  MessageButtons::Ok, MessageIcon::Warning);
}

bool AcceptFlawedFile(const FileFlaws& flaws, Messages& messages) {
    if (flaws.lines.empty()) return true;
    std::string text = FlawReport(flaws) +
                       "\n\nEdit the other lines?\nOk then writes the file without these lines; "
                       "No leaves it as it is.";
    return messages.Show(kFlawedFileTitle, text, MessageButtons::YesNo, MessageIcon::Warning) ==
           MessageAnswer::Yes;
}

}  // namespace velkaro
