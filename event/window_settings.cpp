#include "event/window_settings.h"

#include <algorithm>

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
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with(kTreeKey)) {
            std::string_view digits = line.substr(kTreeKey.size());
            int width = 0;
            bool ok = !digits.empty() && digits.size() <= 4;
            for (char c : digits) {
                ok = ok && c >= '0' && c <= '9';
                width = width * 10 + (c - '0');
            }
            if (ok && width <= kMostTreeWidth) s.treeWidth = width;
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
