#include "event/window_settings.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "event/text_lines.h"

namespace velkaro {

namespace {

constexpr std::string_view kTreeKey = "tree ";
constexpr std::string_view kScreenKey = "race screen ";

bool Printable(std::string_view name) {
    return !name.empty() && name.size() <= kMostScreenName &&
           std::all_of(name.begin(), name.end(), [](char c) {
               auto b = static_cast<unsigned char>(c);
               return b >= 0x20 && b != 0x7F;
           });
}

}  // namespace

WindowSettings ParseWindowSettings(std::string_view text) {
    WindowSettings s;
    LineReader lines(text);
    while (!lines.AtEnd()) {
        std::string_view line = lines.Next();
        if (line.starts_with(kTreeKey)) {
            std::string_view digits = line.substr(kTreeKey.size());
            unsigned width = 0;
            auto [end, fault] =
                std::from_chars(digits.data(), digits.data() + digits.size(), width);
            if (fault == std::errc{} && end == digits.data() + digits.size() &&
                digits.size() <= 4 && width <= unsigned(kMostTreeWidth)) {
                s.treeWidth = int(width);
            }
        } else if (line.starts_with(kScreenKey)) {
            std::string_view name = line.substr(kScreenKey.size());
            if (Printable(name)) s.raceScreen = name;
        }
    }
    return s;
}

std::string WindowSettingsText(const WindowSettings& s) {
    std::string text = std::string(kTreeKey) + std::to_string(s.treeWidth) + "\r\n";
    if (Printable(s.raceScreen)) text += std::string(kScreenKey) + s.raceScreen + "\r\n";
    return text;
}

WindowSettings ReadWindowSettings(Disk& disk) {
    std::optional<std::string> text = ReadWholeFile(disk, kWindowSettingsFile);
    return text ? ParseWindowSettings(*text) : WindowSettings{};
}

bool WriteWindowSettings(const WindowSettings& settings, Disk& disk) {
    return ReplaceWholeFile(disk, kWindowSettingsFile, WindowSettingsText(settings));
}

}  // namespace velkaro
