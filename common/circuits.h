#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace velkaro {

inline constexpr int kCircuitRecords = 20;                 // circuits the file can hold
inline constexpr int kCircuitSlots = kCircuitRecords + 1;  // plus one spare
inline constexpr int kNoCircuit = kCircuitRecords;         // an event without a circuit points here

// One circuit of the circuits database. The record lap time is 0 while the track has no record.
struct CircuitRecord {
    Text<40> name;
    Text<5> length;          // metres, as typed
    Text<15> recordLapText;  // the record in the lap time format
    std::int32_t recordLapTime = 0;
    Text<40> recordHolder;
    Text<4> minimumLapTime;  // whole seconds, as typed
    Text<40> location;
    Text<260> image;
    // Derived from recordLapTime, never stored.
    std::int32_t recordHours = 0;
    std::int32_t recordMinutes = 0;
    std::int32_t recordSeconds = 0;
    std::int32_t recordMilliseconds = 0;
};

using CircuitTable = std::array<CircuitRecord, kCircuitSlots>;

// The index of the last circuit slot named like the event's circuit, kNoCircuit when the name
// is empty or unknown.
inline std::int32_t FindCircuit(const CircuitTable& circuits, std::string_view name) {
    std::int32_t found = kNoCircuit;
    if (name.empty()) return found;
    for (int i = 0; i < kCircuitRecords; ++i) {
        if (circuits[std::size_t(i)].name == name) found = i;
    }
    return found;
}

}  // namespace velkaro
