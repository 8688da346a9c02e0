#include "event/sections.h"

#include <algorithm>
#include <string>

#include "common/transponder.h"

namespace velkaro {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::min(std::max(v, lo), hi);
}

template <std::size_t N>
void AppendInts(std::string& out, const std::array<std::int32_t, N>& values) {
    for (std::int32_t v : values) AppendIntField(out, v);
}

template <typename E>
void NextKeyword(FieldReader& fields, Keyword<E>& option) {
    option = Keyword<E>::Parse(fields.Next());
}

template <std::size_t N>
void ReadInts(FieldReader& fields, std::array<std::int32_t, N>& values) {
    for (std::int32_t& v : values) v = fields.NextInt();
}

}  // namespace

int RoundClassificationPairs(int participants) {
    return 35 * Clamp(participants, 0, kParticipants) + 24;
}

int OverallClassificationPairs(int participants) {
    return 22 * Clamp(participants, 0, kParticipants) + 15;
}

FileOutcome ReadTrack(TrackRecord& track, Disk& disk) {
    return ReadSection(kTrackTitle, disk, [&](LineReader& lines) {
        FieldReader fields(lines.Next());
        fields.NextText(track.eventName);
        fields.NextText(track.club);
        fields.NextText(track.circuit);
        fields.NextText(track.minLapTime);
    });
}

bool PutTrack(Transaction& t, const TrackRecord& track, Messages& messages) {
    std::string out;
    AppendField(out, track.eventName.View());
    AppendField(out, track.club.View());
    AppendField(out, track.circuit.View());
    AppendField(out, track.minLapTime.View());
    EndLine(out);
    return t.PutSection(kTrackTitle, kTrackPairs, out, kTrackTitleNotFound, messages);
}

FileOutcome WriteTrack(const TrackRecord& track, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutTrack(t, track, messages); });
}

FileOutcome ReadParticipants(int category, Participants& participants, Disk& disk) {
    return ReadSection(ParticipantsTitle(category).View(), disk, [&](LineReader& lines) {
        for (ParticipantRecord& p : participants) {
            if (lines.AtEnd()) return;
            FieldReader fields(lines.Next());
            fields.NextText(p.name);
            p.transponder = NormalTransponder(fields.Next());
            for (Text<7>& f : p.frequencies) fields.NextText(f);
        }
    });
}

bool PutParticipants(Transaction& t, int category, const Participants& participants,
                     Messages& messages) {
    std::string out;
    out.reserve(2 * kParticipantsPairs);
    for (const ParticipantRecord& p : participants) {
        AppendField(out, p.name.View());
        AppendField(out, NormalTransponder(p.transponder.View()).View());
        for (const Text<7>& f : p.frequencies) AppendField(out, f.View());
        EndLine(out);
    }
    return t.PutSection(ParticipantsTitle(category).View(), kParticipantsPairs, out,
                        kParticipantsTitleNotFound, messages);
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
    return ReadSection(HeatSlotListTitle(category).View(), disk, [&](LineReader& lines) {
        FieldReader first(lines.Next());
        list.qualificationStarted = first.NextInt();
        list.driversPerHeat = first.NextInt();
        list.rounds = first.NextInt();
        for (Text<40>& slot : list.places) {
            if (lines.AtEnd()) return;
            FieldReader(lines.Next()).NextText(slot);
        }
    });
}

bool PutHeatSlotList(Transaction& t, int category, const HeatSlotList& list, bool mayCreate,
                     Messages& messages) {
    std::string out;
    out.reserve(2 * kHeatSlotListPairs);
    AppendIntField(out, list.qualificationStarted);
    AppendIntField(out, list.driversPerHeat);
    AppendIntField(out, list.rounds);
    EndLine(out);
    for (const Text<40>& slot : list.places) {
        AppendField(out, slot.View());
        EndLine(out);
    }
    return t.PutSection(HeatSlotListTitle(category).View(), kHeatSlotListPairs, out,
                        kArrangementTitleNotFound, messages, mayCreate);
}

FileOutcome WriteHeatSlotList(int category, const HeatSlotList& list, bool mayCreate,
                              Messages& messages, Disk& disk) {
    return WriteAlone(
        disk, [&](Transaction& t) { PutHeatSlotList(t, category, list, mayCreate, messages); });
}

FileOutcome ReadQualifOptions(int category, QualifOptions& o, Disk& disk) {
    return ReadSection(QualifOptionsTitle(category).View(), disk, [&](LineReader& lines) {
        FieldReader fields(lines.Next());
        NextKeyword(fields, o.placing);
        NextKeyword(fields, o.durationKind);
        o.runMinutes = fields.NextInt();
        o.runLaps = fields.NextInt();
        o.countdownSeconds = fields.NextInt();
        o.delayMinutes = fields.NextInt();
        NextKeyword(fields, o.start);
        NextKeyword(fields, o.startingOrder);
        NextKeyword(fields, o.endAtTime);
        NextKeyword(fields, o.endAtLaps);
    });
}

bool PutQualifOptions(Transaction& t, int category, const QualifOptions& o, Messages& messages) {
    std::string out;
    AppendField(out, o.placing.View());
    AppendField(out, o.durationKind.View());
    AppendIntField(out, o.runMinutes);
    AppendIntField(out, o.runLaps);
    AppendIntField(out, o.countdownSeconds);
    AppendIntField(out, o.delayMinutes);
    AppendField(out, o.start.View());
    AppendField(out, o.startingOrder.View());
    AppendField(out, o.endAtTime.View());
    AppendField(out, o.endAtLaps.View());
    EndLine(out);
    return t.PutSection(QualifOptionsTitle(category).View(), kQualifOptionsPairs, out,
                        kQualifParametersTitleNotFound, messages);
}

FileOutcome WriteQualifOptions(int category, const QualifOptions& o, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutQualifOptions(t, category, o, messages); });
}

FileOutcome ReadStartingGrids(int category, StartingGrids& grids, Disk& disk) {
    return ReadSection(StartingGridsTitle(category).View(), disk, [&](LineReader& lines) {
        FieldReader first(lines.Next());
        grids.qualificationStarted = first.NextInt();
        grids.driversPerHeat = first.NextInt();
        grids.rounds = first.NextInt();
        int rounds = Clamp(grids.rounds, 0, kRounds);
        int lanes = Clamp(grids.driversPerHeat, 0, kCarSlots);
        for (int r = 0; r < rounds && !lines.AtEnd(); ++r) {
            FieldReader fields(lines.Next());
            for (int k = 0; k < lanes; ++k) {
                grids.lanes[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                    fields.NextInt();
            }
        }
    });
}

bool PutStartingGrids(Transaction& t, int category, const StartingGrids& grids,
                      Messages& messages) {
    std::string out;
    AppendIntField(out, grids.qualificationStarted);
    AppendIntField(out, grids.driversPerHeat);
    AppendIntField(out, grids.rounds);
    EndLine(out);
    int rounds = Clamp(grids.rounds, 0, kRounds);
    int lanes = Clamp(grids.driversPerHeat, 0, kCarSlots);
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < lanes; ++k) {
            AppendIntField(out,
                           grids.lanes[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
        }
        EndLine(out);
    }
    return t.PutSection(StartingGridsTitle(category).View(), kStartingGridsPairs, out,
                        kGridsTitleNotFound, messages);
}

FileOutcome WriteStartingGrids(int category, const StartingGrids& grids, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk,
                      [&](Transaction& t) { PutStartingGrids(t, category, grids, messages); });
}

FileOutcome ReadRoundClassification(int category, int round, int participants,
                                    RoundClassification& c, Disk& disk) {
    int lines = Clamp(participants, 0, kParticipants);
    return ReadSection(RoundClassificationTitle(category, round).View(), disk,
                       [&](LineReader& reader) {
                           FieldReader first(reader.Next());
                           NextKeyword(first, c.keyword);
                           ReadInts(first, c.scale);
                           for (int i = 0; i < lines && !reader.AtEnd(); ++i) {
                               RoundResult& e = c.entries[static_cast<std::size_t>(i)];
                               FieldReader fields(reader.Next());
                               fields.NextText(e.name);
                               e.laps = fields.NextInt();
                               e.totalTime = fields.NextInt();
                               e.bestLap = fields.NextInt();
                               e.points = fields.NextInt();
                           }
                       });
}

bool PutRoundClassification(Transaction& t, int category, int round, int participants,
                            const RoundClassification& c, Messages& messages) {
    int lines = Clamp(participants, 0, kParticipants);
    std::string out;
    AppendField(out, c.keyword.View());
    AppendInts(out, c.scale);
    EndLine(out);
    for (int i = 0; i < lines; ++i) {
        const RoundResult& e = c.entries[static_cast<std::size_t>(i)];
        AppendField(out, e.name.View());
        AppendIntField(out, e.laps);
        AppendIntField(out, e.totalTime);
        AppendIntField(out, e.bestLap);
        AppendIntField(out, e.points);
        EndLine(out);
    }
    return t.PutSection(RoundClassificationTitle(category, round).View(),
                        RoundClassificationPairs(participants), out,
                        kRoundClassificationTitleNotFound, messages);
}

FileOutcome WriteRoundClassification(int category, int round, int participants,
                                     const RoundClassification& c, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) {
        PutRoundClassification(t, category, round, participants, c, messages);
    });
}

FileOutcome ReadOverallClassification(int category, int participants, OverallClassification& c,
                                      Disk& disk) {
    int lines = Clamp(participants, 0, kParticipants);
    return ReadSection(OverallClassificationTitle(category).View(), disk, [&](LineReader& reader) {
        FieldReader first(reader.Next());
        NextKeyword(first, c.keyword);
        c.bestRounds = first.NextInt();
        for (int i = 0; i < lines && !reader.AtEnd(); ++i) {
            FieldReader(reader.Next()).NextText(c.names[static_cast<std::size_t>(i)]);
        }
    });
}

bool PutOverallClassification(Transaction& t, int category, int participants,
                              const OverallClassification& c, Messages& messages) {
    int lines = Clamp(participants, 0, kParticipants);
    std::string out;
    AppendField(out, c.keyword.View());
    AppendIntField(out, c.bestRounds);
    EndLine(out);
    for (int i = 0; i < lines; ++i) {
        AppendField(out, c.names[static_cast<std::size_t>(i)].View());
        EndLine(out);
    }
    return t.PutSection(OverallClassificationTitle(category).View(),
                        OverallClassificationPairs(participants), out, kOverallTitleNotFound,
                        messages);
}

FileOutcome WriteOverallClassification(int category, int participants,
                                       const OverallClassification& c, Messages& messages,
                                       Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) {
        PutOverallClassification(t, category, participants, c, messages);
    });
}

FileOutcome ReadFinalsOptions(int category, FinalsOptions& o, Disk& disk) {
    return ReadSection(FinalsOptionsTitle(category).View(), disk, [&](LineReader& lines) {
        FieldReader fields(lines.Next());
        NextKeyword(fields, o.start);
        NextKeyword(fields, o.endAtTime);
        o.countdownSeconds = fields.NextInt();
    });
}

bool PutFinalsOptions(Transaction& t, int category, const FinalsOptions& o, Messages& messages) {
    std::string out;
    AppendField(out, o.start.View());
    AppendField(out, o.endAtTime.View());
    AppendIntField(out, o.countdownSeconds);
    EndLine(out);
    return t.PutSection(FinalsOptionsTitle(category).View(), kFinalsOptionsPairs, out,
                        kFinalsParametersTitleNotFound, messages);
}

FileOutcome WriteFinalsOptions(int category, const FinalsOptions& o, Messages& messages,
                               Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutFinalsOptions(t, category, o, messages); });
}

FileOutcome ReadFinalsLadder(int category, FinalsLadder& l, Disk& disk) {
    return ReadSection(FinalsLadderTitle(category).View(), disk, [&](LineReader& lines) {
        FieldReader fields(lines.Next());
        l.participants = fields.NextInt();
        l.driversPerRun = fields.NextInt();
        ReadInts(fields, l.durations);
        ReadInts(fields, l.delays);
        ReadInts(fields, l.direct);
        ReadInts(fields, l.goUp);
    });
}

bool PutFinalsLadder(Transaction& t, int category, const FinalsLadder& l, Messages& messages) {
    std::string out;
    AppendIntField(out, l.participants);
    AppendIntField(out, l.driversPerRun);
    AppendInts(out, l.durations);
    AppendInts(out, l.delays);
    AppendInts(out, l.direct);
    AppendInts(out, l.goUp);
    EndLine(out);
    return t.PutSection(FinalsLadderTitle(category).View(), kFinalsLadderPairs, out,
                        kFinalsArrangementTitleNotFound, messages);
}

FileOutcome WriteFinalsLadder(int category, const FinalsLadder& l, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutFinalsLadder(t, category, l, messages); });
}

FileOutcome ReadFinalsGrids(int category, FinalsGrids& grids, Disk& disk) {
    return ReadSection(FinalsGridsTitle(category).View(), disk, [&](LineReader& lines) {
        for (LevelLanes& lanes : grids.levels) {
            if (lines.AtEnd()) return;
            FieldReader fields(lines.Next());
            ReadInts(fields, lanes);
        }
    });
}

bool PutFinalsGrids(Transaction& t, int category, const FinalsGrids& grids, Messages& messages) {
    std::string out;
    for (const LevelLanes& lanes : grids.levels) {
        AppendInts(out, lanes);
        EndLine(out);
    }
    return t.PutSection(FinalsGridsTitle(category).View(), kFinalsGridsPairs, out,
                        kFinalsGridsTitleNotFound, messages);
}

}  // namespace velkaro
