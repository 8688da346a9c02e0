#pragma once

#include <array>
#include <cstdint>

#include "event/event_file.h"
#include "event/event_model.h"

// The sections the preparation forms own: each record is the section's layout, read whole
// and written whole. Readers leave the record untouched when the section is missing.

namespace velkaro {

// "PisteCourse".
struct TrackRecord {
    Text<50> eventName;
    Text<50> club;
    Text<40> circuit;
    Text<4> minLapTime;  // whole seconds, kept as typed
};
FileOutcome ReadTrack(TrackRecord& track, Disk& disk);
bool PutTrack(Transaction& t, const TrackRecord& track, Messages& messages);
FileOutcome WriteTrack(const TrackRecord& track, Messages& messages, Disk& disk);

// "Cat\xE9gorie%dListeParticipants": 200 slots; an unused one has an empty name.
struct ParticipantRecord {
    Text<40> name;
    Text<7> transponder;
    std::array<Text<7>, 5> frequencies;
};
using Participants = std::array<ParticipantRecord, kParticipants>;
FileOutcome ReadParticipants(int category, Participants& participants, Disk& disk);
bool PutParticipants(Transaction& t, int category, const Participants& participants,
                     Messages& messages);
FileOutcome WriteParticipants(int category, const Participants& participants, Messages& messages,
                              Disk& disk);

// "Cat\xE9gorie%dR\xE9partitionQualifs": the heat slot list.
struct HeatSlotList {
    std::int32_t qualificationStarted = 0;
    std::int32_t driversPerHeat = 10;
    std::int32_t rounds = 1;
    std::array<Text<40>, kHeatSlots> places;  // a name, or "(NA)" for a free place
};
// 10 drivers per heat, 1 round, every slot free.
HeatSlotList DefaultHeatSlotList();
FileOutcome ReadHeatSlotList(int category, HeatSlotList& list, Disk& disk);
// The arrangement form only rewrites a list that exists: with `mayCreate` false a missing
// section is reported and nothing is written.
bool PutHeatSlotList(Transaction& t, int category, const HeatSlotList& list, bool mayCreate,
                     Messages& messages);
FileOutcome WriteHeatSlotList(int category, const HeatSlotList& list, bool mayCreate,
                              Messages& messages, Disk& disk);

// "Cat\xE9gorie%dQualifsParam\xE8tres"; the defaults are those of a category without the section.
struct QualifOptions {
    Keyword<Classification> placing;
    Keyword<DurationKind> durationKind;
    std::int32_t runMinutes = kDefaultRunMinutes;
    std::int32_t runLaps = kDefaultRunLaps;
    std::int32_t countdownSeconds = kDefaultCountdownSeconds;
    std::int32_t delayMinutes = kDefaultDelayMinutes;
    Keyword<StartMode> start;
    Keyword<StartingOrder> startingOrder;
    Keyword<TimeEnd> endAtTime;
    Keyword<LapsEnd> endAtLaps;
};
FileOutcome ReadQualifOptions(int category, QualifOptions& options, Disk& disk);
bool PutQualifOptions(Transaction& t, int category, const QualifOptions& o, Messages& messages);
FileOutcome WriteQualifOptions(int category, const QualifOptions& options, Messages& messages,
                               Disk& disk);

// "Cat\xE9gorie%dGrilleD\xE9partQualifs": per round, the lane of each start position.
struct StartingGrids {
    std::int32_t qualificationStarted = 0;
    std::int32_t driversPerHeat = 0;
    std::int32_t rounds = 0;
    std::array<std::array<std::int32_t, kCarSlots>, kRounds> lanes{};
};
FileOutcome ReadStartingGrids(int category, StartingGrids& grids, Disk& disk);
bool PutStartingGrids(Transaction& t, int category, const StartingGrids& grids, Messages& messages);
FileOutcome WriteStartingGrids(int category, const StartingGrids& grids, Messages& messages,
                               Disk& disk);

// "Cat\xE9gorie%dM%dClassement": one line per participant, in classification order.
struct RoundResult {
    Text<40> name;
    std::int32_t laps = 0;
    std::int32_t totalTime = kNoTime;
    std::int32_t bestLap = kNoTime;
    std::int32_t points = 0;
};
struct RoundClassification {
    Keyword<Classification> keyword;
    std::array<std::int32_t, 6> scale{};  // 1st place, then the five gaps
    std::array<RoundResult, kHeatSlots> entries;
};
// `participants` lines are read or written (the category's participant count).
FileOutcome ReadRoundClassification(int category, int round, int participants,
                                    RoundClassification& classification, Disk& disk);
bool PutRoundClassification(Transaction& t, int category, int round, int participants,
                            const RoundClassification& c, Messages& messages);
FileOutcome WriteRoundClassification(int category, int round, int participants,
                                     const RoundClassification& classification, Messages& messages,
                                     Disk& disk);

// "Cat\xE9gorie%dClassementFinalQualifs": the names in overall order.
struct OverallClassification {
    Keyword<Classification> keyword;
    std::int32_t bestRounds = 1;
    std::array<Text<40>, kParticipants> names;
};
FileOutcome ReadOverallClassification(int category, int participants,
                                      OverallClassification& classification, Disk& disk);
bool PutOverallClassification(Transaction& t, int category, int participants,
                              const OverallClassification& c, Messages& messages);
FileOutcome WriteOverallClassification(int category, int participants,
                                       const OverallClassification& classification,
                                       Messages& messages, Disk& disk);

// "Cat\xE9gorie%dRemont\xE9esParam\xE8tres".
struct FinalsOptions {
    Keyword<StartMode> start;
    Keyword<TimeEnd> endAtTime;
    std::int32_t countdownSeconds = kDefaultCountdownSeconds;
};
FileOutcome ReadFinalsOptions(int category, FinalsOptions& options, Disk& disk);
bool PutFinalsOptions(Transaction& t, int category, const FinalsOptions& o, Messages& messages);
FileOutcome WriteFinalsOptions(int category, const FinalsOptions& options, Messages& messages,
                               Disk& disk);

// "Cat\xE9gorie%dR\xE9partitionRemont\xE9es": the 20 values of the finals ladder. Index 0 of the
// durations is the Final, 1 the 1/2 finals, ..., 4 the 1/16 finals and below; delays and
// go-up counts start at the 1/2 finals; direct holds d0 to d4.
struct FinalsLadder {
    std::int32_t participants = 0;
    std::int32_t driversPerRun = 0;
    std::array<std::int32_t, 5> durations{};
    std::array<std::int32_t, 4> delays{};
    std::array<std::int32_t, 5> direct{};
    std::array<std::int32_t, 4> goUp{};
};
FileOutcome ReadFinalsLadder(int category, FinalsLadder& ladder, Disk& disk);
bool PutFinalsLadder(Transaction& t, int category, const FinalsLadder& l, Messages& messages);
FileOutcome WriteFinalsLadder(int category, const FinalsLadder& ladder, Messages& messages,
                              Disk& disk);

// "Cat\xE9gorie%dGrilleD\xE9partRemont\xE9es": the lanes of the finals runs as the director
// swapped them. One line per level (0 the Final): the A run's 20 lanes, then the B run's, each
// holding the place of the level's field it takes (1 to 20 the A run's places as the ladder
// fills them, 21 to 40 the B run's). A level never swapped keeps zeros: the ladder's order.
inline constexpr int kLevelLanes = 2 * kCarSlots;
using LevelLanes = std::array<std::int32_t, kLevelLanes>;
struct FinalsGrids {
    std::array<LevelLanes, kFinalsLevels + 1> levels{};
};
FileOutcome ReadFinalsGrids(int category, FinalsGrids& grids, Disk& disk);
bool PutFinalsGrids(Transaction& t, int category, const FinalsGrids& grids, Messages& messages);

// Reservation sizes, in pairs.
inline constexpr int kTrackPairs = 75;
inline constexpr int kParticipantsPairs = 9000;
inline constexpr int kHeatSlotListPairs = 4625;
inline constexpr int kQualifOptionsPairs = 80;
inline constexpr int kStartingGridsPairs = 250;
inline constexpr int kFinalsOptionsPairs = 28;
inline constexpr int kFinalsLadderPairs = 40;
inline constexpr int kFinalsGridsPairs = 740;  // 12 lines of 40 values up to "40" TAB
int RoundClassificationPairs(int participants);
int OverallClassificationPairs(int participants);

}  // namespace velkaro
