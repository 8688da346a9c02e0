#pragma once

#include <array>
#include <cstdint>

#include "common/run_car.h"
#include "event/event_file.h"
#include "platform/text.h"
#include "timing/passing.h"
#include "timing/passing_processing.h"

// The transponders a run sees that none of its cars has: a mistyped chip, a car given the wrong
// one, or a decoder hearing another track. The director sees them and can give one to a lane
// that has counted nothing yet; its passings so far then count as if the car had had it.

namespace velkaro {

inline constexpr int kUnknownChips = 12;
inline constexpr int kUnknownPassingsKept = kMaxPassings;

struct UnknownChip {
    std::int32_t number = 0;
    std::int32_t passings = 0;  // every passing seen, also those no longer kept
    std::int64_t lastSeenMs = 0;
    std::array<std::int64_t, kUnknownPassingsKept> timesMs{};  // run times, oldest first
    std::array<std::int64_t, kUnknownPassingsKept> counters{};
};

struct UnknownChips {
    std::array<UnknownChip, kUnknownChips> chips{};
    std::int32_t count = 0;
    std::int32_t otherPassings = 0;  // of chips beyond the table's room
    std::uint32_t changes = 0;       // moves with every change, for the screen
};

void ClearUnknownChips(UnknownChips& unknown);

// Keeps the passing when no car of the run (finished or not) has its transponder. True when it
// was kept.
bool NoteUnknownPassing(UnknownChips& unknown, const RunCars& cars, const Passing& passing);

// Whether the car in this slot may take a chip: a car of the run that has counted nothing.
bool CanTakeChip(const RunCars& cars, int slot);

// Gives chip `index` to the car in `slot`: its passings so far go through the run's rules in
// order, with no sound, then the chip leaves the table. A run already over counts them as it
// would have while running. False, and nothing changed, when refused.
bool AssignUnknownChip(RunContext& run, UnknownChips& unknown, int index, int slot);

// The decoder has been silent this long during a run: no byte since the later of its last byte
// and the run's start. 0 while it is not silent enough to say so.
inline constexpr std::uint32_t kDecoderSilentMs = 10000;
std::uint32_t DecoderSilentMs(std::uint32_t lastByteTick, std::uint32_t runStartTick,
                              std::uint32_t now);

// On request, the participant of that name in the category keeps the chip for the runs to come.
// The messages say why when the event file cannot be read or written.
FileOutcome GiveParticipantChip(int category, std::string_view driverName, std::int32_t number,
                                Messages& messages, Disk& disk);

// What the race panel shows: a line per chip, "004242   3 passings   last 1:05.230"; the silence,
// "Decoder silent for 0:12: no byte since 1:02.400"; a car that can take a chip, "3  Ann".
Text<64> UnknownChipLine(const UnknownChip& chip);
Text<64> OtherChipsLine(const UnknownChips& unknown);  // empty when every chip has its line
Text<64> DecoderSilentText(std::uint32_t silentMs, std::int64_t lastByteRunMs);
Text<48> ChipTakerLine(const RunCar& car);

}  // namespace velkaro
