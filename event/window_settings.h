#pragma once

#include <string>
#include <string_view>

#include "platform/disk.h"

namespace velkaro {

// Where the window puts its parts, kept between sessions in the program folder, a line each:
// "tree 230" (the event tree's width in pixels) and "race screen HDMI-1" (the screen that shows
// the race screen full screen; without that line it stays in the main window).
inline constexpr std::string_view kWindowSettingsFile = "Window.txt";
inline constexpr int kMostTreeWidth = 4000;
inline constexpr std::size_t kMostScreenName = 63;

struct WindowSettings {
    int treeWidth = 0;       // 0: the width the tree's labels need
    std::string raceScreen;  // empty: in the main window
    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// A line not understood is left out: the rest still counts.
WindowSettings ParseWindowSettings(std::string_view text);
std::string WindowSettingsText(const WindowSettings& settings);
WindowSettings ReadWindowSettings(Disk& disk);
bool WriteWindowSettings(const WindowSettings& settings, Disk& disk);

}  // namespace velkaro
