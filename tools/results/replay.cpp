#include "tools/results/replay.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>

#include "common/time_format.h"
#include "common/transponder.h"
#include "event/event_file.h"
#include "platform/cp1252.h"
#include "timing/run_loading.h"

namespace velkaro::results {
namespace {

constexpr std::int64_t kTickMs = 10;

// The counter stands still within a tick, so that every passing of a read is dated at the tick
// of the poll that decodes it; a loop that waits on it still ends, as it moves on past 10000
// reads.
class ReplayClock final : public Clock {
  public:
    explicit ReplayClock(LocalDateTime now) : now_(now) {}
    std::uint32_t TickMs() override { return std::uint32_t(ms_); }  // wraps, as a tick does
    std::int64_t Counter() override {
        if (++reads_ > 10000) ++drift_;
        return ms_ * 1000 + drift_;
    }
    std::int64_t Frequency() override { return 1'000'000; }
    LocalDateTime Now() override { return now_; }
    std::int64_t Ms() const { return ms_; }
    void MoveTo(std::int64_t ms) {
        ms_ = ms;
        reads_ = 0;
    }

  private:
    LocalDateTime now_;
    std::int64_t ms_ = 1000;
    std::int64_t drift_ = 0;
    int reads_ = 0;
};

// The decoder's side: from the run's clock zero, each burst of the capture waits in the port from
// its time on, and a read takes at most what it asks for. An MK2's clock reset is answered.
class CapturePort final : public SerialPort {
  public:
    CapturePort(const std::vector<sim::RecordBurst>& bursts, ReplayClock& clock)
        : bursts_(bursts), clock_(clock) {}

    bool Open(std::string_view, const LineSettings&) override { return true; }
    bool Purge() override { return true; }
    bool RaiseDtr() override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }

    bool Write(const std::uint8_t* bytes, int count, int* written) override {
        *written = count;
        if (std::equal(bytes, bytes + count, kClockReset.begin(), kClockReset.end())) {
            answer_.assign(sim::kClockResetAnswer.begin(), sim::kClockResetAnswer.end());
        }
        return true;
    }

    bool Read(std::uint8_t* buffer, int max, int* got) override {
        int n = 0;
        while (n < max && !answer_.empty()) {
            buffer[n++] = answer_.front();
            answer_.erase(answer_.begin());
        }
        while (n < max && next_ < bursts_.size() && DueAt(next_) <= clock_.Ms()) {
            const std::vector<std::uint8_t>& b = bursts_[next_].bytes;
            std::size_t take = std::min(b.size() - byte_, std::size_t(max - n));
            std::copy_n(b.begin() + std::ptrdiff_t(byte_), take, buffer + n);
            n += int(take);
            byte_ += take;
            if (byte_ == b.size()) {
                ++next_;
                byte_ = 0;
            }
        }
        *got = n;
        return true;
    }

    // The capture's time 0 is this tick, the run's clock zero; its bytes are read from the next.
    void ZeroAt(std::int64_t ms) { origin_ = ms; }
    bool Exhausted() const { return answer_.empty() && next_ == bursts_.size(); }
    // The tick at which the next read finds bytes.
    std::int64_t NextDue() const {
        return answer_.empty() && next_ < bursts_.size() ? DueAt(next_) : clock_.Ms();
    }
    std::size_t Unread() const {
        std::size_t n = 0;
        for (std::size_t i = next_; i < bursts_.size(); ++i) n += bursts_[i].bytes.size();
        return n - byte_;
    }

  private:
    // The first tick after the zero at or after the burst's time.
    std::int64_t DueAt(std::size_t burst) const {
        std::int64_t at = std::max<std::int64_t>(bursts_[burst].atMs, 1);
        return origin_ + (at + kTickMs - 1) / kTickMs * kTickMs;
    }

    const std::vector<sim::RecordBurst>& bursts_;
    ReplayClock& clock_;
    std::vector<std::uint8_t> answer_;
    std::int64_t origin_ = std::numeric_limits<std::int64_t>::max() / 2;
    std::size_t next_ = 0, byte_ = 0;
};

class NoSound final : public SoundPlayer {
  public:
    void PlayAsync(std::string_view) override {}
    void PlayAndWait(std::string_view) override {}
};

// What the program would show in a box goes into the log.
class LoggedMessages final : public Messages {
  public:
    explicit LoggedMessages(std::string& log) : log_(log) {}
    MessageAnswer Show(std::string_view title, std::string_view text, MessageButtons,
                       MessageIcon) override {
        log_ += Utf8FromCp1252(title) + ": " + Utf8FromCp1252(text) + "\n";
        return MessageAnswer::Ok;
    }

  private:
    std::string& log_;
};

std::string Time(std::int64_t ms) {
    TimeText t;
    FormatLapTime(t, SplitTime(std::int32_t(std::clamp<std::int64_t>(ms, -kNoTime, kNoTime))));
    return std::string(t.View());
}

template <typename... Args>
std::string Printf(CheckedFormat<std::type_identity_t<Args>...> format, Args... args) {
    Text<256> line;
    Format(line, format, args...);
    return std::string(line.View());
}

// Every transponder of the capture, in order of first appearance, as the program would decode it.
std::vector<std::uint32_t> TranspondersOf(const sim::Record& capture, sim::Model model) {
    std::vector<std::uint8_t> bytes;
    for (const sim::RecordBurst& b : capture.bursts)
        bytes.insert(bytes.end(), b.bytes.begin(), b.bytes.end());
    std::vector<std::uint32_t> found;
    auto add = [&found](std::uint32_t t) {
        if (std::find(found.begin(), found.end(), t) == found.end()) found.push_back(t);
    };
    if (model == sim::Model::Mk1) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) add(bytes[i] * 256u + bytes[i + 1]);
        return found;
    }
    ReplayClock clock{LocalDateTime{}};
    DecodeMk2Passings(bytes.data(), int(bytes.size()), 0, clock, [&add](const Passing& p) {
        std::uint32_t t = 0;
        std::string_view s = p.transponder.View();
        std::from_chars(s.data(), s.data() + s.size(), t);
        add(t);
    });
    return found;
}

// A name in UTF-8, filled with spaces to `width` characters (not bytes).
std::string Padded(std::string_view cp1252, std::size_t width) {
    return Utf8FromCp1252(cp1252) + std::string(width - std::min(width, cp1252.size()), ' ');
}

void LogLiveOrder(std::string& log, const RunTables& t) {
    for (int k = 0; k < std::clamp(t.carsInUse, 0, kCarSlots); ++k) {
        const LiveRow& r = t.rows[std::size_t(k)];
        log += Printf("            %3s  car %2s  ", r.position.CStr(), r.carNumber.CStr()) +
               Padded(r.driverName.View(), 20) +
               Printf(" %4s laps  %10s  last %9s  best %9s  %s\n", r.laps.CStr(),
                      r.totalTime.CStr(), r.lastLap.CStr(), r.bestLap.CStr(), r.toLeader.CStr());
    }
}

void LogPassing(std::string& log, const RunEngine& e, const Passing& p, int slot, bool counted) {
    log += Printf("%10s  %s  ", Time(p.timeMs).c_str(), p.transponder.CStr());
    if (slot < 0) {
        bool known = std::any_of(e.tables.cars.begin(), e.tables.cars.end(), [&p](const RunCar& c) {
            return SameTransponder(c.transponder.View(), p.transponder.View());
        });
        log += known ? "ignored: its car has finished\n" : "ignored: no car has it\n";
        return;
    }
    const RunCar& car = e.tables.cars[std::size_t(slot)];
    log += Printf("car %d %s: ", slot + 1, Utf8FromCp1252(car.driverName.View()).c_str());
    if (!counted) {
        log += "rejected, " + Time(car.currentLapTime) + " after its last passing (minimum " +
               std::to_string(e.options.minimumLapSeconds) + " s)\n";
        return;
    }
    int n = car.passingCount;
    if (n == 0) {
        log += "starts its clock\n";
    } else {
        log += "passing " + std::to_string(n) + " counted, lap " +
               Time(car.lapTimes[std::size_t(n)]) + ", total " +
               Time(car.raceTimes[std::size_t(n)]) + (car.finished != 0 ? ", finished\n" : "\n");
    }
    LogLiveOrder(log, e.tables);
}

void PlaceCars(RunCars& cars, const std::vector<ReplayCar>& given) {
    ClearRunCars(cars);
    for (int slot = 0; slot < kCarSlots; ++slot) {
        RunCar& car = cars[std::size_t(slot)];
        if (std::size_t(slot) >= given.size()) {
            car.driverName = kEmptySlotName;
            continue;
        }
        car.driverName = given[std::size_t(slot)].name;
        Format(car.transponder, "%06u", unsigned(given[std::size_t(slot)].transponder));
    }
}

}  // namespace

ReplayOutcome Replay(const sim::Record& capture, const ReplaySetup& setup) {
    ReplayOutcome result;
    std::string& log = result.log;
    ReplayClock clock(setup.startedAt);
    CapturePort port(capture.bursts, clock);
    NoSound sound;
    LoggedMessages messages(log);

    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    link.settings.ready = 1;
    link.settings.interfaceType = setup.model == sim::Model::Mk2 ? kMk2Type : kMk1Type;
    link.state.settingsLoaded = 1;  // these settings, not a program folder's

    auto engine = std::make_unique<RunEngine>();
    RunEngine& e = *engine;
    e.link = &link;
    e.clockSource = &clock;
    e.sound = &sound;
    e.disk = &SystemDisk();
    e.messages = &messages;
    ApplyQualifOptions(e.options, setup.options);
    e.options.minimumLapSeconds = setup.minimumLapSeconds;
    e.options.countdownSeconds = 0;  // the capture starts at the clock zero

    std::vector<ReplayCar> cars = setup.cars;
    if (cars.empty()) {
        for (std::uint32_t t : TranspondersOf(capture, setup.model)) {
            if (cars.size() == std::size_t(kCarSlots)) {
                log += "transponder " + std::to_string(t) + ": no car left for it\n";
                continue;
            }
            cars.push_back({t, std::to_string(t)});
        }
    }
    PlaceCars(e.tables.cars, cars);
    e.kind = RunKind::Heat;
    e.phase = RunPhase::Armed;
    ResetRun(e.tables);
    ResetClockTexts(e);
    e.passingLog = [&log, &e](const Passing& p, int slot, bool counted) {
        LogPassing(log, e, p, slot, counted);
    };

    // The countdown is none: the next tick zeroes the run's clock, and the capture's time with it.
    StartCommand(e);
    port.ZeroAt(clock.Ms() + kTickMs);
    bool started = false;
    std::int64_t startedAt = 0;
    std::uint32_t noticesLogged = 0;
    while (true) {
        // Once the clock is zeroed, ticks with nothing to read are skipped, up to the end of the
        // run's time: the first tick past the limit, where the race clock reads 0:00:00.
        std::int64_t next = clock.Ms() + kTickMs;
        if ((e.phase == RunPhase::FirstCar || e.phase == RunPhase::Running) && !port.Exhausted()) {
            std::int64_t due = port.NextDue(), limit = startedAt + e.raceLimitMs + kTickMs;
            if (e.phase == RunPhase::Running && limit >= next) due = std::min(due, limit);
            next = std::max(next, due);
        }
        clock.MoveTo(next);
        OnTimerTick(e);
        // What the program tells the director on the race panel goes into the log as it comes.
        for (; noticesLogged < e.notices.posted; ++noticesLogged) {
            std::size_t age = e.notices.posted - noticesLogged - 1;
            if (age >= NoticeCount(e.notices)) continue;
            log += Printf("%10s  notice: %s\n", Time(clock.Ms() - startedAt).c_str(),
                          Utf8FromCp1252(NoticeAt(e.notices, age).text.View()).c_str());
        }
        if (!started && e.phase == RunPhase::Running) {
            started = true;
            startedAt = clock.Ms();
            if (e.options.startMode == StartMode::FirstCar) {
                log += Printf("%10s  start: the first car crossed, the run's time runs from it\n",
                              Time(link.timeBase.runTimeOffset).c_str());
            } else {
                log += Printf("%10s  start\n", Time(0).c_str());
            }
        }
        const std::string at = Time(clock.Ms() - startedAt);
        if (started && e.phase != RunPhase::Running) {
            log += Printf("%10s  stop: the run's rules end it", at.c_str());
            std::size_t unread = port.Unread();
            log += unread > 0 ? "; " + std::to_string(unread) + " bytes of the capture not read\n"
                              : "\n";
            break;
        }
        if (port.Exhausted()) {
            if (started) {
                log += Printf("%10s  stop: the capture ends\n", at.c_str());
            } else {
                log += "the capture ends before the start: no car crossed the line\n";
            }
            StopCommand(e);
            // An MK1 passing is two bytes; an MK2 one that a read cut waits for the rest.
            std::size_t total = 0;
            for (const sim::RecordBurst& b : capture.bursts) total += b.bytes.size();
            bool mk2 = setup.model == sim::Model::Mk2;
            int held = mk2 ? link.state.partialCount : int(total % 2);
            if (held > 0) {
                result.fault = "the capture ends in the middle of a passing (" +
                               std::to_string(held) + " of its " +
                               std::to_string(mk2 ? kMk2PassingSize : kMk1PassingSize) + " bytes)";
            }
            break;
        }
    }

    std::string lines;
    AppendRunContent(lines, e.tables.cars, e.trailer);
    std::erase(lines, '\r');
    log += "\nResult lines:\n" + Utf8FromCp1252(lines);
    return result;
}

}  // namespace velkaro::results
