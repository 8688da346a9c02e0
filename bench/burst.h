#pragma once

// A decoder that has a full read of MK2 passings waiting on every tick: the heaviest tick the
// run engine meets.

#include <algorithm>
#include <cstring>

#include "platform/serial_port.h"
#include "timing/classification.h"
#include "timing/decoder_link.h"
#include "timing/passing_processing.h"
#include "common/run_car.h"
#include "tools/decoder-sim/wire.h"

namespace velkaro::bench {

inline constexpr int kFrames = kMaxRead / kMk2PassingSize;  // 23

// Every read finds the same burst, except the answer to a clock reset.
class BurstPort final : public SerialPort {
  public:
    // Frame j is car j mod 20 at j x 150 ms: three cars pass twice, 3 s apart. The last two
    // bytes of a full read are a frame cut short.
    BurstPort() {
        for (int j = 0; j < kFrames; ++j) {
            auto frame =
                sim::EncodeMk2Passing(static_cast<std::uint16_t>(2001 + j % kCarSlots), j * 150);
            std::memcpy(bytes + j * kMk2PassingSize, frame.data(), frame.size());
        }
    }
    bool Open(std::string_view, const LineSettings&) override { return true; }
    bool Purge() override { return true; }
    bool RaiseDtr() override { return true; }
    bool Read(std::uint8_t* buffer, int max, int* got) override {
        if (answerReset) {
            static constexpr std::uint8_t kAnswer[] = {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00};
            std::memcpy(buffer, kAnswer, sizeof kAnswer);
            *got = sizeof kAnswer;
            answerReset = false;
            return true;
        }
        *got = std::min(max, size);
        std::memcpy(buffer, bytes, static_cast<std::size_t>(*got));
        return true;
    }
    bool Write(const std::uint8_t* buffer, int count, int* written) override {
        answerReset = count == 5 && std::memcmp(buffer, kClockReset.data(), 5) == 0;
        *written = count;
        return true;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }

    std::uint8_t bytes[kMaxRead] = {};
    int size = kMaxRead;  // 0: an idle decoder
    bool answerReset = false;
};

// Twenty cars with the burst's transponders, ready for a run: reset, in the live order.
inline void TwentyCars(RunTables& t) {
    for (int slot = 0; slot < kCarSlots; ++slot) {
        Format(t.cars[std::size_t(slot)].driverName, "Driver number %d", slot + 1);
        Format(t.cars[std::size_t(slot)].transponder, "%06d", 2001 + slot);
    }
    ResetRunCars(t.cars);
    t.carsInUse = InitStandings(t.standings, t.cars);
    InitLiveRows(t.rows, t.standings, t.carsInUse);
}

}  // namespace velkaro::bench
