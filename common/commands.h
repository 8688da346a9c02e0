#pragma once

#include <functional>
#include <map>

// The ids of every command and control, one name each: menus, the tree's pop-ups, the race panel
// and the enables the run computes all use these, and tests find controls by them.

namespace velkaro {

// Menu bar.
inline constexpr int kNewEventCommand = 1001;
inline constexpr int kLoadEventCommand = 1002;
inline constexpr int kSaveCommand = 1003;
inline constexpr int kSaveAsCommand = 1004;
inline constexpr int kQuitCommand = 1005;
inline constexpr int kCircuitsCommand = 1006;
inline constexpr int kClubsCommand = 1007;
inline constexpr int kDriversCommand = 1008;
inline constexpr int kTranspondersCommand = 1009;
inline constexpr int kFrequenciesCommand = 1010;
inline constexpr int kPlanningQualificationCommand = 1011;
inline constexpr int kPlanningFinalsCommand = 1012;
inline constexpr int kSoundsCommand = 1013;
inline constexpr int kDisplayCommand = 1014;
inline constexpr int kInterfaceCommand = 1015;
inline constexpr int kHelpCommand = 1017;
inline constexpr int kLivePageCommand = 1018;

// The event tree's pop-ups.
inline constexpr int kNewCategoryCommand = 1051;
inline constexpr int kRenameCategoryCommand = 1052;
inline constexpr int kTrackCommand = 1053;
inline constexpr int kParticipantsCommand = 1054;
inline constexpr int kQualifParametersCommand = 1055;
inline constexpr int kQualifArrangementCommand = 1056;
inline constexpr int kFinalsParametersCommand = 1057;
inline constexpr int kFinalsArrangementCommand = 1058;
inline constexpr int kClosureReportCommand = 1059;
inline constexpr int kSwapLanesCommand = 1060;  // a finals run's

// The event tree, and what its nodes open.
inline constexpr int kEventTreeControl = 4000;
inline constexpr int kDriverDetailsCommand = 4300;          // a driver node: that driver's details
inline constexpr int kRoundClassificationCommand = 4301;    // a round's classification node
inline constexpr int kOverallClassificationCommand = 4302;  // a category's overall node

// The race panel.
inline constexpr int kStartButton = 2001;
inline constexpr int kStopButton = 2002;
inline constexpr int kClearButton = 2003;
inline constexpr int kStartCaption = 2004;
inline constexpr int kStopCaption = 2005;
inline constexpr int kClearCaption = 2006;
inline constexpr int kPersonalChipsRadio = 2101;
inline constexpr int kClubChipsRadio = 2102;
inline constexpr int kMixedScanRadio = 2103;
inline constexpr int kTransponderSetList = 2104;
inline constexpr int kScanButton = 2105;
inline constexpr int kScanStatus = 2106;
inline constexpr int kFirstCarButton = 2201;  // car k is 2200 + k
inline constexpr int kClockFrame = 2221;
inline constexpr int kCountdownFrame = 2222;
inline constexpr int kTranspondersModeFrame = 2223;
inline constexpr int kLinkDownText = 2230;
inline constexpr int kSoundOffText = 2231;
inline constexpr int kPrintButton = 6000;
inline constexpr int kResultsButton = 6101;

// The results button's pop-up.
inline constexpr int kModifyRunResultsCommand = 6102;
inline constexpr int kRunDetailsCommand = 6103;
inline constexpr int kAddCommentCommand = 6104;

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
inline constexpr int kDriverAnalysisCommand = 7000;  // Ctrl and a click on a driver's row
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

// Who handles which command: the shell and each subsystem's forms register theirs, so that a new
// form adds its own entry and nothing central grows.
class CommandRegistry {
  public:
    using Handler = std::function<void()>;

    // False, and nothing changed, when the id already has a handler: two owners of one command
    // is a mistake to find at start-up, not a silent override.
    bool Add(int id, Handler handler) { return handlers_.emplace(id, std::move(handler)).second; }
    bool Has(int id) const { return handlers_.count(id) != 0; }
    // False when nobody handles the command (a command of a part not built yet).
    bool Run(int id) const {
        auto it = handlers_.find(id);
        if (it == handlers_.end()) return false;
        Handler handler = it->second;  // a handler may register or replace others while it runs
        handler();
        return true;
    }

  private:
    std::map<int, Handler> handlers_;
};

}  // namespace velkaro
