#pragma once

#include <array>
#include <string_view>

#include "event/settings_files.h"

// The rules of the "Sound options" form: which control sets which line of the sound settings.

namespace velkaro {

inline constexpr int kSoundEnglishRadio = 3701;
inline constexpr int kSoundFrenchRadio = 3702;

// A check box and the line it sets: its "oui" keyword when checked, its "non" one otherwise.
struct SoundCheck {
    int id;
    int line;  // 2 to 8
    std::string_view label;
    std::string_view on;
    std::string_view off;
};

inline constexpr std::array<SoundCheck, 7> kSoundChecks{{
    {3703, 2, "Vocal announcement of the countdown", kCountdownOn, kCountdownOff},
    {3704, 3, "Sound signal for the race start", kStartOn, kStartOff},
    {3705, 4, "Sound signal for each lap completion", kPassingOn, kPassingOff},
    {3706, 5, "Vocal announcement of the best lap", kBestLapOn, kBestLapOff},
    {3707, 6, "Vocal announcement of the race clock", kClockOn, kClockOff},
    {3708, 7, "Sound signal at the end of race", kEndOfRaceOn, kEndOfRaceOff},
    {3709, 8, "Vocal announcement for each car end of race", kCarFinishOn, kCarFinishOff},
}};

// The keyword of line 1 to 8; empty for any other line.
std::string_view SoundKeyword(const SoundSettings& settings, int line);
void SetSoundKeyword(SoundSettings& settings, int line, std::string_view keyword);

// "English" is checked for the English keyword only; any other word shows "French".
bool EnglishChecked(const SoundSettings& settings);
// A box is checked when its line holds exactly its "oui" keyword.
bool SoundChecked(const SoundSettings& settings, const SoundCheck& check);

// A click on a radio button or a check box (by id), in its new state.
void ClickSoundControl(SoundSettings& settings, int id, bool checked);

}  // namespace velkaro
