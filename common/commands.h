#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The ids of every command and control, one name each: menus, the tree's pop-ups, the race panel
// and the enables the run computes all use these, and tests find controls by them. Controls
// that are not commands keep plain numbers.

namespace velkaro {

// Every command the director can give, from a menu, a pop-up, a button or a key. The values are
// the object names of the menu entries and buttons, which tests and the guide find them by.
enum class CommandId : int {
    // Menu bar.
    NewEvent = 1001,
    LoadEvent = 1002,
    Save = 1003,
    SaveAs = 1004,
    Quit = 1005,
    Circuits = 1006,
    Clubs = 1007,
    Drivers = 1008,
    Transponders = 1009,
    Frequencies = 1010,
    PlanningQualification = 1011,
    PlanningFinals = 1012,
    Sounds = 1013,
    Display = 1014,
    Interface = 1015,
    Help = 1017,
    LivePage = 1018,
    // The event tree's pop-ups, and the "Event" menu.
    NewCategory = 1051,
    RenameCategory = 1052,
    Track = 1053,
    Participants = 1054,
    QualifParameters = 1055,
    QualifArrangement = 1056,
    FinalsParameters = 1057,
    FinalsArrangement = 1058,
    ClosureReport = 1059,
    SwapLanes = 1060,  // a finals run's
    // The "Race" menu's own.
    NextHeat = 1061,
    PreviousHeat = 1062,
    // The race panel's buttons.
    Start = 2001,
    Stop = 2002,
    Clear = 2003,
    Scan = 2105,
    Notices = 2233,
    // What the tree's nodes open.
    DriverDetails = 4300,
    RoundClassification = 4301,
    OverallClassification = 4302,
    Print = 6000,
    Results = 6101,
    // The results button's pop-up.
    ModifyRunResults = 6102,
    RunDetails = 6103,
    AddComment = 6104,
    DriverAnalysis = 7000,  // Ctrl and a click on a driver's row
};

constexpr int ToInt(CommandId id) {
    return static_cast<int>(id);
}

// A command declared once by the part that owns it: what the menus, pop-ups and buttons show, what
// it does, and when it can be given.
struct Command {
    CommandId id{};
    std::string_view label{};
    std::string_view icon{};      // a picture in the program folder; empty for none
    std::string_view shortcut{};  // as menus show it ("F5"); empty for none
    std::function<void()> run{};
    std::function<bool()> enabled{};  // empty: whenever the run allows
};

// Who handles which command: the shell and each subsystem's forms register theirs, so that a new
// form adds its own entry and nothing central grows. Two owners of one id, or an id asked for
// that nobody declared, is a mistake: kept in Problems() for the start-up check to fail on.
class CommandRegistry {
  public:
    void Add(Command command);
    const Command* Find(CommandId id) const;
    // False, and a problem noted, when nobody declared the command.
    bool Run(CommandId id);
    // The command's own condition; false for an unknown id.
    bool Enabled(CommandId id) const;
    // Notes a problem for each id that nobody declared.
    void Expect(std::span<const CommandId> ids);
    const std::vector<std::string>& Problems() const { return problems_; }

  private:
    std::map<CommandId, Command> commands_;
    std::vector<std::string> problems_;
};

// The event tree, and what its nodes open.
inline constexpr int kEventTreeControl = 4000;

// The race panel.
inline constexpr int kStartCaption = 2004;
inline constexpr int kStopCaption = 2005;
inline constexpr int kClearCaption = 2006;
inline constexpr int kPersonalChipsRadio = 2101;
inline constexpr int kClubChipsRadio = 2102;
inline constexpr int kMixedScanRadio = 2103;
inline constexpr int kTransponderSetList = 2104;
inline constexpr int kScanStatus = 2106;
inline constexpr int kFirstCarButton = 2201;  // car k is 2200 + k
inline constexpr int kClockFrame = 2221;
inline constexpr int kCountdownFrame = 2222;
inline constexpr int kTranspondersModeFrame = 2223;
inline constexpr int kLinkDownText = 2230;
inline constexpr int kSoundOffText = 2231;

// The finals forms' own controls: the finals calculator repeats the arrangement's fields at
// 5700 + (their id - 5000); the forms' captions are 5900 + k.
inline constexpr int kPlanningFinalsControlOffset = 700;
inline constexpr int kFinalsCaptionBase = 5900;
// "Swap lanes": the run, its two lane choices and the conflicts the swap would leave.
inline constexpr int kSwapRunCaption = 5801;
inline constexpr int kSwapFirstLane = 5802;
inline constexpr int kSwapSecondLane = 5803;
inline constexpr int kSwapConflicts = 5804;
inline constexpr int kFinalsArrangementConflicts = 5805;

// The labels, frames and groups of the qualification's preparation forms: base + n for the
// form's n-th one.
inline constexpr int kTrackFormLabels = 5100;
inline constexpr int kParticipantsFormLabels = 5200;
inline constexpr int kQualifOptionsFormLabels = 5300;
inline constexpr int kArrangementFormLabels = 5400;
inline constexpr int kGridsFormLabels = 5450;

// Run results and analysis: the forms' controls the ids above do not cover.
inline constexpr int kRaceTimeRadio = 7001;
inline constexpr int kLapTimeRadio = 7002;
inline constexpr int kPositionsRadio = 7003;
inline constexpr int kAnalysisPrintButton = 7010;
inline constexpr int kLapStripScroll = 7011;

// The classification forms: the round's, then the overall's; 55xx are their labels and frames.
inline constexpr int kRoundByLapsRadio = 4701;
inline constexpr int kRoundByBestLapRadio = 4702;
inline constexpr int kFirstScaleEdit = 4703;  // 1st place, then the five gaps to 4708
inline constexpr int kRoundPrintButton = 4709;
inline constexpr int kRoundScrollBar = 4710;
inline constexpr int kBestRoundsEdit = 4801;
inline constexpr int kOverallByLapsRadio = 4802;
inline constexpr int kOverallByBestLapRadio = 4803;
inline constexpr int kOverallPrintButton = 4804;
inline constexpr int kOverallScrollBar = 4805;
inline constexpr int kRoundSortFrame = 5500;
inline constexpr int kRoundScaleFrame = 5501;
inline constexpr int kFirstScaleLabel = 5502;  // to 5507
inline constexpr int kOverallCriteriaFrame = 5510;
inline constexpr int kFirstCriterionLabel = 5511;  // to 5515

}  // namespace velkaro
