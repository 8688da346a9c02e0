#pragma once

#include <array>
#include <span>
#include <string_view>

#include "common/commands.h"

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
    MenuEntry{kNewEventCommand, "New event", true},
    MenuEntry{kLoadEventCommand, "Load event", false},
    kSeparator,
    MenuEntry{kSaveCommand, "Save", true},
    MenuEntry{kSaveAsCommand, "Save as...", false},
    kSeparator,
    kSeparator,
    MenuEntry{kQuitCommand, "Quit", true},
};
inline constexpr std::array kDatabaseMenu{
    MenuEntry{kCircuitsCommand, "Circuits", true},
    kSeparator,
    MenuEntry{kClubsCommand, "Clubs", true},
    kSeparator,
    MenuEntry{kDriversCommand, "Drivers", true},
    kSeparator,
    MenuEntry{kTranspondersCommand, "Transponders", true},
    kSeparator,
    MenuEntry{kFrequenciesCommand, "Frequencies", true},
};
inline constexpr std::array kPlanningMenu{
    MenuEntry{kPlanningQualificationCommand, "Planning qualification", true},
    kSeparator,
    MenuEntry{kPlanningFinalsCommand, "Planning finals", false},
};
inline constexpr std::array kSettingsMenu{
    MenuEntry{kSoundsCommand, "Sounds", true},       kSeparator,
    MenuEntry{kDisplayCommand, "Display", true},     kSeparator,
    MenuEntry{kInterfaceCommand, "Interface", true}, kSeparator,
    MenuEntry{kLivePageCommand, "Live page", false},
};
inline constexpr std::array kHelpMenu{MenuEntry{kHelpCommand, "Help", false}};

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
