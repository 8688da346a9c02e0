#pragma once

#include <array>
#include <span>
#include <string_view>

namespace velkaro {

// One line of a menu: a command with its id, or a separator (id 0).
struct MenuEntry {
    int id;
    std::string_view label;
    bool hasBitmap;
};

struct MenuDef {
    std::string_view title;
    std::span<const MenuEntry> entries;
};

inline constexpr MenuEntry kSeparator{0, {}, false};

inline constexpr std::array kFileMenu{
    MenuEntry{1001, "New event", true},
    MenuEntry{1002, "Load event", false},
    kSeparator,
    MenuEntry{1003, "Save", true},
    MenuEntry{1004, "Save as...", false},
    kSeparator,
    kSeparator,
    MenuEntry{1005, "Quit", true},
};
inline constexpr std::array kDatabaseMenu{
    MenuEntry{1006, "Circuits", true},     kSeparator,
    MenuEntry{1007, "Clubs", true},        kSeparator,
    MenuEntry{1008, "Drivers", true},      kSeparator,
    MenuEntry{1009, "Transponders", true}, kSeparator,
    MenuEntry{1010, "Frequencies", true},
};
inline constexpr std::array kPlanningMenu{
    MenuEntry{1011, "Planning qualification", true},
    kSeparator,
    MenuEntry{1012, "Planning finals", false},
};
inline constexpr std::array kSettingsMenu{
    MenuEntry{1013, "Sounds", true},    kSeparator, MenuEntry{1014, "Display", true}, kSeparator,
    MenuEntry{1015, "Interface", true},
};
inline constexpr std::array kHelpMenu{MenuEntry{1017, "Help", false}};

inline constexpr std::array<MenuDef, 5> kMenuBar{{
    {"File", kFileMenu},
    {"Database", kDatabaseMenu},
    {"Planning of race", kPlanningMenu},
    {"Settings", kSettingsMenu},
    {"?", kHelpMenu},
}};

// The small picture beside a menu entry, in the program folder.
inline constexpr const char* kMenuBitmapFormat = "images/menu%d.bmp";

}  // namespace velkaro
