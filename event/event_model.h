#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/run_car.h"
#include "common/run_options.h"  // the run option keywords
#include "platform/text.h"

namespace velkaro {

// Capacities of one event.
inline constexpr int kCategories = 9;
inline constexpr int kParticipants = 200;  // per category
inline constexpr int kHeatSlots = 220;     // the heat slot list of a category
inline constexpr int kRounds = 9;
inline constexpr int kHeatsPerRound = 20;
inline constexpr int kFinalsLevels = 11;  // 1/2 down to 1/2048
inline constexpr int kFlagsPerCategory = kRounds * kHeatsPerRound + 2 * kFinalsLevels + 1;
inline constexpr int kRunDoneFlagCount = kCategories * kFlagsPerCategory;
inline constexpr int kFinalFlag = kRounds * kHeatsPerRound;

// The working copy every reader and writer opens, relative to the program folder.
inline constexpr std::string_view kWorkingCopy = "Private/Course.race";

struct CategoryRecord {
    Text<56> name;
    std::int32_t participants = 0;
    std::int32_t qualificationStarted = 0;
    std::int32_t finalsState = 0;  // 0 not arranged, 1 arranged, 2 a final's result recorded
    std::int32_t rounds = 0;
    std::int32_t heatsPerRound = 0;
    std::int32_t finalsRuns = 0;
};

// What line 1 of the event file carries.
struct EventHeader {
    std::int32_t selectedNode = 0;
    std::int32_t categoryCount = 0;  // slots 0 to categoryCount - 1 are in use
    std::array<CategoryRecord, kCategories> categories{};
};

// For each category, the heats of every round, then the Final and the A and B runs of each
// finals level; 1 once a result holding a timed car is recorded.
struct RunDoneFlags {
    std::array<std::array<std::int32_t, kFlagsPerCategory>, kCategories> flags{};
};

// Entry of heat h of round r (both from 1) within a category's flags.
constexpr int HeatFlagIndex(int round, int heat) {
    return (round - 1) * kHeatsPerRound + (heat - 1);
}
// Entry of a finals run: level 0 is the Final, level i (from 1) has the runs A and B.
constexpr int FinalsFlagIndex(int level, char letter) {
    return level == 0 ? kFinalFlag : kFinalFlag - 1 + 2 * level + (letter == 'B' ? 1 : 0);
}

// The starting level a category's finals runs count gives.
constexpr int StartLevelOf(int finalsRuns) {
    return finalsRuns / 2;
}

using ParticipantNames = std::array<Text<40>, kParticipants>;

// The event as the shell holds it between two operations on the file.
struct EventModel {
    EventHeader header;
    std::array<ParticipantNames, kCategories> participantNames{};
    RunDoneFlags runDone;
};

// The trailer line of a stored run.
struct RunTrailer {
    Text<105> description;  // "Duration ... - Start ...", or "." when the run never started
    Text<100> comment;
    Text<6> condition;
};

// A run counts as recorded when one of its used cars has a passing, a lap or a time.
bool RunHoldsResult(const RunCars& cars);

// The number of cars in use: slots whose name is neither empty nor "(NA)".
int CarsInUse(const RunCars& cars);

// Section titles. Category numbers start at 1; a finals level k stands for the 1/2^k runs.
using SectionTitle = Text<105>;
inline constexpr std::string_view kTrackTitle = "PisteCourse";
inline constexpr std::string_view kRunDoneFlagsTitle = "Cat\xE9gorieDrapeauxTreeview";
SectionTitle ParticipantsTitle(int category);
SectionTitle HeatSlotListTitle(int category);
SectionTitle QualifOptionsTitle(int category);
SectionTitle StartingGridsTitle(int category);
SectionTitle HeatTitle(int category, int round, int heat);
SectionTitle RoundClassificationTitle(int category, int round);
SectionTitle OverallClassificationTitle(int category);
SectionTitle FinalsOptionsTitle(int category);
SectionTitle FinalsLadderTitle(int category);
SectionTitle FinalsRunTitle(int category, int level, char letter);  // level 0: the Final
SectionTitle FinalsGridsTitle(int category);

// Messages, each shown with the title "Error".
inline constexpr std::string_view kRaceFileNotFound = "Error: Race file not found";
inline constexpr std::string_view kFlagsTitleNotFound =
    "Error: Title of the Treeview flags not found";
inline constexpr std::string_view kHeatTitleNotFound =
    "Error: Title of the qualifying heat not found";
inline constexpr std::string_view kFinalsRunTitleNotFound =
    "Error: Title of the finals run not found";
inline constexpr std::string_view kArrangementTitleNotFound =
    "Error: Title of qualification arrangement not found";
inline constexpr std::string_view kQualifParametersTitleNotFound =
    "Error: Title of qualification parameters not found";
inline constexpr std::string_view kGridsTitleNotFound =
    "Error: Title of qualification starting grids not found";
inline constexpr std::string_view kRoundClassificationTitleNotFound =
    "Error: Title of round classification not found";
inline constexpr std::string_view kOverallTitleNotFound =
    "Error: Title of qualification overall classification not found";
inline constexpr std::string_view kParticipantsTitleNotFound =
    "Error: Title of participants list not found";
inline constexpr std::string_view kTrackTitleNotFound = "Error: Title of the track not found";
inline constexpr std::string_view kFinalsParametersTitleNotFound =
    "Error: Title of finals parameters not found";
inline constexpr std::string_view kFinalsArrangementTitleNotFound =
    "Error: Title of finals arrangement not found";
inline constexpr std::string_view kFinalsGridsTitleNotFound =
    "Error: Title of finals starting grids not found";

}  // namespace velkaro
