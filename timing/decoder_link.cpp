#include "timing/decoder_link.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "common/time_format.h"

namespace velkaro {
namespace {

// How messages begin; an answer to the presence query is an MK2's when its fifth byte is 0x02.
constexpr std::uint8_t kAnswerStart[] = {0xFF, 0xFF, 0xFF, 0x01};
constexpr std::uint8_t kMk2AnswerStart[] = {0xFF, 0xFF, 0xFF, 0x01, 0x02};
constexpr std::uint8_t kClockResetAnswer[kAnswerSize] = {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00};
constexpr std::uint8_t kPassingStart[] = {0xFF, 0xFF, 0xFF, 0xF0};
constexpr std::uint8_t kMk2Model = 0x02;
constexpr int kFirstSubSecondCount = 18661;  // the decoder's second counts from here to 65535

// Where a scan stands against a message that begins with `start`: its size when it is there
// whole, 0 when the bytes differ from its start, kIncomplete when the n bytes left end inside it.
constexpr int kIncomplete = -1;
int Fits(const std::uint8_t* b, int n, std::span<const std::uint8_t> start, int size) {
    int compared = std::min(n, static_cast<int>(start.size()));
    if (std::memcmp(b, start.data(), static_cast<std::size_t>(compared)) != 0) return 0;
    return n >= size ? size : kIncomplete;
}

// The decoder's clock runs within a day. A frame whose time cannot be one is garbage that looks
// like a frame: a frame cut short read together with the next gives hours of 0xFF, a lap of
// hundreds of hours that would finish the car and end the heat.
bool IsTimeOfDay(const std::uint8_t* frame) {
    int counter = frame[9] * 256 + frame[10];
    return frame[6] <= 23 && frame[7] <= 59 && frame[8] <= 59 && counter >= kFirstSubSecondCount;
}

int PassingAt(const std::uint8_t* b, int n) {
    int size = Fits(b, n, kPassingStart, kMk2PassingSize);
    return size == kMk2PassingSize && !IsTimeOfDay(b) ? 0 : size;
}

// Goes through b[0, n) byte by byte: at(b, left) gives the size of the message that begins there,
// 0 for none (one byte on), kIncomplete when the bytes end inside one. Each message found goes to
// `found`. Returns where the scan stopped.
template <typename At, typename Found>
int Scan(const std::uint8_t* b, int n, At at, Found found) {
    int i = 0;
    while (i < n) {
        int size = at(b + i, n - i);
        if (size == kIncomplete) break;
        if (size == 0) {
            ++i;
            continue;
        }
        found(b + i);
        i += size;
    }
    return i;
}

// An MK2 message cut by the end of a read is kept and completed by the next read. This departs on
// purpose from the older rule, which dropped it: a serial port hands bytes over as they arrive, a
// 10 ms poll at 9600 baud sees about 10 of them, less than a passing frame, and USB adapters cut
// frames anywhere, so most frames were lost. The MK2's messages begin with a header to
// resynchronise on; a kept start that proves to be garbage is skipped byte by byte like any other.
// An MK1's pairs carry no header: there the odd byte at the end of a read is still dropped, since
// that is what realigns the next read on a pair.
//
// The kept bytes go first in the receive buffer and the read after them: the count of both.
int ReadAfterPartial(DecoderLink& link) {
    DecoderLinkState& st = link.state;
    std::uint8_t* b = link.receive.data();
    std::memcpy(b, st.partial.data(), static_cast<std::size_t>(st.partialCount));
    int n = 0;
    if (!ReadBytes(*link.port, b + st.partialCount, kMaxRead, &n) || n < 0) n = 0;
    if (n > 0) st.lastByteTick = link.clock->TickMs();
    return st.partialCount + n;
}

// What a scan of the receive buffer's first count bytes left from `scanned` on.
void KeepPartial(DecoderLink& link, int count, int scanned) {
    int rest = std::clamp(count - scanned, 0, kMaxPartial);
    std::memcpy(link.state.partial.data(), link.receive.data() + count - rest,
                static_cast<std::size_t>(rest));
    link.state.partialCount = rest;
}

void ForgetPartial(DecoderLink& link) {
    link.state.partialCount = 0;
}

// A reopened port starts the input afresh: nothing of the old one may be completed by it.
bool Reopen(DecoderLink& link, std::string_view name) {
    ForgetPartial(link);
    return OpenPort(*link.port, name);
}

std::int64_t ElapsedMs(Clock& clock, std::int64_t start, std::int64_t frequency) {
    return (clock.Counter() - start) * 1000 / frequency;
}

bool Send(SerialPort& port, const std::array<std::uint8_t, 5>& message, int* written) {
    return WriteBytes(port, message.data(), static_cast<int>(message.size()), written);
}

void SetTransponder(Passing& p, unsigned number) {
    Format(p.transponder, "%06u", number);
}

Passing Mk2Passing(const std::uint8_t* frame, std::int64_t timeOffset, Clock& clock) {
    Passing p;
    SetTransponder(p, frame[4] * 256u + frame[5]);
    p.timeMs = Mk2TimeMs(frame[6], frame[7], frame[8], frame[9], frame[10]) - timeOffset;
    p.counter = clock.Counter();
    return p;
}

// The race time now, cut to tenths, as the link reports show it.
TimeText ReportTime(const DecoderLink& link, std::uint32_t now) {
    std::uint32_t elapsed = now - link.timeBase.runStartTick;
    TimeSplit t = SplitTime(static_cast<std::int32_t>(elapsed & 0x7FFFFFFFu));
    t.ms = t.ms / 100 * 100;
    TimeText text;
    FormatLapTime(text, t);
    return text;
}

constexpr std::string_view kSettingsFileMissing = "Error: COM port file not found";

void DeclareLoss(DecoderLink& link, NoticeLog& notices, bool runRunning, std::uint32_t now) {
    DecoderLinkState& st = link.state;
    ClosePort(*link.port);
    link.settings.ready = 0;
    st.lossTick = now;
    st.downSinceTick = now;
    LocalDateTime at = link.clock->Now();
    Format(st.downSinceTime, "%02d:%02d:%02d", at.hour, at.minute, at.second);
    bool saved = WriteInterfaceSettings(link.settings, *link.disk);
    st.watchdogOn = 0;
    st.restoring = 1;
    // Outside a run nobody is told of the loss; a failed restoration then shows its own line.
    if (runRunning) {
        Format(st.linkReport, "Failure of the decoder MK2 connection at %s.\n",
               ReportTime(link, now).CStr());
        PostNotice(notices, now, st.linkReport.View());
    } else {
        st.linkReport.Clear();
    }
    if (!saved) PostNotice(notices, now, kSettingsFileMissing);
}

// Sends the presence query, then scans what comes in the next 100 ms until the decoder is found
// ready.
template <typename At, typename Found>
void AskPresence(DecoderLink& link, At at, Found found) {
    Clock& clock = *link.clock;
    int written = 0;
    Send(*link.port, kPresenceQuery, &written);
    std::int64_t frequency = clock.Frequency();
    std::int64_t start = clock.Counter();
    while (ElapsedMs(clock, start, frequency) < kPresenceWaitMs && link.settings.ready == 0) {
        int n = ReadAfterPartial(link);
        KeepPartial(link, n, Scan(link.receive.data(), n, at, found));
    }
}

void TryRestore(DecoderLink& link, NoticeLog& notices, bool runRunning,
                const PassingSink& restoredPassings, std::uint32_t now) {
    DecoderLinkState& st = link.state;
    Clock& clock = *link.clock;
    st.lossTick = now;
    if (!Reopen(link, link.settings.port.View())) return;

    auto answerOrPassing = [](const std::uint8_t* b, int n) {
        int size = Fits(b, n, kMk2AnswerStart, kAnswerSize);
        return size != 0 ? size : PassingAt(b, n);
    };
    // The decoder's kept passings follow its answer; those the reads of the wait do not bring are
    // polled on the next ticks, the first of them completing a frame cut here.
    AskPresence(link, answerOrPassing, [&](const std::uint8_t* b) {
        if (b[3] == kAnswerStart[3]) {
            link.settings.ready = 1;
            st.settingsLoaded = 0;
            st.watchdogOn = 0;
            st.restoring = 0;
        } else if (restoredPassings) {
            // Kept by the decoder while the link was down: counted with its own time.
            Passing p = Mk2Passing(b, link.timeBase.runTimeOffset, clock);
            OntoRunClock(link.timeBase, p);
            restoredPassings(p);
        }
    });

    if (link.settings.ready == 1 && st.settingsLoaded == 0) {
        bool saved = WriteInterfaceSettings(link.settings, *link.disk);
        if (runRunning) {
            std::string line = "Connection of the decoder MK2 restored at ";
            line += ReportTime(link, now).View();
            line += '.';
            AppendLinkReport(st.linkReport, line);
        }
        if (!saved) PostNotice(notices, now, kSettingsFileMissing);
        if (runRunning) PostNotice(notices, now, st.linkReport.View());
    } else {
        AppendLinkReport(st.linkReport, "Error : Connection not restored.");
        PostNotice(notices, now, st.linkReport.View());
    }
}

}  // namespace

bool OpenPort(SerialPort& port, std::string_view name) {
    if (!port.Open(name, LineSettings{})) return false;
    port.Purge();
    port.RaiseDtr();
    return true;
}

int ClosePort(SerialPort& port) {
    port.Close();
    return 1;
}

bool WriteBytes(SerialPort& port, const std::uint8_t* bytes, int count, int* written) {
    return port.Write(bytes, count, written);
}

bool ReadBytes(SerialPort& port, std::uint8_t* bytes, int max, int* read) {
    return port.Read(bytes, max < kMaxRead ? max : kMaxRead, read);
}

DetectResult DetectDecoder(DecoderLink& link, std::string_view port) {
    ClosePort(*link.port);
    link.settings.ready = 0;
    link.settings.port.Assign(port);
    if (!Reopen(link, port)) {
        link.settings.interfaceType = kMk1Type;
        return DetectResult::PortNotOpened;
    }

    AskPresence(
        link, [](const std::uint8_t* b, int n) { return Fits(b, n, kAnswerStart, kAnswerSize); },
        [&link](const std::uint8_t* b) {
            if (b[4] == kMk2Model) link.settings.ready = 1;
        });

    if (link.settings.ready == 1) {
        link.settings.interfaceType = kMk2Type;
        return DetectResult::Mk2;
    }
    link.settings.ready = 1;  // an MK1 never answers
    link.settings.interfaceType = kMk1Type;
    return DetectResult::Mk1;
}

DetectResult ConnectDecoderAtStartUp(DecoderLink& link, Messages& messages, NoticeLog& notices) {
    bool found = ReadInterfaceSettings(link.settings, *link.disk);
    if (!found) messages.Error(kSettingsFileMissing);
    Text<6> port = link.settings.port;
    DetectResult result = DetectDecoder(link, port.View());
    if (!WriteInterfaceSettings(link.settings, *link.disk) && found)
        messages.Error(kSettingsFileMissing);
    std::string_view text = result == DetectResult::Mk1
                                ? "COM port opened correctly, OK !\n Interface Velkaro MK1 ready "
                                  "to operate"
                            : result == DetectResult::Mk2 ? "Interface Velkaro MK2 ready to operate"
                                                          : "Could not open the COM port";
    if (result == DetectResult::PortNotOpened) {
        PostNotice(notices, link.clock->TickMs(), text);
    } else {
        messages.Show("Message", text, MessageButtons::Ok, MessageIcon::Information);
    }
    return result;
}

bool SyncDecoderClock(DecoderLink& link) {
    Clock& clock = *link.clock;
    RunTimeBase& base = link.timeBase;
    if (!IsMk2(link.settings)) {
        base.perfFrequency = clock.Frequency();
        base.perfStart = clock.Counter();
        return true;
    }

    int written = 0;
    Send(*link.port, kClockReset, &written);
    std::int64_t frequency = clock.Frequency();
    std::int64_t start = clock.Counter();
    bool zeroed = false;
    auto answer = [](const std::uint8_t* b, int n) {
        return Fits(b, n, kClockResetAnswer, kAnswerSize);
    };
    // An answer that the wait cuts short is completed on the next attempt.
    while (!zeroed && ElapsedMs(clock, start, frequency) < kClockResetWaitMs) {
        int n = ReadAfterPartial(link);
        KeepPartial(link, n, Scan(link.receive.data(), n, answer, [&](const std::uint8_t*) {
                        zeroed = true;
                        base.perfFrequency = frequency;
                        base.perfStart = clock.Counter();
                        base.decoderZeroed = 1;
                        base.lastDecoderMs = 0;
                        base.decoderShiftMs = 0;
                    }));
    }
    // The rest of the answer's read is dropped; the decoder's clock starts afresh.
    if (zeroed) ForgetPartial(link);
    return zeroed;
}

std::int64_t Mk2TimeMs(std::uint8_t h, std::uint8_t m, std::uint8_t s, std::uint8_t ch,
                       std::uint8_t cl) {
    // 46875 counts a second.
    std::int64_t subSecond =
        (static_cast<std::int64_t>(ch) * 256 + cl - kFirstSubSecondCount) * 256 / 12000;
    return h * 3600000LL + m * 60000LL + s * 1000LL + subSecond;
}

int DecodeMk2Passings(const std::uint8_t* bytes, int count, std::int64_t timeOffset, Clock& clock,
                      const PassingSink& sink) {
    return Scan(bytes, count, PassingAt,
                [&](const std::uint8_t* frame) { sink(Mk2Passing(frame, timeOffset, clock)); });
}

void OntoRunClock(RunTimeBase& base, Passing& p) {
    if (base.decoderZeroed == 0) return;  // its times are nobody's clock yet
    std::int64_t decoderMs = p.timeMs + base.runTimeOffset;
    if (decoderMs < base.lastDecoderMs) {
        std::int64_t arrival = (p.counter - base.perfStart) * 1000 / base.perfFrequency;
        base.decoderShiftMs = arrival - decoderMs;
        ++base.decoderRestarts;
    }
    base.lastDecoderMs = decoderMs;
    p.timeMs += base.decoderShiftMs;
}

void PollDecoder(DecoderLink& link, const PassingSink& sink) {
    RunTimeBase& base = link.timeBase;
    if (IsMk2(link.settings)) {
        int n = ReadAfterPartial(link);
        PassingSink onRunClock = [&base, &sink](const Passing& decoded) {
            Passing p = decoded;
            OntoRunClock(base, p);
            sink(p);
        };
        KeepPartial(
            link, n,
            DecodeMk2Passings(link.receive.data(), n, base.runTimeOffset, *link.clock, onRunClock));
        return;
    }
    ForgetPartial(link);
    int n = 0;
    std::uint8_t* b = link.receive.data();
    if (!ReadBytes(*link.port, b, kMaxRead, &n) || n <= 0) return;
    link.state.lastByteTick = link.clock->TickMs();
    // An MK1 sends no time: the PC's counter dates each passing as it is decoded.
    for (int i = 0; n - i >= kMk1PassingSize; i += kMk1PassingSize) {
        Passing p;
        SetTransponder(p, b[i] * 256u + b[i + 1]);
        p.counter = link.clock->Counter();
        p.timeMs = (p.counter - base.perfStart) * 1000 / base.perfFrequency - base.runTimeOffset;
        sink(p);
    }
}

void DiscardDecoderInput(DecoderLink& link) {
    ForgetPartial(link);
    int n = 0;
    ReadBytes(*link.port, link.receive.data(), kMaxRead, &n);
    if (n > 0) link.state.lastByteTick = link.clock->TickMs();
}

void SuperviseLink(DecoderLink& link, NoticeLog& notices, bool runRunning,
                   const PassingSink& restoredPassings) {
    DecoderLinkState& st = link.state;
    Clock& clock = *link.clock;
    if (st.settingsLoaded == 0) {
        st.settingsLoaded = 1;
        bool found = ReadInterfaceSettings(link.settings, *link.disk);
        if (IsMk2(link.settings) && link.settings.ready == 1) {
            st.watchdogOn = 1;
            st.missedWrites = 0;
            st.lastKeepAliveTick = clock.TickMs();
        }
        if (!found) PostNotice(notices, clock.TickMs(), kSettingsFileMissing);
    }

    std::uint32_t now = clock.TickMs();
    if (st.watchdogOn && now - st.lastKeepAliveTick > kKeepAliveEveryMs) {
        st.lastKeepAliveTick = now;
        int written = 0;
        Send(*link.port, kKeepAlive, &written);
        if (written >= 1) {
            st.missedWrites = 0;
        } else if (st.missedWrites > 0) {
            DeclareLoss(link, notices, runRunning, now);
            return;
        } else {
            ++st.missedWrites;
        }
    }

    if (IsMk2(link.settings) && link.settings.ready == 0 && st.restoring == 1 &&
        now - st.lossTick > kRestoreEveryMs) {
        TryRestore(link, notices, runRunning, restoredPassings, now);
    }
}

void SuspendLinkSupervision(DecoderLink& link) {
    link.state.watchdogOn = 0;
    link.state.restoring = 0;
}

void ReloadLinkSettings(DecoderLink& link) {
    link.state.settingsLoaded = 0;
}

// The report holds the loss line and what restoration attempts add. When a line no longer fits,
// the loss line stays (it says when the trouble began) and the newest line replaces the others;
// a line too long for that starts the report afresh, cut at the slot's end.
void AppendLinkReport(Text<120>& report, std::string_view line) {
    if (report.Length() + line.size() <= Text<120>::kCapacity) {
        report.Append(line);
        return;
    }
    std::string_view current = report.View();
    std::size_t lossEnd = current.find('\n');
    if (lossEnd != std::string_view::npos && lossEnd + 1 + line.size() <= Text<120>::kCapacity) {
        std::string loss(current.substr(0, lossEnd + 1));
        report.Assign(loss);
        report.Append(line);
        return;
    }
    report.Assign(line);
}

}  // namespace velkaro
