#pragma once

#include <cstdint>
#include <string_view>

#include "common/circuits.h"
#include "platform/text.h"

namespace velkaro {

// Run option keywords, compared as whole strings.
inline constexpr std::string_view kByLapsAndTime = "CLASSEMENTToursTemps";
inline constexpr std::string_view kByBestLap = "CLASSEMENTMeilleurTour";
inline constexpr std::string_view kDurationByTime = "DUREESERIETemps";
inline constexpr std::string_view kDurationByLaps = "DUREESERIETours";
inline constexpr std::string_view kStartAtSignal = "DEPARTSignalSonore";
inline constexpr std::string_view kStartStaggered = "DEPARTDecale";
inline constexpr std::string_view kStartFirstCar = "DEPARTPremiereVoiture";
inline constexpr std::string_view kTimeEndAtSignal = "FINTEMPSSignalSonore";
inline constexpr std::string_view kTimeEndFinishLap = "FINTEMPSFinirTour";
inline constexpr std::string_view kLapsEndAtSignal = "FINTOURSignalSonore";
inline constexpr std::string_view kLapsEndFinishLap = "FINTOURFinirTour";
inline constexpr std::string_view kLapsEndAllLaps = "FINTOURFaireTousLesTours";
inline constexpr std::string_view kOrderFixed = "ORDREDEPARTFixe";
inline constexpr std::string_view kOrderEditable = "ORDREDEPARTModifiable";

// The options of the run in the race panel, set when a heat or final is loaded. Defaults are
// those of a heat whose category has no options of its own.
struct RunOptions {
    Text<24> classification{kByLapsAndTime};
    Text<17> durationKind{kDurationByTime};
    Text<23> startMode{kStartAtSignal};
    Text<23> startingOrder{kOrderFixed};
    Text<22> timeEnd{kTimeEndFinishLap};
    Text<26> lapsEnd{kLapsEndFinishLap};
    std::int32_t durationHours = 0;
    std::int32_t durationMinutes = 1;
    std::int32_t durationTotalMinutes = 1;  // hours x 60 + minutes
    std::int32_t laps = 1;
    std::int32_t countdownSeconds = 5;
    std::int32_t delayMinutes = 0;  // between this run and the next
    std::int32_t minimumLapSeconds = 2;
    std::int32_t circuitIndex = kNoCircuit;
    std::int32_t passingLimit = 150;  // 300 for a final
    std::int32_t safetyHours = 2;     // longest a lap-limited run may last; 3 for a final
};

}  // namespace velkaro
