#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/run_car.h"
#include "event/settings_files.h"
#include "platform/sound_player.h"
#include "timing/race_clock.h"

// What the run plays, when, and under which sound option. Every file lies in "sons".

namespace velkaro {

// A spoken call in both languages.
struct VoiceCall {
    std::string_view french;
    std::string_view english;
};

struct CountdownCall {
    std::int32_t seconds;  // remaining countdown at which it is heard
    VoiceCall voice;
};

inline constexpr std::array<CountdownCall, 13> kCountdownCalls{{
    {3600, {"sons/60minutes.wav", "sons/60minutesGB.wav"}},
    {1800, {"sons/30minutes.wav", "sons/30minutesGB.wav"}},
    {900, {"sons/15minutes.wav", "sons/15minutesGB.wav"}},
    {300, {"sons/5minutes.wav", "sons/5minutesGB.wav"}},
    {120, {"sons/2minutes.wav", "sons/2minutesGB.wav"}},
    {60, {"sons/1minute.wav", "sons/1minuteGB.wav"}},
    {30, {"sons/30secondes.wav", "sons/30secondesGB.wav"}},
    {10, {"sons/10secondes.wav", "sons/10secondesGB.wav"}},
    {5, {"sons/cinq.wav", "sons/cinqGB.wav"}},
    {4, {"sons/quatre.wav", "sons/quatreGB.wav"}},
    {3, {"sons/trois.wav", "sons/troisGB.wav"}},
    {2, {"sons/deux.wav", "sons/deuxGB.wav"}},
    {1, {"sons/un.wav", "sons/unGB.wav"}},
}};

inline constexpr VoiceCall kMidRaceCall{"sons/miCourse.wav", "sons/miCourseGB.wav"};
// The English race call is not the countdown's "five minutes before the start".
inline constexpr VoiceCall kFiveMinutesToGo{"sons/5minutes.wav", "sons/5minutesRaceGB.wav"};
inline constexpr VoiceCall kOneMinuteToGo{"sons/1minute.wav", "sons/1minuteGB.wav"};

inline constexpr std::string_view kGetReadySound = "sons/nokia-sms.wav";
inline constexpr std::string_view kStartSignalSound = "sons/foghorn.wav";
inline constexpr std::string_view kTimeUpSound = "sons/foghorn.wav";
inline constexpr std::string_view kLapBeepSound = "sons/beep1.wav";
inline constexpr std::string_view kBestLapSound = "sons/youpi.wav";
inline constexpr std::string_view kEndOfRaceSound = "sons/truckhorn.wav";
inline constexpr std::string_view kDelayOverSound = "sons/nokia-sms.wav";

// Calls heard at most once per run; "Start" clears them.
struct AnnouncementFlags {
    std::array<std::int32_t, kCountdownCalls.size()> countdown{};
    std::int32_t midRace = 0;
    std::int32_t fiveMinutes = 0;
    std::int32_t oneMinute = 0;
};

// The call in the language of the settings; nothing for a language word that is neither.
void PlayVoice(const SoundSettings& settings, const VoiceCall& call, SoundPlayer& player);

// "Start": a signal, heard to its end, that the countdown is about to begin.
void AnnounceStartPressed(const SoundSettings& settings, std::int32_t countdownSeconds,
                          SoundPlayer& player);
// The countdown's spoken calls, each once.
void AnnounceCountdown(const SoundSettings& settings, std::int32_t remainingSeconds,
                       AnnouncementFlags& flags, SoundPlayer& player);
// The start of the race clock, or in first-car mode the first car's crossing.
void AnnounceStartSignal(const SoundSettings& settings, SoundPlayer& player);
// Half-time, five and one minute to go, against the run's configured duration.
void AnnounceRaceClock(const SoundSettings& settings, const RaceClock& clock,
                       std::int32_t durationHours, std::int32_t durationMinutes,
                       AnnouncementFlags& flags, SoundPlayer& player);
// A counted lap. stopsTheRun: this very passing ends the run, whose horn must not be cut by the
// car's finishing call.
void AnnounceCountedLap(const SoundSettings& settings, const RunCar& car, bool stopsTheRun,
                        SoundPlayer& player);
// "Stop" of a running run.
void AnnounceRunStopped(const SoundSettings& settings, SoundPlayer& player);

}  // namespace velkaro
