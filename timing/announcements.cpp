#include "timing/announcements.h"

namespace velkaro {

namespace {

bool On(std::string_view setting, std::string_view onKeyword) {
    return setting == onKeyword;
}

}  // namespace

void PlayVoice(const SoundSettings& settings, const VoiceCall& call, SoundPlayer& player) {
    if (settings.language == kLanguageFrench) {
        player.PlayAsync(call.french);
    } else if (settings.language == kLanguageEnglish) {
        player.PlayAsync(call.english);
    }
}

void AnnounceStartPressed(const SoundSettings& settings, std::int32_t countdownSeconds,
                          SoundPlayer& player) {
    if (On(settings.countdown.View(), kCountdownOn) && countdownSeconds > 1) {
        player.PlayAndWait(kGetReadySound);
    }
}

void AnnounceCountdown(const SoundSettings& settings, std::int32_t remainingSeconds,
                       AnnouncementFlags& flags, SoundPlayer& player) {
    if (!On(settings.countdown.View(), kCountdownOn)) return;
    for (std::size_t i = 0; i < kCountdownCalls.size(); ++i) {
        if (kCountdownCalls[i].seconds != remainingSeconds || flags.countdown[i] != 0) continue;
        PlayVoice(settings, kCountdownCalls[i].voice, player);
        flags.countdown[i] = 1;
    }
}

void AnnounceStartSignal(const SoundSettings& settings, SoundPlayer& player) {
    if (On(settings.start.View(), kStartOn)) player.PlayAsync(kStartSignalSound);
}

void AnnounceRaceClock(const SoundSettings& settings, const RaceClock& clock,
                       std::int32_t durationHours, std::int32_t durationMinutes,
                       AnnouncementFlags& flags, SoundPlayer& player) {
    if (!On(settings.clock.View(), kClockOn)) return;
    if (flags.midRace == 0 && clock.remainingHours == clock.elapsedHours &&
        clock.remainingMinutes == clock.elapsedMinutes &&
        clock.remainingSeconds == clock.elapsedSeconds) {
        PlayVoice(settings, kMidRaceCall, player);
        flags.midRace = 1;
    }
    // Short runs are not worth a "five minutes" or "one minute" call.
    if (flags.fiveMinutes == 0 && clock.remainingHours == 0 && clock.remainingMinutes == 4 &&
        (durationHours > 0 || durationMinutes > 12)) {
        PlayVoice(settings, kFiveMinutesToGo, player);
        flags.fiveMinutes = 1;
    }
    if (flags.oneMinute == 0 && clock.remainingHours == 0 && clock.remainingMinutes == 0 &&
        (durationHours > 0 || durationMinutes > 2)) {
        PlayVoice(settings, kOneMinuteToGo, player);
        flags.oneMinute = 1;
    }
}

void AnnounceCountedLap(const SoundSettings& settings, const RunCar& car, bool stopsTheRun,
                        SoundPlayer& player) {
    if (car.finished == 0) {
        if (car.newBestLap != 0 && On(settings.bestLap.View(), kBestLapOn)) {
            player.PlayAsync(kBestLapSound);
        }
        // Asked for after the cheer, so that the beep cuts it.
        if (On(settings.passing.View(), kPassingOn)) player.PlayAsync(kLapBeepSound);
        return;
    }
    if (stopsTheRun || !On(settings.carFinish.View(), kCarFinishOn)) return;
    Text<48> file;
    if (settings.language == kLanguageFrench) {
        Format(file, "sons/FinCourseVoiture%d.wav", car.carNumber);
    } else if (settings.language == kLanguageEnglish) {
        Format(file, "sons/FinCourseVoiture%dGB.wav", car.carNumber);
    } else {
        return;
    }
    player.PlayAsync(file.View());
}

void AnnounceRunStopped(const SoundSettings& settings, SoundPlayer& player) {
    if (On(settings.endOfRace.View(), kEndOfRaceOn)) player.PlayAsync(kEndOfRaceSound);
}

}  // namespace velkaro
