#pragma once

// A run engine wired to a decoder that bursts passings (or stays quiet), a fake clock and silent
// sound and boxes: the heat the tick benchmarks drive.

#include <string_view>

#include "bench/burst.h"
#include "platform/disk.h"
#include "platform/fake/fake_clock.h"
#include "timing/run_control.h"

namespace velkaro::bench {

class Silent final : public SoundPlayer, public Messages {
  public:
    void PlayAsync(std::string_view) override {}
    void PlayAndWait(std::string_view) override {}
    MessageAnswer Show(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        return MessageAnswer::Ok;
    }
};

struct Heat {
    // A 24-hour run with no countdown, nothing started yet.
    Heat() {
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
        link.settings.interfaceType = kMk2Type;
        link.settings.ready = 1;
        link.state.settingsLoaded = 1;
        engine.link = &link;
        engine.clockSource = &clock;
        engine.sound = &silent;
        engine.disk = &SystemDisk();
        engine.messages = &silent;
        engine.options.durationHours = 24;
        engine.options.durationMinutes = 0;
        engine.options.durationTotalMinutes = 24 * 60;
        engine.options.countdownSeconds = 0;
    }

    // A fresh run of twenty cars, started: the race clock runs. The start's own tick reads
    // nothing, whatever the decoder holds.
    void Start() {
        engine.phase = RunPhase::Armed;  // not "Stop": it would write the circuits file
        TwentyCars(engine.tables);
        int size = port.size;
        port.size = 0;
        StartCommand(engine);
        clock.AdvanceMs(10);
        OnTimerTick(engine);
        port.size = size;
    }

    BurstPort port;
    FakeClock clock;
    DecoderLink link;
    Silent silent;
    RunEngine engine;
};

}  // namespace velkaro::bench
