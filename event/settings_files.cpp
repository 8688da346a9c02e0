#include "event/settings_files.h"

#include <optional>
#include <string>

#include "event/text_lines.h"

namespace velkaro {

namespace {

template <std::size_t N>
bool NextWord(WordReader& words, Text<N>& slot) {
    std::string_view word;
    if (!words.Next(word)) return false;
    slot.Assign(word);
    return true;
}

bool NextInt(WordReader& words, std::int32_t& value) {
    std::string_view word;
    if (!words.Next(word)) return false;
    value = ParseInt(word);
    return true;
}

bool NextColour(WordReader& words, std::uint32_t& value) {
    std::string_view word;
    if (!words.Next(word)) return false;
    value = static_cast<std::uint32_t>(ParseInt64(word));
    return true;
}

}  // namespace

bool ReadSoundSettings(SoundSettings& s, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kSoundSettingsFile, disk);
    if (!bytes) return false;
    WordReader words(*bytes);
    (void)(NextWord(words, s.language) && NextWord(words, s.countdown) &&
           NextWord(words, s.start) && NextWord(words, s.passing) && NextWord(words, s.bestLap) &&
           NextWord(words, s.clock) && NextWord(words, s.endOfRace) &&
           NextWord(words, s.carFinish));
    return true;
}

bool WriteSoundSettings(const SoundSettings& s, Disk& disk) {
    std::string out;
    for (std::string_view keyword :
         {s.language.View(), s.countdown.View(), s.start.View(), s.passing.View(), s.bestLap.View(),
          s.clock.View(), s.endOfRace.View(), s.carFinish.View()}) {
        out.append(keyword);
        EndLine(out);
    }
    return WriteTextFile(kSoundSettingsFile, out, disk);
}

bool ReadDisplaySettings(std::string_view fileName, DisplaySettings& s, CustomColours& custom,
                         Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(fileName, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    s.style = FieldReader(lines.Next()).NextInt();
    FieldReader names(lines.Next());
    for (TextStyleSetting& t : s.textStyles) names.NextText(t.faceName);

    // From line 3 on, the integers follow one another whatever the line ends between them.
    WordReader words(std::string_view(*bytes).substr(lines.Position()));
    bool more = true;
    for (auto field :
         {&TextStyleSetting::size, &TextStyleSetting::weight, &TextStyleSetting::italic,
          &TextStyleSetting::underline, &TextStyleSetting::strikeOut}) {
        for (TextStyleSetting& t : s.textStyles) more = more && NextInt(words, t.*field);
    }
    for (std::uint32_t& c : s.textColours) more = more && NextColour(words, c);
    for (std::uint32_t& c : s.colours) more = more && NextColour(words, c);
    for (std::int32_t& w : s.columnWidths) more = more && NextInt(words, w);
    for (std::uint32_t& c : custom) more = more && NextColour(words, c);
    return true;
}

bool WriteDisplaySettings(std::string_view fileName, const DisplaySettings& s,
                          const CustomColours& custom, Disk& disk) {
    std::string out;
    AppendIntField(out, s.style);
    EndLine(out);
    for (const TextStyleSetting& t : s.textStyles) AppendField(out, t.faceName.View());
    EndLine(out);
    for (auto field :
         {&TextStyleSetting::size, &TextStyleSetting::weight, &TextStyleSetting::italic,
          &TextStyleSetting::underline, &TextStyleSetting::strikeOut}) {
        for (const TextStyleSetting& t : s.textStyles) AppendIntField(out, t.*field);
        EndLine(out);
    }
    for (std::uint32_t c : s.textColours) AppendIntField(out, c);
    EndLine(out);
    for (std::uint32_t c : s.colours) AppendIntField(out, c);
    EndLine(out);
    for (std::int32_t w : s.columnWidths) AppendIntField(out, w);
    EndLine(out);
    for (std::uint32_t c : custom) AppendIntField(out, c);
    EndLine(out);
    return WriteTextFile(fileName, out, disk);
}

Font StyleFont(const DisplaySettings& settings, int style, const ScreenSize& screen) {
    const TextStyleSetting& t = settings.textStyles[std::size_t(style)];
    Font f;
    f.face = t.faceName.View();
    f.height = screen.X(t.size);
    f.weight = t.weight;
    f.italic = t.italic != 0;
    f.underline = t.underline != 0;
    f.strikeOut = t.strikeOut != 0;
    return f;
}

}  // namespace velkaro
