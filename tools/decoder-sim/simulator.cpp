#include "tools/decoder-sim/simulator.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <sstream>

namespace velkaro::sim {
namespace {

constexpr std::size_t kMaxKept = 2000;  // passings an MK2 holds while the link is down
constexpr std::int64_t kKeepAliveSilenceMs = 2000;
constexpr int kLongestWaitMs = 200;

const char* ModelName(Model m) {
    return m == Model::Mk1 ? "MK1" : "MK2";
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool Number(const std::string& s, long min, long max, long* out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < min || v > max) return false;
    *out = v;
    return true;
}

}  // namespace

Simulator::Simulator(Options options, Record replay, std::string programFolder)
    : origin_(std::chrono::steady_clock::now()),
      options_(std::move(options)),
      replay_(std::move(replay)),
      link_(std::move(programFolder), options_.port),
      line_(options_.lineBaud, options_.chunkMin, options_.chunkMax, options_.field.seed + 1),
      field_(options_.field) {
    if (options_.start == StartWhen::After) {
        startAfter_ = static_cast<std::int64_t>(options_.startAfterS * 1000);
    }
}

Simulator::~Simulator() {
    if (record_) std::fclose(record_);
}

std::int64_t Simulator::Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 origin_)
        .count();
}

std::int64_t Simulator::NowUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 origin_)
        .count();
}

void Simulator::Log(const char* format, ...) {
    std::printf("[%9.3f] ", static_cast<double>(Now()) / 1000.0);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

int Simulator::Run(volatile std::sig_atomic_t* stop) {
    std::string error;
    if (!link_.CheckEntry(&error) || !link_.Open(&error)) {
        std::fprintf(stderr, "decoder-sim: %s\n", error.c_str());
        return 1;
    }
    if (!options_.record.empty()) {
        record_ = std::fopen(options_.record.c_str(), "wb");
        if (!record_) {
            std::fprintf(stderr, "decoder-sim: cannot write %s\n", options_.record.c_str());
            return 1;
        }
        std::fputs(RecordHeader(options_.model).c_str(), record_);
    }

    std::printf("decoder-sim: %s decoder on COM%d (%s)\n", ModelName(options_.model), options_.port,
                link_.Device().c_str());
    std::printf("  port entry: %s\n", link_.Entry().c_str());
    // Lets another process on this machine place the log's times on its own steady clock.
    std::printf("  log times count from %.3f ms of the monotonic clock\n",
                std::chrono::duration<double, std::milli>(origin_.time_since_epoch()).count());
    if (!options_.replay.empty()) {
        std::printf("  replaying %zu bursts of %s\n", replay_.bursts.size(),
                    options_.replay.c_str());
    } else {
        std::printf("  %d cars:", field_.Cars());
        for (std::size_t k = 0; k < options_.field.transponders.size(); ++k) {
            std::printf(" %zu=%06u", k + 1, options_.field.transponders[k]);
        }
        std::printf("\n  laps of %.3g s (spread %.3g s), seed %u\n", options_.field.lapMeanS,
                    options_.field.lapSpreadS, options_.field.seed);
    }
    switch (options_.start) {
        case StartWhen::ClockReset:
            std::printf("  the cars start when the program zeroes the decoder clock\n");
            break;
        case StartWhen::Command:
            std::printf("  the cars start when you type \"go\"\n");
            break;
        case StartWhen::After:
            std::printf("  the cars start in %.3g s\n", options_.startAfterS);
            break;
    }
    std::printf("  type \"help\" for the commands, Ctrl+C to end\n");
    std::fflush(stdout);

    while (!quit_ && !*stop) {
        Due(Now());
        ReportLoss(Flush());
        std::int64_t waitUs = kLongestWaitMs * 1000LL;
        std::int64_t next = NextEvent();
        if (next >= 0) waitUs = std::clamp<std::int64_t>((next - Now()) * 1000, 0, waitUs);
        std::int64_t piece = line_.NextDueUs();
        if (piece >= 0) waitUs = std::clamp<std::int64_t>(piece - NowUs(), 0, waitUs);
        timespec wait{waitUs / 1000000, waitUs % 1000000 * 1000};
        pollfd fds[2];
        nfds_t n = 0;
        int linkAt = -1, consoleAt = -1;
        if (link_.IsUp()) {
            linkAt = static_cast<int>(n);
            fds[n++] = {link_.Fd(), POLLIN, 0};
        }
        if (consoleOpen_) {
            consoleAt = static_cast<int>(n);
            fds[n++] = {STDIN_FILENO, POLLIN, 0};
        }
        if (::ppoll(fds, n, &wait, nullptr) <= 0) continue;
        if (linkAt >= 0 && (fds[linkAt].revents & POLLIN)) FromProgram();
        if (consoleAt >= 0 && (fds[consoleAt].revents & (POLLIN | POLLHUP | POLLERR))) Console();
    }
    Log("end");
    return 0;
}

std::int64_t Simulator::NextEvent() const {
    std::int64_t next = -1;
    auto consider = [&next](std::int64_t at) {
        if (at >= 0 && (next < 0 || at < next)) next = at;
    };
    consider(startAfter_);
    consider(dropAt_);
    consider(restoreAt_);
    consider(rebootAt_);
    if (startedAt_ >= 0) {
        if (!options_.replay.empty()) {
            if (replayNext_ < replay_.bursts.size()) {
                consider(startedAt_ + replay_.bursts[replayNext_].atMs);
            }
        } else if (field_.NextAtMs() >= 0) {
            consider(startedAt_ + field_.NextAtMs());
        }
    }
    return next;
}

void Simulator::Start() {
    startedAt_ = Now();
    replayNext_ = 0;
    if (options_.replay.empty()) {
        field_.Start();
        Log("start: the cars leave the grid");
    } else {
        Log("start: replaying %s", options_.replay.c_str());
    }
    if (options_.dropAtS >= 0) {
        dropAt_ = startedAt_ + static_cast<std::int64_t>(options_.dropAtS * 1000);
        restoreAt_ = dropAt_ + static_cast<std::int64_t>(options_.dropForS * 1000);
    }
    if (options_.rebootAtS >= 0) {
        rebootAt_ = startedAt_ + static_cast<std::int64_t>(options_.rebootAtS * 1000);
    }
}

void Simulator::Due(std::int64_t now) {
    if (startAfter_ >= 0 && now >= startAfter_) {
        startAfter_ = -1;
        Start();
    }
    if (dropAt_ >= 0 && now >= dropAt_) {
        dropAt_ = -1;
        DropLink();
    }
    if (restoreAt_ >= 0 && now >= restoreAt_) {
        restoreAt_ = -1;
        RestoreLink();
    }
    if (rebootAt_ >= 0 && now >= rebootAt_) {
        rebootAt_ = -1;
        Reboot();
    }
    if (startedAt_ >= 0 && !options_.replay.empty()) {
        while (replayNext_ < replay_.bursts.size() &&
               startedAt_ + replay_.bursts[replayNext_].atMs <= now) {
            const RecordBurst& b = replay_.bursts[replayNext_++];
            const char* what = Deliver(b.bytes.data(), b.bytes.size(), startedAt_ + b.atMs);
            if (!options_.quiet) Log("replay: %zu bytes %s", b.bytes.size(), what);
            if (replayNext_ == replay_.bursts.size()) Log("replay finished");
        }
    } else if (startedAt_ >= 0) {
        Crossing c;
        while (field_.PopDue(now - startedAt_, &c)) {
            std::int64_t at = startedAt_ + c.atMs;
            switch (c.kind) {
                case Crossing::Kind::Seen:
                    Detection(c.car, c.transponder, c.number, at, "");
                    break;
                case Crossing::Kind::Doubled:
                    Detection(c.car, c.transponder, c.number, at, " (double)");
                    break;
                case Crossing::Kind::Missed:
                    if (!options_.quiet) {
                        Log("car %2d  transponder %06u  lap %3d  missed", c.car, c.transponder,
                            c.number);
                    }
                    break;
            }
        }
    }
    if (keepAlivesFlowing_ && now - lastKeepAlive_ > kKeepAliveSilenceMs) {
        keepAlivesFlowing_ = false;
        Log("no keep-alive from the program for 2 s");
    }
}

const char* Simulator::Deliver(const std::uint8_t* bytes, std::size_t count, std::int64_t at) {
    if (record_) {
        std::int64_t since = startedAt_ >= 0 ? at - startedAt_ : at;
        std::fputs(RecordLine(std::max<std::int64_t>(since, 0), bytes, count).c_str(), record_);
        std::fflush(record_);
    }
    if (!link_.IsUp() || holding_) {
        if (options_.model == Model::Mk1) return "lost";
        kept_.emplace_back(bytes, bytes + count);
        if (kept_.size() > kMaxKept) kept_.pop_front();
        return "kept";
    }
    bool behindOthers = line_.Waiting() > 0;
    line_.Send(bytes, count, NowUs());
    std::size_t lost = Flush();
    if (behindOthers || line_.Waiting() > 0) {  // paced or in pieces: on its way
        ReportLoss(lost);
        return "sent";
    }
    if (lost == 0) return "sent";
    return lost >= count ? "lost (nobody reads the port)" : "cut short (nobody reads the port)";
}

void Simulator::Answer(const std::uint8_t* bytes, std::size_t count) {
    line_.Send(bytes, count, NowUs());
    ReportLoss(Flush());
}

std::size_t Simulator::Flush() {
    std::size_t lost = 0;
    for (std::vector<std::uint8_t> piece; line_.Due(NowUs(), &piece);) {
        lost += piece.size() - link_.Write(piece.data(), piece.size());
    }
    return lost;
}

void Simulator::ReportLoss(std::size_t lost) {
    if (lost > 0) Log("%zu bytes lost on the line: nobody reads the port", lost);
}

void Simulator::Detection(int car, std::uint16_t transponder, int number, std::int64_t at,
                          const char* note) {
    std::int64_t time = 0;
    const char* what;
    if (options_.model == Model::Mk2) {
        time = at - decoderZero_;
        auto frame = EncodeMk2Passing(transponder, time);
        what = Deliver(frame.data(), frame.size(), at);
    } else {
        time = startedAt_ >= 0 ? at - startedAt_ : at;
        auto pair = EncodeMk1Passing(transponder);
        what = Deliver(pair.data(), pair.size(), at);
    }
    if (options_.quiet) return;
    char carText[16] = " -", lapText[16] = "  -";
    if (car > 0) std::snprintf(carText, sizeof carText, "%2d", car);
    if (number > 0) std::snprintf(lapText, sizeof lapText, "%3d", number);
    Log("car %s  transponder %06u  lap %s  time %lld ms  %s%s", carText, transponder, lapText,
        static_cast<long long>(time), what, note);
}

void Simulator::FromProgram() {
    std::uint8_t bytes[512];
    std::size_t n = link_.Read(bytes, sizeof bytes);
    if (n == 0) return;
    if (options_.model == Model::Mk1) {
        if (!toldMk1Ignores_) Log("the program writes to the decoder: an MK1 ignores it");
        toldMk1Ignores_ = true;
        return;
    }
    for (sim::Command c : scanner_.Feed(bytes, n)) {
        switch (c) {
            case sim::Command::PresenceQuery: {
                // The answer first, then what was kept while nobody listened, in one write.
                std::vector<std::uint8_t> out(kPresenceAnswer.begin(), kPresenceAnswer.end());
                std::size_t kept = kept_.size();
                for (const auto& k : kept_) out.insert(out.end(), k.begin(), k.end());
                kept_.clear();
                holding_ = false;
                Answer(out.data(), out.size());
                if (kept > 0) {
                    Log("presence query answered, %zu kept passings sent", kept);
                } else {
                    Log("presence query answered");
                }
                break;
            }
            case sim::Command::ClockReset:
                Answer(kClockResetAnswer.data(), kClockResetAnswer.size());
                decoderZero_ = Now();
                Log("clock reset");
                if (options_.start == StartWhen::ClockReset) Start();
                break;
            case sim::Command::KeepAlive:
                lastKeepAlive_ = Now();
                if (!keepAlivesFlowing_) Log("keep-alives from the program");
                keepAlivesFlowing_ = true;
                break;
        }
    }
}

void Simulator::DropLink() {
    if (!link_.IsUp()) {
        Log("the link is already down");
        return;
    }
    link_.Drop();
    holding_ = options_.model == Model::Mk2;
    keepAlivesFlowing_ = false;
    Log("link dropped: the program's writes reach nothing; passings are %s",
        options_.model == Model::Mk2 ? "kept" : "lost");
    if (line_.Waiting() > 0) Log("%zu bytes on the line lost with it", line_.Waiting());
    line_.Clear();
}

void Simulator::RestoreLink() {
    if (link_.IsUp()) {
        Log("the link is up");
        return;
    }
    std::string error;
    if (!link_.Open(&error)) {
        Log("the link cannot be restored: %s", error.c_str());
        return;
    }
    Log("link restored: COM%d is now %s", options_.port, link_.Device().c_str());
}

void Simulator::Reboot() {
    if (options_.model == Model::Mk1) {
        Log("an MK1 has no clock to restart");
        return;
    }
    Log("reboot: the decoder clock starts again from 0 (it was at %lld ms)",
        static_cast<long long>(Now() - decoderZero_));
    decoderZero_ = Now();
}

void Simulator::Console() {
    char bytes[256];
    ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        consoleOpen_ = false;  // no console: run on until a signal ends it
        return;
    }
    consoleLine_.append(bytes, static_cast<std::size_t>(n));
    for (std::size_t end; (end = consoleLine_.find('\n')) != std::string::npos;) {
        std::string line = consoleLine_.substr(0, end);
        consoleLine_.erase(0, end + 1);
        Command(line);
    }
}

void Simulator::Command(const std::string& line) {
    std::vector<std::string> w = Words(line);
    if (w.empty()) return;
    const std::string& c = w[0];
    long n = 0;
    if (c == "go" && w.size() == 1) {
        Start();
    } else if (c == "stop" && w.size() == 1) {
        field_.Stop();
        startedAt_ = -1;
        Log("stop: the cars leave the track");
    } else if (c == "car" && w.size() == 2 && Number(w[1], 1, field_.Cars(), &n)) {
        Detection(static_cast<int>(n), options_.field.transponders[n - 1], 0, Now(), "");
    } else if (c == "chip" && w.size() == 2 && Number(w[1], 0, 65535, &n)) {
        Detection(0, static_cast<std::uint16_t>(n), 0, Now(), "");
    } else if (c == "drop" && w.size() == 1) {
        DropLink();
    } else if (c == "restore" && w.size() == 1) {
        RestoreLink();
    } else if (c == "reboot" && w.size() == 1) {
        Reboot();
    } else if (c == "status" && w.size() == 1) {
        Status();
    } else if (c == "help" && w.size() == 1) {
        std::printf(
            "  go | stop | car N (1-%d) | chip T (0-65535) | drop | restore | reboot | status | "
            "quit\n",
            field_.Cars());
        std::fflush(stdout);
    } else if ((c == "quit" || c == "exit") && w.size() == 1) {
        quit_ = true;
    } else {
        Log("not a command: \"%s\" (type help)", line.c_str());
    }
}

void Simulator::Status() {
    Log("%s decoder, COM%d %s; %s; %zu passings kept; %zu bytes on the line; keep-alives %s",
        ModelName(options_.model), options_.port, link_.IsUp() ? link_.Device().c_str() : "down",
        startedAt_ < 0 ? "not started"
                       : (options_.replay.empty() ? "the field is out" : "replaying"),
        kept_.size(), line_.Waiting(), keepAlivesFlowing_ ? "arriving" : "not arriving");
}

}  // namespace velkaro::sim
