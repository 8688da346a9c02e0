#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "common/commands.h"

namespace velkaro {

// The menu bar's layout: which command stands where, or a separator (no command). Labels,
// pictures and shortcuts are the commands' own.
using MenuEntry = std::optional<CommandId>;

struct MenuDef {
    std::string_view title;
    std::span<const MenuEntry> entries;
    bool onNode = false;  // the entries work on the tree's selection and its category
};

inline constexpr MenuEntry kSeparator{};

inline constexpr std::array<MenuEntry, 8> kFileMenu{
    CommandId::NewEvent, CommandId::LoadEvent, kSeparator, CommandId::Save,
    CommandId::SaveAs,   kSeparator,           kSeparator, CommandId::Quit,
};
// What the tree's pop-ups offer, for the selected node and its category.
inline constexpr std::array<MenuEntry, 16> kEventMenu{
    CommandId::NewCategory,
    CommandId::RenameCategory,
    kSeparator,
    CommandId::Track,
    CommandId::Participants,
    kSeparator,
    CommandId::QualifParameters,
    CommandId::QualifArrangement,
    kSeparator,
    CommandId::RoundClassification,
    CommandId::OverallClassification,
    kSeparator,
    CommandId::FinalsParameters,
    CommandId::FinalsArrangement,
    kSeparator,
    CommandId::ClosureReport,
};
inline constexpr std::array<MenuEntry, 6> kRaceMenu{
    CommandId::Start, CommandId::Stop,     CommandId::Clear,
    kSeparator,       CommandId::NextHeat, CommandId::PreviousHeat,
};
inline constexpr std::array<MenuEntry, 9> kDatabaseMenu{
    CommandId::Circuits,    kSeparator, CommandId::Clubs,        kSeparator,
    CommandId::Drivers,     kSeparator, CommandId::Transponders, kSeparator,
    CommandId::Frequencies,
};
inline constexpr std::array<MenuEntry, 3> kPlanningMenu{CommandId::PlanningQualification,
                                                        kSeparator, CommandId::PlanningFinals};
inline constexpr std::array<MenuEntry, 7> kSettingsMenu{
    CommandId::Sounds,    kSeparator, CommandId::Display,  kSeparator,
    CommandId::Interface, kSeparator, CommandId::LivePage,
};
inline constexpr std::array<MenuEntry, 1> kHelpMenu{CommandId::Help};

inline constexpr std::array<MenuDef, 7> kMenuBar{{
    {"File", kFileMenu},
    {"Event", kEventMenu, true},
    {"Race", kRaceMenu},
    {"Database", kDatabaseMenu},
    {"Planning of race", kPlanningMenu},
    {"Settings", kSettingsMenu},
    {"?", kHelpMenu},
}};

// The results button's pop-up.
inline constexpr std::array kRunPopup{CommandId::ModifyRunResults, CommandId::RunDetails,
                                      CommandId::AddComment};

}  // namespace velkaro
