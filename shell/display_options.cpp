#include "shell/display_options.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "event/text_lines.h"

namespace velkaro {

int DisplayAreaAt(int x, int y) {
    for (std::size_t i = 0; i < kDisplayAreas.size(); ++i) {
        const Rect& r = kDisplayAreas[i];
        if (x > r.left && x < r.right && y > r.top && y < r.bottom) return static_cast<int>(i);
    }
    return -1;
}

int SampleStyle(int sample, int column) {
    return sample < 3 ? sample : 3 + std::clamp(column, 0, 8);
}

std::int32_t WidthPlus(std::int32_t width) {
    return width <= kMaxDisplayWidth - 1 ? width + 1 : width;
}

std::int32_t WidthMinus(std::int32_t width) {
    return width > 0 ? width - 1 : width;
}

std::int32_t TypedWidth(std::string_view text) {
    return std::clamp<std::int32_t>(ParseInt(text), 0, kMaxDisplayWidth);
}

Font ChooserFont(const TextStyleSetting& style) {
    Font f;
    f.face = style.faceName.View();
    f.height = style.size;
    f.weight = style.weight;
    f.italic = style.italic != 0;
    f.underline = style.underline != 0;
    f.strikeOut = style.strikeOut != 0;
    return f;
}

void TakeChosenFont(TextStyleSetting& style, const Font& chosen) {
    style.faceName = chosen.face.View();
    style.size = std::clamp(chosen.height, 1, kMaxDisplayFontSize);
    style.weight = std::clamp(chosen.weight, 0, 1000);
    style.italic = chosen.italic ? 1 : 0;
    style.underline = chosen.underline ? 1 : 0;
    style.strikeOut = chosen.strikeOut ? 1 : 0;
}

std::string WithDisplayExtension(std::string name) {
    if (name.find(".scrn") == std::string::npos) name += ".scrn";
    return name;
}

namespace {

// The TAB-ended fields of a line; the TAB after the last field ends no further field.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t from = 0;
    while (from < line.size()) {
        std::size_t tab = line.find('\t', from);
        if (tab == std::string_view::npos) tab = line.size();
        out.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    return out;
}

bool Number(std::string_view field, std::int64_t low, std::int64_t high, std::int64_t& value) {
    const char* end = field.data() + field.size();
    auto [stop, error] = std::from_chars(field.data(), end, value);
    return error == std::errc{} && stop == end && value >= low && value <= high;
}

struct Checker {
    std::vector<std::string_view> lines;
    std::string& why;

    // Line n (from 1) holds `count` numbers from low to high, stored through `put`.
    template <typename Put>
    bool Numbers(int n, std::size_t count, std::int64_t low, std::int64_t high, Put put) {
        std::vector<std::string_view> f = Fields(lines[std::size_t(n - 1)]);
        if (f.size() != count) {
            why = "line " + std::to_string(n) + " holds " + std::to_string(f.size()) +
                  " values instead of " + std::to_string(count);
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            std::int64_t v = 0;
            if (!Number(f[i], low, high, v)) {
                why = "line " + std::to_string(n) + ": \"" + std::string(f[i].substr(0, 20)) +
                      "\" is not a value from " + std::to_string(low) + " to " +
                      std::to_string(high);
                return false;
            }
            put(i, v);
        }
        return true;
    }
};

}  // namespace

DisplayFileRead ReadDisplayFileChecked(std::string_view fileName, DisplaySettings& settings,
                                       CustomColours& custom, std::string& why, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(fileName, disk);
    if (!bytes) return DisplayFileRead::NotFound;
    Checker c{{}, why};
    LineReader reader(*bytes);
    while (!reader.AtEnd()) c.lines.push_back(reader.Next());
    while (!c.lines.empty() && c.lines.back().empty()) c.lines.pop_back();
    if (c.lines.size() != 11) {
        why = "it has " + std::to_string(c.lines.size()) + " lines instead of 11";
        return DisplayFileRead::Refused;
    }
    DisplaySettings s;
    CustomColours k{};
    std::vector<std::string_view> faces = Fields(c.lines[1]);
    if (faces.size() != s.textStyles.size()) {
        why = "line 2 holds " + std::to_string(faces.size()) + " font names instead of 12";
        return DisplayFileRead::Refused;
    }
    for (std::size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].size() > Text<32>::kCapacity) {
            why = "the font name \"" + std::string(faces[i].substr(0, 20)) + "...\" is too long";
            return DisplayFileRead::Refused;
        }
        s.textStyles[i].faceName = faces[i];
    }
    constexpr std::int64_t kColour = 0xFFFFFF;
    auto style = [&s](auto field) {
        return [&s, field](std::size_t i, std::int64_t v) {
            s.textStyles[i].*field = static_cast<std::int32_t>(v);
        };
    };
    bool ok =
        c.Numbers(1, 1, 0, 1, [&s](std::size_t, std::int64_t v) { s.style = std::int32_t(v); }) &&
        c.Numbers(3, 12, 0, kMaxDisplayFontSize, style(&TextStyleSetting::size)) &&
        c.Numbers(4, 12, 0, 1000, style(&TextStyleSetting::weight)) &&
        c.Numbers(5, 12, 0, 1, style(&TextStyleSetting::italic)) &&
        c.Numbers(6, 12, 0, 1, style(&TextStyleSetting::underline)) &&
        c.Numbers(7, 12, 0, 1, style(&TextStyleSetting::strikeOut)) &&
        c.Numbers(8, 12, 0, kColour,
                  [&s](std::size_t i, std::int64_t v) { s.textColours[i] = std::uint32_t(v); }) &&
        c.Numbers(9, 13, 0, kColour,
                  [&s](std::size_t i, std::int64_t v) { s.colours[i] = std::uint32_t(v); }) &&
        c.Numbers(10, 9, 0, kMaxDisplayWidth,
                  [&s](std::size_t i, std::int64_t v) { s.columnWidths[i] = std::int32_t(v); }) &&
        c.Numbers(11, 16, 0, kColour,
                  [&k](std::size_t i, std::int64_t v) { k[i] = std::uint32_t(v); });
    if (!ok) return DisplayFileRead::Refused;
    settings = s;
    custom = k;
    return DisplayFileRead::Taken;
}

}  // namespace velkaro
