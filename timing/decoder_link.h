#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/notices.h"
#include "platform/clock.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "platform/serial_port.h"
#include "platform/text.h"
#include "timing/interface_settings.h"
#include "timing/passing.h"

namespace velkaro {

inline constexpr int kReceiveBufferSize = 256;
inline constexpr int kMaxRead = kReceiveBufferSize - 1;  // one read never asks for more
inline constexpr std::uint32_t kKeepAliveEveryMs = 400;
inline constexpr std::uint32_t kRestoreEveryMs = 4500;
inline constexpr std::int64_t kPresenceWaitMs = 100;
inline constexpr std::int64_t kClockResetWaitMs = 10;

// Messages of the wire, PC to decoder (MK2 only: an MK1 takes no command).
inline constexpr std::array<std::uint8_t, 5> kPresenceQuery{0xFF, 0xFF, 0xFF, 0x01, 0x02};
inline constexpr std::array<std::uint8_t, 5> kClockReset{0xFF, 0xFF, 0xFF, 0x02, 0x00};
inline constexpr std::array<std::uint8_t, 5> kKeepAlive{0xFF, 0xFF, 0xFF, 0xE0, 0x04};
inline constexpr int kAnswerSize = 7;                    // presence and clock reset answers
inline constexpr int kMk2PassingSize = 11;               // FF FF FF F0 Th Tl H M S Ch Cl
inline constexpr int kMk1PassingSize = 2;                // Th Tl
inline constexpr int kMaxPartial = kMk2PassingSize - 1;  // an MK2 message a read cut short

// The MK2 link supervision: keep-alives, loss and restoration.
struct DecoderLinkState {
    std::int32_t settingsLoaded = 0;  // 0: the next tick re-reads the settings file
    std::int32_t watchdogOn = 0;
    std::int32_t missedWrites = 0;  // consecutive keep-alives that wrote nothing
    std::uint32_t lastKeepAliveTick = 0;
    std::uint32_t lossTick = 0;  // the loss, then the last restoration attempt
    std::int32_t restoring = 0;
    std::uint32_t downSinceTick = 0;  // when the link was lost, for the race panel
    Text<9> downSinceTime;            // the same as a local time of day, "14:03:27"
    Text<120> linkReport;
    // The start of an MK2 message that the last read cut short, for the next read to complete.
    // Forgotten whenever the input starts afresh: port reopened, input discarded, clock reset.
    std::array<std::uint8_t, kMaxPartial> partial{};
    std::int32_t partialCount = 0;
    std::uint32_t lastByteTick = 0;  // the last read that brought anything
};

// The decoder on its serial port: one for the program's life.
struct DecoderLink {
    SerialPort* port = nullptr;
    Clock* clock = nullptr;
    Disk* disk = nullptr;  // where the settings file is kept
    InterfaceSettings settings;
    DecoderLinkState state;
    RunTimeBase timeBase;
    std::array<std::uint8_t, kMaxPartial + kReceiveBufferSize> receive{};  // partial, then a read
};

// The port with the decoder's line settings, purged, DTR raised. False when it cannot be opened.
bool OpenPort(SerialPort& port, std::string_view name);
int ClosePort(SerialPort& port);
bool WriteBytes(SerialPort& port, const std::uint8_t* bytes, int count, int* written);
bool ReadBytes(SerialPort& port, std::uint8_t* bytes, int max, int* read);

enum class DetectResult { PortNotOpened, Mk1, Mk2 };

// Opens the port and asks for an MK2; an MK1 never answers, so silence for 100 ms means MK1.
// Leaves port, ready and type in link.settings; the caller rewrites the settings file.
DetectResult DetectDecoder(DecoderLink& link, std::string_view port);

// At start-up: reads the settings file, detects the decoder on its port, rewrites the file and
// tells the user what was found. No decoder is no question to click away: the race panel's link
// state says so, and the log keeps the notice.
DetectResult ConnectDecoderAtStartUp(DecoderLink& link, Messages& messages, NoticeLog& notices);

// Zeroes the run's clock: at once for an MK1; an MK2 must confirm its clock reset within 10 ms,
// else false and the caller tries again on the next tick.
bool SyncDecoderClock(DecoderLink& link);

// One read, after what the last one cut short (MK2); every complete passing goes to sink before
// the next one is decoded.
void PollDecoder(DecoderLink& link, const PassingSink& sink);

// One read whose bytes are thrown away: what the decoder sends while nothing is timed.
void DiscardDecoderInput(DecoderLink& link);

// Decodes MK2 bytes: frames are found byte by byte, a frame whose time cannot be a time of day is
// skipped as garbage. Each passing's time is the decoder's less timeOffset. Returns how far the
// scan went: what follows (fewer bytes than a frame) may begin a frame that more bytes complete.
int DecodeMk2Passings(const std::uint8_t* bytes, int count, std::int64_t timeOffset, Clock& clock,
                      const PassingSink& sink);
// An MK2 passing decoded with base.runTimeOffset, onto the run's clock. A time earlier than the
// decoder's last one means that its clock restarted: that passing is dated at its arrival on
// the run's clock, as an MK1's is, and the decoder's later times follow on from it.
void OntoRunClock(RunTimeBase& base, Passing& passing);
// The decoder time of an MK2 frame's H M S Ch Cl bytes, in ms.
std::int64_t Mk2TimeMs(std::uint8_t h, std::uint8_t m, std::uint8_t s, std::uint8_t ch,
                       std::uint8_t cl);

// First on every timer tick: re-reads the settings when asked to, sends the MK2 keep-alive,
// declares the link lost after two keep-alives that wrote nothing, and tries to restore it every
// 4.5 s. Passings the decoder kept meanwhile go to restoredPassings, which is empty when nothing
// is being timed. runRunning says whether a run is in its running state (it gets the reports).
// What the director must know goes to notices: this runs inside the tick, which never waits.
void SuperviseLink(DecoderLink& link, NoticeLog& notices, bool runRunning,
                   const PassingSink& restoredPassings);

// The Interface form takes the port over while it is open, then the link re-reads its settings.
void SuspendLinkSupervision(DecoderLink& link);
void ReloadLinkSettings(DecoderLink& link);

// Adds a line to the link report without ever writing past it (see the definition).
void AppendLinkReport(Text<120>& report, std::string_view line);

}  // namespace velkaro
