#include "event/sections.h"

#include <algorithm>
#include <string>

#include "event/section_codec.h"

namespace velkaro {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::min(std::max(v, lo), hi);
}

// A section read through its layout; the record is left as it was when the section is missing.
template <typename Record, typename Layout>
FileOutcome ReadLaid(std::string_view title, Record& record, Disk& disk, Layout lay) {
    return ReadSection(title, disk, [&](LineReader& lines) {
        SectionReader io(lines);
        lay(io, record);
    });
}

template <typename Record, typename Layout>
bool PutLaid(Transaction& t, std::string_view title, int pairs, std::string_view notFound,
             Messages& messages, const Record& record, Layout lay, bool mayCreate = true) {
    SectionWriter io(2 * std::size_t(pairs));
    lay(io, record);
    return t.PutSection(title, pairs, io.Content(), notFound, messages, mayCreate);
}

// The layouts, one per section; the record is const when writing.

constexpr auto LayTrack = [](auto& io, auto& track) {
    io.Line();
    io.Field(track.eventName);
    io.Field(track.club);
    io.Field(track.circuit);
    io.Field(track.minLapTime);
};

constexpr auto LayParticipants = [](auto& io, auto& participants) {
    for (auto& p : participants) {
        if (!io.Line()) return;
        io.Field(p.name);
        io.Transponder(p.transponder);
        for (auto& f : p.frequencies) io.Field(f);
    }
};

constexpr auto LayHeatSlotList = [](auto& io, auto& list) {
    io.Line();
    io.Field(list.qualificationStarted);
    io.Field(list.driversPerHeat);
    io.Field(list.rounds);
    for (auto& slot : list.places) {
        if (!io.Line()) return;
        io.Field(slot);
    }
};

constexpr auto LayQualifOptions = [](auto& io, auto& o) {
    io.Line();
    io.Field(o.placing);
    io.Field(o.durationKind);
    io.Field(o.runMinutes);
    io.Field(o.runLaps);
    io.Field(o.countdownSeconds);
    io.Field(o.delayMinutes);
    io.Field(o.start);
    io.Field(o.startingOrder);
    io.Field(o.endAtTime);
    io.Field(o.endAtLaps);
};

// One line per round of `driversPerHeat` lanes, both counts as the first line gives them.
constexpr auto LayStartingGrids = [](auto& io, auto& grids) {
    io.Line();
    io.Field(grids.qualificationStarted);
    io.Field(grids.driversPerHeat);
    io.Field(grids.rounds);
    auto rounds = std::size_t(Clamp(grids.rounds, 0, kRounds));
    auto lanes = std::size_t(Clamp(grids.driversPerHeat, 0, kCarSlots));
    for (std::size_t r = 0; r < rounds; ++r) {
        if (!io.Line()) return;
        for (std::size_t k = 0; k < lanes; ++k) io.Field(grids.lanes[r][k]);
    }
};

constexpr auto LayRoundClassification = [](auto& io, auto& c, int participants) {
    io.Line();
    io.Field(c.keyword);
    io.Field(c.scale);
    for (int i = 0; i < Clamp(participants, 0, kParticipants); ++i) {
        if (!io.Line()) return;
        auto& e = c.entries[std::size_t(i)];
        io.Field(e.name);
        io.Field(e.laps);
        io.Field(e.totalTime);
        io.Field(e.bestLap);
        io.Field(e.points);
    }
};

constexpr auto LayOverallClassification = [](auto& io, auto& c, int participants) {
    io.Line();
    io.Field(c.keyword);
    io.Field(c.bestRounds);
    for (int i = 0; i < Clamp(participants, 0, kParticipants); ++i) {
        if (!io.Line()) return;
        io.Field(c.names[std::size_t(i)]);
    }
};

constexpr auto LayFinalsOptions = [](auto& io, auto& o) {
    io.Line();
    io.Field(o.start);
    io.Field(o.endAtTime);
    io.Field(o.countdownSeconds);
};

constexpr auto LayFinalsLadder = [](auto& io, auto& l) {
    io.Line();
    io.Field(l.participants);
    io.Field(l.driversPerRun);
    io.Field(l.durations);
    io.Field(l.delays);
    io.Field(l.direct);
    io.Field(l.goUp);
};

// One line of lanes per level, the Final's first.
constexpr auto LayFinalsGrids = [](auto& io, auto& grids) {
    for (auto& lanes : grids.levels) {
        if (!io.Line()) return;
        io.Field(lanes);
    }
};

}  // namespace

int RoundClassificationPairs(int participants) {
    return 35 * Clamp(participants, 0, kParticipants) + 24;
}

int OverallClassificationPairs(int participants) {
    return 22 * Clamp(participants, 0, kParticipants) + 15;
}

FileOutcome ReadTrack(TrackRecord& track, Disk& disk) {
    return ReadLaid(kTrackTitle, track, disk, LayTrack);
}

bool PutTrack(Transaction& t, const TrackRecord& track, Messages& messages) {
    return PutLaid(t, kTrackTitle, kTrackPairs, kTrackTitleNotFound, messages, track, LayTrack);
}

FileOutcome WriteTrack(const TrackRecord& track, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutTrack(t, track, messages); });
}

FileOutcome ReadParticipants(int category, Participants& participants, Disk& disk) {
    return ReadLaid(ParticipantsTitle(category).View(), participants, disk, LayParticipants);
}

bool PutParticipants(Transaction& t, int category, const Participants& participants,
                     Messages& messages) {
    return PutLaid(t, ParticipantsTitle(category).View(), kParticipantsPairs,
                   kParticipantsTitleNotFound, messages, participants, LayParticipants);
}

FileOutcome WriteParticipants(int category, const Participants& participants, Messages& messages,
                              Disk& disk) {
    return WriteAlone(
        disk, [&](Transaction& t) { PutParticipants(t, category, participants, messages); });
}

HeatSlotList DefaultHeatSlotList() {
    HeatSlotList list;
    for (Text<40>& slot : list.places) slot = kEmptySlotName;
    return list;
}

FileOutcome ReadHeatSlotList(int category, HeatSlotList& list, Disk& disk) {
    return ReadLaid(HeatSlotListTitle(category).View(), list, disk, LayHeatSlotList);
}

bool PutHeatSlotList(Transaction& t, int category, const HeatSlotList& list, bool mayCreate,
                     Messages& messages) {
    return PutLaid(t, HeatSlotListTitle(category).View(), kHeatSlotListPairs,
                   kArrangementTitleNotFound, messages, list, LayHeatSlotList, mayCreate);
}

FileOutcome WriteHeatSlotList(int category, const HeatSlotList& list, bool mayCreate,
                              Messages& messages, Disk& disk) {
    return WriteAlone(
        disk, [&](Transaction& t) { PutHeatSlotList(t, category, list, mayCreate, messages); });
}

FileOutcome ReadQualifOptions(int category, QualifOptions& o, Disk& disk) {
    return ReadLaid(QualifOptionsTitle(category).View(), o, disk, LayQualifOptions);
}

bool PutQualifOptions(Transaction& t, int category, const QualifOptions& o, Messages& messages) {
    return PutLaid(t, QualifOptionsTitle(category).View(), kQualifOptionsPairs,
                   kQualifParametersTitleNotFound, messages, o, LayQualifOptions);
}

FileOutcome WriteQualifOptions(int category, const QualifOptions& o, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutQualifOptions(t, category, o, messages); });
}

FileOutcome ReadStartingGrids(int category, StartingGrids& grids, Disk& disk) {
    return ReadLaid(StartingGridsTitle(category).View(), grids, disk, LayStartingGrids);
}

bool PutStartingGrids(Transaction& t, int category, const StartingGrids& grids,
                      Messages& messages) {
    return PutLaid(t, StartingGridsTitle(category).View(), kStartingGridsPairs, kGridsTitleNotFound,
                   messages, grids, LayStartingGrids);
}

FileOutcome WriteStartingGrids(int category, const StartingGrids& grids, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk,
                      [&](Transaction& t) { PutStartingGrids(t, category, grids, messages); });
}

FileOutcome ReadRoundClassification(int category, int round, int participants,
                                    RoundClassification& c, Disk& disk) {
    return ReadLaid(RoundClassificationTitle(category, round).View(), c, disk,
                    [=](auto& io, auto& r) { LayRoundClassification(io, r, participants); });
}

bool PutRoundClassification(Transaction& t, int category, int round, int participants,
                            const RoundClassification& c, Messages& messages) {
    return PutLaid(t, RoundClassificationTitle(category, round).View(),
                   RoundClassificationPairs(participants), kRoundClassificationTitleNotFound,
                   messages, c,
                   [=](auto& io, auto& r) { LayRoundClassification(io, r, participants); });
}

FileOutcome WriteRoundClassification(int category, int round, int participants,
                                     const RoundClassification& c, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) {
        PutRoundClassification(t, category, round, participants, c, messages);
    });
}

FileOutcome ReadOverallClassification(int category, int participants, OverallClassification& c,
                                      Disk& disk) {
    return ReadLaid(OverallClassificationTitle(category).View(), c, disk,
                    [=](auto& io, auto& r) { LayOverallClassification(io, r, participants); });
}

bool PutOverallClassification(Transaction& t, int category, int participants,
                              const OverallClassification& c, Messages& messages) {
    return PutLaid(t, OverallClassificationTitle(category).View(),
                   OverallClassificationPairs(participants), kOverallTitleNotFound, messages, c,
                   [=](auto& io, auto& r) { LayOverallClassification(io, r, participants); });
}

FileOutcome WriteOverallClassification(int category, int participants,
                                       const OverallClassification& c, Messages& messages,
                                       Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) {
        PutOverallClassification(t, category, participants, c, messages);
    });
}

FileOutcome ReadFinalsOptions(int category, FinalsOptions& o, Disk& disk) {
    return ReadLaid(FinalsOptionsTitle(category).View(), o, disk, LayFinalsOptions);
}

bool PutFinalsOptions(Transaction& t, int category, const FinalsOptions& o, Messages& messages) {
    return PutLaid(t, FinalsOptionsTitle(category).View(), kFinalsOptionsPairs,
                   kFinalsParametersTitleNotFound, messages, o, LayFinalsOptions);
}

FileOutcome WriteFinalsOptions(int category, const FinalsOptions& o, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutFinalsOptions(t, category, o, messages); });
}

FileOutcome ReadFinalsLadder(int category, FinalsLadder& l, Disk& disk) {
    return ReadLaid(FinalsLadderTitle(category).View(), l, disk, LayFinalsLadder);
}

bool PutFinalsLadder(Transaction& t, int category, const FinalsLadder& l, Messages& messages) {
    return PutLaid(t, FinalsLadderTitle(category).View(), kFinalsLadderPairs,
                   kFinalsArrangementTitleNotFound, messages, l, LayFinalsLadder);
}

FileOutcome WriteFinalsLadder(int category, const FinalsLadder& l, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutFinalsLadder(t, category, l, messages); });
}

FileOutcome ReadFinalsGrids(int category, FinalsGrids& grids, Disk& disk) {
    return ReadLaid(FinalsGridsTitle(category).View(), grids, disk, LayFinalsGrids);
}

bool PutFinalsGrids(Transaction& t, int category, const FinalsGrids& grids, Messages& messages) {
    return PutLaid(t, FinalsGridsTitle(category).View(), kFinalsGridsPairs,
                   kFinalsGridsTitleNotFound, messages, grids, LayFinalsGrids);
}

}  // namespace velkaro
