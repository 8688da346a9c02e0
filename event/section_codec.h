#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/run_options.h"
#include "common/transponder.h"
#include "event/text_lines.h"
#include "platform/text.h"

// A section's layout is written once, as a function template over an `Io` that is either of
// the two classes below: the same lines and fields are then read and written, and a field added
// to one direction cannot be forgotten in the other. The record is const when writing.
//
//   template <typename Io, typename R> void Lay(Io& io, R& record) {
//       io.Line();                          // first line: always there
//       io.Field(record.name);
//       for (auto& e : record.entries) {
//           if (!io.Line()) break;          // reading: the body ended
//           io.Field(e.laps);
//       }
//   }

namespace velkaro {

class SectionWriter {
  public:
    explicit SectionWriter(std::size_t reserve = 0) { out_.reserve(reserve); }

    // Starts a line, ending the one before.
    bool Line() {
        if (open_) EndLine(out_);
        open_ = true;
        return true;
    }
    template <std::size_t N>
    void Field(const Text<N>& text) {
        AppendField(out_, text.View());
    }
    void Field(std::int32_t value) { AppendIntField(out_, value); }
    template <typename E>
    void Field(const Keyword<E>& word) {
        AppendField(out_, word.View());
    }
    template <std::size_t N>
    void Field(const std::array<std::int32_t, N>& values) {
        for (std::int32_t v : values) AppendIntField(out_, v);
    }
    // Written as six digits whatever was typed.
    void Transponder(const Text<7>& chip) {
        AppendField(out_, NormalTransponder(chip.View()).View());
    }

    // The content, its last line ended.
    std::string_view Content() {
        if (open_) EndLine(out_);
        open_ = false;
        return out_;
    }

  private:
    std::string out_;
    bool open_ = false;
};

class SectionReader {
  public:
    explicit SectionReader(LineReader& lines) : lines_(lines) {}

    // Moves to the next line; false when the body had ended (the fields then read as empty).
    bool Line() {
        bool had = !lines_.AtEnd();
        fields_ = FieldReader(lines_.Next());
        return had;
    }
    template <std::size_t N>
    void Field(Text<N>& text) {
        fields_.NextText(text);
    }
    void Field(std::int32_t& value) { value = fields_.NextInt(); }
    template <typename E>
    void Field(Keyword<E>& word) {
        word = Keyword<E>::Parse(fields_.Next());
    }
    template <std::size_t N>
    void Field(std::array<std::int32_t, N>& values) {
        for (std::int32_t& v : values) v = fields_.NextInt();
    }
    void Transponder(Text<7>& chip) { chip = NormalTransponder(fields_.Next()); }

  private:
    LineReader& lines_;
    FieldReader fields_{{}};
};

}  // namespace velkaro
