#include "timing/decoder_link.h"

#include <cstring>
#include <string>

#include "timing/time_format.h"

namespace velkaro {
namespace {

constexpr std::uint8_t kPresenceAnswerTag = 0x01;
constexpr std::uint8_t kMk2Model = 0x02;
constexpr std::array<std::uint8_t, kAnswerSize> kClockResetAnswer{0xFF, 0xFF, 0xFF, 0x02,
                                                                  0x00, 0x00, 0x00};
constexpr std::uint8_t kPassingTag = 0xF0;
constexpr int kFirstSubSecondCount = 18661;  // the decoder's second counts from here to 65535

bool HasHeader(const std::uint8_t* b, std::uint8_t tag) {
    return b[0] == 0xFF && b[1] == 0xFF && b[2] == 0xFF && b[3] == tag;
}

// The decoder's clock runs within a day. A frame whose time cannot be one is garbage that looks
// like a frame: a frame cut short read together with the next gives hours of 0xFF, a lap of
// hundreds of hours that would finish the car and end the heat.
bool IsTimeOfDay(const std::uint8_t* frame) {
    int counter = frame[9] * 256 + frame[10];
    return frame[6] <= 23 && frame[7] <= 59 && frame[8] <= 59 && counter >= kFirstSubSecondCount;
}

bool IsPassing(const std::uint8_t* frame) {
    return HasHeader(frame, kPassingTag) && IsTimeOfDay(frame);
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

void DeclareLoss(DecoderLink& link, Messages& messages, bool runRunning, std::uint32_t now) {
    DecoderLinkState& st = link.state;
    ClosePort(*link.port);
    link.settings.ready = 0;
    st.lossTick = now;
    bool saved = WriteInterfaceSettings(link.settings);
    st.watchdogOn = 0;
    st.restoring = 1;
    // Outside a run nobody is told of the loss; a failed restoration then shows its own line.
    if (runRunning) {
        Format(st.linkReport, "Failure of the decoder MK2 connection at %s.\n",
               ReportTime(link, now).CStr());
    } else {
        st.linkReport.Clear();
    }
    // Boxes come last: their modal loop keeps ticking, and the state must be settled by then.
    if (!saved) messages.Error(kSettingsFileMissing);
}

// Sends the presence query, then hands each read of the next 100 ms to scan until the
// decoder is found ready.
template <typename Scan>
void AskPresence(DecoderLink& link, Scan scan) {
    Clock& clock = *link.clock;
    int written = 0;
    Send(*link.port, kPresenceQuery, &written);
    std::int64_t frequency = clock.Frequency();
    std::int64_t start = clock.Counter();
    while (ElapsedMs(clock, start, frequency) < kPresenceWaitMs && link.settings.ready == 0) {
        int n = 0;
        ReadBytes(*link.port, link.receive.data(), kMaxRead, &n);
        scan(link.receive.data(), n);
    }
}

void TryRestore(DecoderLink& link, Messages& messages, bool runRunning,
                const PassingSink& restoredPassings, std::uint32_t now) {
    DecoderLinkState& st = link.state;
    Clock& clock = *link.clock;
    st.lossTick = now;
    if (!OpenPort(*link.port, link.settings.port.View())) return;

    AskPresence(link, [&](const std::uint8_t* b, int n) {
        int i = 0;
        while (n - i >= kAnswerSize) {
            if (HasHeader(b + i, kPresenceAnswerTag) && b[i + 4] == kMk2Model) {
                link.settings.ready = 1;
                st.settingsLoaded = 0;
                st.watchdogOn = 0;
                st.restoring = 0;
                i += kAnswerSize;
            } else if (n - i >= kMk2PassingSize && IsPassing(b + i)) {
                // Kept by the decoder while the link was down: counted with its own time.
                if (restoredPassings) {
                    restoredPassings(Mk2Passing(b + i, link.timeBase.runTimeOffset, clock));
                }
                i += kMk2PassingSize;
            } else {
                ++i;
            }
        }
    });

    if (link.settings.ready == 1 && st.settingsLoaded == 0) {
        bool saved = WriteInterfaceSettings(link.settings);
        if (runRunning) {
            std::string line = "Connection of the decoder MK2 restored at ";
            line += ReportTime(link, now).View();
            line += '.';
            AppendLinkReport(st.linkReport, line);
        }
        if (!saved) messages.Error(kSettingsFileMissing);
        if (runRunning) {
            messages.Show("Message", st.linkReport.View(), MessageButtons::Ok,
                          MessageIcon::Information);
        }
    } else {
        AppendLinkReport(st.linkReport, "Error : Connection not restored.");
        messages.Error(st.linkReport.View());
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
    if (!OpenPort(*link.port, port)) {
        link.settings.interfaceType = kMk1Type;
        return DetectResult::PortNotOpened;
    }

    // Nothing is carried from one read to the next: an answer split in two is not seen.
    AskPresence(link, [&](const std::uint8_t* b, int n) {
        int i = 0;
        while (n - i >= kAnswerSize) {
            if (HasHeader(b + i, kPresenceAnswerTag)) {
                if (b[i + 4] == kMk2Model) link.settings.ready = 1;
                i += kAnswerSize;
            } else {
                ++i;
            }
        }
    });

    if (link.settings.ready == 1) {
        link.settings.interfaceType = kMk2Type;
        return DetectResult::Mk2;
    }
    link.settings.ready = 1;  // an MK1 never answers
    link.settings.interfaceType = kMk1Type;
    return DetectResult::Mk1;
}

DetectResult ConnectDecoderAtStartUp(DecoderLink& link, Messages& messages) {
    bool found = ReadInterfaceSettings(link.settings);
    if (!found) messages.Error(kSettingsFileMissing);
    Text<6> port = link.settings.port;
    DetectResult result = DetectDecoder(link, port.View());
    if (!WriteInterfaceSettings(link.settings) && found) messages.Error(kSettingsFileMissing);
    std::string_view text = result == DetectResult::Mk1
                                ? "COM port opened correctly, OK !\n Interface Velkaro MK1 ready "
                                  "to operate"
                            : result == DetectResult::Mk2 ? "Interface Velkaro MK2 ready to operate"
                                                          : "Could not open the COM port";
    messages.Show("Message", text, MessageButtons::Ok, MessageIcon::Information);
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
    std::uint8_t* b = link.receive.data();
    bool zeroed = false;
    while (!zeroed && ElapsedMs(clock, start, frequency) < kClockResetWaitMs) {
        int n = 0;
        ReadBytes(*link.port, b, kMaxRead, &n);
        int i = 0;
        while (n - i >= kAnswerSize) {
            if (std::memcmp(b + i, kClockResetAnswer.data(), kAnswerSize) == 0) {
                zeroed = true;
                base.perfFrequency = frequency;
                base.perfStart = clock.Counter();
                i += kAnswerSize;
            } else {
                ++i;
            }
        }
    }
    return zeroed;
}

std::int64_t Mk2TimeMs(std::uint8_t h, std::uint8_t m, std::uint8_t s, std::uint8_t ch,
                       std::uint8_t cl) {
    // 46875 counts a second.
    std::int64_t subSecond =
        (static_cast<std::int64_t>(ch) * 256 + cl - kFirstSubSecondCount) * 256 / 12000;
    return h * 3600000LL + m * 60000LL + s * 1000LL + subSecond;
}

void DecodeMk2Passings(const std::uint8_t* bytes, int count, std::int64_t timeOffset, Clock& clock,
                       const PassingSink& sink) {
    int i = 0;
    while (count - i >= kMk2PassingSize) {
        if (IsPassing(bytes + i)) {
            sink(Mk2Passing(bytes + i, timeOffset, clock));
            i += kMk2PassingSize;
        } else {
            ++i;
        }
    }
}

void PollDecoder(DecoderLink& link, const PassingSink& sink) {
    int n = 0;
    std::uint8_t* b = link.receive.data();
    if (!ReadBytes(*link.port, b, kMaxRead, &n) || n <= 0) return;
    const RunTimeBase& base = link.timeBase;
    if (IsMk2(link.settings)) {
        DecodeMk2Passings(b, n, base.runTimeOffset, *link.clock, sink);
        return;
    }
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
    int n = 0;
    ReadBytes(*link.port, link.receive.data(), kMaxRead, &n);
}

void SuperviseLink(DecoderLink& link, Messages& messages, bool runRunning,
                   const PassingSink& restoredPassings) {
    DecoderLinkState& st = link.state;
    Clock& clock = *link.clock;
    if (st.settingsLoaded == 0) {
        st.settingsLoaded = 1;
        bool found = ReadInterfaceSettings(link.settings);
        if (IsMk2(link.settings) && link.settings.ready == 1) {
            st.watchdogOn = 1;
            st.missedWrites = 0;
            st.lastKeepAliveTick = clock.TickMs();
        }
        if (!found) messages.Error(kSettingsFileMissing);
    }

    std::uint32_t now = clock.TickMs();
    if (st.watchdogOn && now - st.lastKeepAliveTick > kKeepAliveEveryMs) {
        st.lastKeepAliveTick = now;
        int written = 0;
        Send(*link.port, kKeepAlive, &written);
        if (written >= 1) {
            st.missedWrites = 0;
        } else if (st.missedWrites > 0) {
            DeclareLoss(link, messages, runRunning, now);
            return;
        } else {
            ++st.missedWrites;
        }
    }

    if (IsMk2(link.settings) && link.settings.ready == 0 && st.restoring == 1 &&
        now - st.lossTick > kRestoreEveryMs) {
        TryRestore(link, messages, runRunning, restoredPassings, now);
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
