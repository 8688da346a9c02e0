#include "timing/unknown_chips.h"

#include <algorithm>
#include <memory>

#include "common/time_format.h"
#include "common/transponder.h"
#include "event/sections.h"

namespace velkaro {
namespace {

bool Used(const RunCar& car) {
    return !(car.driverName == kEmptySlotName);
}

}  // namespace

void ClearUnknownChips(UnknownChips& unknown) {
    std::uint32_t changes = unknown.changes + 1;
    for (UnknownChip& chip : unknown.chips) {
        chip.number = 0;
        chip.passings = 0;
        chip.lastSeenMs = 0;
    }
    unknown.count = 0;
    unknown.otherPassings = 0;
    unknown.changes = changes;
}

bool NoteUnknownPassing(UnknownChips& unknown, const RunCars& cars, const Passing& passing) {
    std::string_view t = passing.transponder.View();
    for (const RunCar& car : cars) {
        if (Used(car) && SameTransponder(car.transponder.View(), t)) return false;
    }
    std::int32_t number = TransponderNumber(t);
    if (number == kNoTransponder) return false;
    auto end = unknown.chips.begin() + unknown.count;
    auto chip = std::find_if(unknown.chips.begin(), end,
                             [number](const UnknownChip& c) { return c.number == number; });
    if (chip == end) {
        if (unknown.count == kUnknownChips) {
            ++unknown.otherPassings;
            ++unknown.changes;
            return false;
        }
        ++unknown.count;
        chip->number = number;
        chip->passings = 0;
    }
    if (chip->passings < kUnknownPassingsKept) {
        chip->timesMs[static_cast<std::size_t>(chip->passings)] = passing.timeMs;
        chip->counters[static_cast<std::size_t>(chip->passings)] = passing.counter;
    }
    ++chip->passings;
    chip->lastSeenMs = passing.timeMs;
    ++unknown.changes;
    return true;
}

bool CanTakeChip(const RunCars& cars, int slot) {
    if (slot < 0 || slot >= kCarSlots) return false;
    const RunCar& car = cars[static_cast<std::size_t>(slot)];
    return Used(car) && car.passingCount == 0 && car.startReference == 0;
}

bool AssignUnknownChip(RunContext& run, UnknownChips& unknown, int index, int slot) {
    RunCars& cars = run.tables->cars;
    if (index < 0 || index >= unknown.count || !CanTakeChip(cars, slot)) return false;
    UnknownChip& chip = unknown.chips[static_cast<std::size_t>(index)];
    RunCar& car = cars[static_cast<std::size_t>(slot)];
    car.transponder = TransponderDigits(chip.number);
    // Its counting is the run's own; only what would be heard or logged live is left out.
    RunContext quiet = run;
    quiet.sounds = nullptr;
    quiet.hooks.passingSounds = nullptr;
    quiet.hooks.passingTaken = nullptr;
    std::int32_t wasFinished = car.finished;
    car.finished = 0;
    int kept = std::min(chip.passings, kUnknownPassingsKept);
    for (int k = 0; k < kept; ++k) {
        Passing p;
        p.transponder = car.transponder;
        p.timeMs = chip.timesMs[static_cast<std::size_t>(k)];
        p.counter = chip.counters[static_cast<std::size_t>(k)];
        HandlePassing(quiet, p);
    }
    if (wasFinished != 0) car.finished = 1;
    for (int i = index; i + 1 < unknown.count; ++i) {
        unknown.chips[static_cast<std::size_t>(i)] = unknown.chips[static_cast<std::size_t>(i + 1)];
    }
    --unknown.count;
    ++unknown.changes;
    return true;
}

std::uint32_t DecoderSilentMs(std::uint32_t lastByteTick, std::uint32_t runStartTick,
                              std::uint32_t now) {
    // The later of the two, on a tick that wraps.
    std::uint32_t sinceByte = now - lastByteTick, sinceStart = now - runStartTick;
    std::uint32_t silent = std::min(sinceByte, sinceStart);
    return silent >= kDecoderSilentMs ? silent : 0;
}

FileOutcome GiveParticipantChip(int category, std::string_view driverName, std::int32_t number,
                                Messages& messages, Disk& disk) {
    auto participants = std::make_unique<Participants>();
    FileOutcome read = ReadParticipants(category, *participants, disk);
    if (read == FileOutcome::NoSection) messages.Error(kParticipantsTitleNotFound);
    if (!ReportUnavailable(read, messages) || read != FileOutcome::Done) return read;
    bool found = false;
    for (ParticipantRecord& p : *participants) {
        if (p.name == driverName) {
            p.transponder = TransponderDigits(number);
            found = true;
        }
    }
    if (!found) return FileOutcome::NoSection;
    FileOutcome written = WriteParticipants(category, *participants, messages, disk);
    ReportUnavailable(written, messages);
    return written;
}

Text<64> UnknownChipLine(const UnknownChip& chip) {
    TimeText last;
    FormatRaceTime(last, SplitTime(static_cast<std::int32_t>(
                             std::clamp<std::int64_t>(chip.lastSeenMs, 0, kNoTime))));
    Text<64> line;
    Format(line, "%s   %d passing%s   last %s", TransponderDigits(chip.number).CStr(),
           chip.passings, chip.passings == 1 ? "" : "s", last.CStr());
    return line;
}

Text<64> OtherChipsLine(const UnknownChips& unknown) {
    Text<64> line;
    if (unknown.otherPassings > 0) {
        Format(line, "and %d passings of other chips", unknown.otherPassings);
    }
    return line;
}

Text<64> DecoderSilentText(std::uint32_t silentMs, std::int64_t lastByteRunMs) {
    Text<64> text;
    if (silentMs == 0) return text;
    std::uint32_t s = silentMs / 1000;
    if (lastByteRunMs < 0) {
        Format(text, "Decoder silent for %u:%02u: no byte since the start", s / 60, s % 60);
        return text;
    }
    TimeText at;
    FormatRaceTime(
        at, SplitTime(static_cast<std::int32_t>(std::min<std::int64_t>(lastByteRunMs, kNoTime))));
    Format(text, "Decoder silent for %u:%02u: no byte since %s", s / 60, s % 60, at.CStr());
    return text;
}

Text<48> ChipTakerLine(const RunCar& car) {
    Text<48> line;
    Format(line, "%d  %s", car.carNumber, car.driverName.CStr());
    return line;
}

}  // namespace velkaro
