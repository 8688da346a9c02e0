#include "tests/support/pulse_audio.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace velkaro::test {

using namespace std::chrono_literals;

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

PulseServer::PulseServer(const std::string& folder) {
    if (::access("/usr/bin/pulseaudio", X_OK) != 0 || ::access("/usr/bin/parec", X_OK) != 0) {
        why_ = "pulseaudio and parec are not installed (tools/install-deps.sh does it)";
        return;
    }
    for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH"}) {
        ::setenv(var, folder.c_str(), 1);
    }
    ::setenv("PULSE_SERVER", ("unix:" + folder + "/native").c_str(), 1);
    process_ = std::make_unique<SimProcess>(
        "/usr/bin/pulseaudio",
        std::vector<std::string>{
            "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no", "--system=no",
            "--log-target=file:" + folder + "/server.log",
            "--load=module-null-sink sink_name=velkaro rate=44100 channels=1",
            "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder + "/native"});
    const auto ready = [] {
        return std::system("pactl list short sinks 2>&1 | grep -q velkaro") == 0;
    };
    for (auto end = In(10s); !ready() && Before(end);) std::this_thread::sleep_for(50ms);
    if (!ready()) why_ = "no PulseAudio server here:\n" + ReadWholeFile(folder + "/server.log");
}

PulseServer::~PulseServer() = default;

MonitorRecording::MonitorRecording() {
    parec_ = ::popen(
        "exec parec -d velkaro.monitor --raw --format=s16le --rate=44100 --channels=1 "
        "--latency-msec=20",
        "r");
    if (parec_ == nullptr) return;
    reader_ = std::thread([this] {
        std::int16_t buffer[2048];
        for (std::size_t n; !stop_ && (n = std::fread(buffer, 2, 441, parec_)) > 0;) {
            samples.insert(samples.end(), buffer, buffer + n);
            received_ = samples.size();
            zero = std::min(zero, std::chrono::steady_clock::now() -
                                      std::int64_t(samples.size()) * 1000000us / kPulseRate);
        }
    });
}

MonitorRecording::~MonitorRecording() {
    Stop();
}

bool MonitorRecording::Flowing() {
    for (auto end = In(10s); received_ < std::size_t(kPulseRate / 2) && Before(end);) {
        std::this_thread::sleep_for(10ms);
    }
    return received_ >= std::size_t(kPulseRate / 2);
}

void MonitorRecording::Stop() {
    if (parec_ == nullptr) return;
    stop_ = true;
    reader_.join();
    ::pclose(parec_);
    parec_ = nullptr;
}

SteadyTime MonitorRecording::At(std::int64_t i) const {
    return zero + i * 1000000us / kPulseRate;
}

std::int64_t MonitorRecording::Index(SteadyTime t) const {
    return std::int64_t(Ms(t - zero)) * kSamplesPerMs;
}

PcmSound Reference(const std::string& file) {
    PcmSound s;
    std::string why;
    EXPECT_TRUE(DecodeWav(ReadWholeFile(file), {int(kPulseRate), 1}, s, why)) << file << why;
    return s;
}

std::int64_t Heard(const MonitorRecording& r, std::int64_t at, const PcmSound& ref) {
    std::int64_t n = 0;
    for (; n < std::int64_t(ref.samples.size()) && at + n < std::int64_t(r.samples.size()); ++n) {
        int a = r.samples[std::size_t(at + n)], b = ref.samples[std::size_t(n)];
        if (std::abs(a - b) > 64 + std::abs(b) / 20) break;
    }
    return n;
}

bool EndHeard(const MonitorRecording& r, std::int64_t at, const PcmSound& ref) {
    auto last = std::int64_t(ref.samples.size()) - 1;
    while (std::abs(ref.samples[std::size_t(last)]) < 1000) --last;
    const auto first = ref.samples.begin() + last - 5 * kSamplesPerMs;
    const PcmSound tail{"", {first, first + 5 * kSamplesPerMs}};
    for (std::int64_t p = at; p < at + last + 300 * kSamplesPerMs; ++p) {
        if (Heard(r, p, tail) == 5 * kSamplesPerMs) return true;
    }
    return false;
}

std::int64_t Find(const MonitorRecording& r, std::int64_t from, std::int64_t to,
                  const PcmSound& ref, bool byEnd) {
    // Its first loud 10 ms: a stall of the machine inside the quiet lead-in does not hide it.
    std::int64_t loud = 0;
    while (std::abs(ref.samples[std::size_t(loud)]) < 1000) ++loud;
    const auto first = ref.samples.begin() + loud;
    const PcmSound head{"", {first, first + 10 * kSamplesPerMs}};
    for (std::int64_t at = std::max<std::int64_t>(from, 0); at < to; ++at) {
        if (Heard(r, at + loud, head) == 10 * kSamplesPerMs) return at;
    }
    if (!byEnd) return -1;
    auto last = std::int64_t(ref.samples.size()) - 1;
    while (std::abs(ref.samples[std::size_t(last)]) < 1000) --last;
    const std::int64_t tailAt = last - 5 * kSamplesPerMs;
    const auto tailFirst = ref.samples.begin() + tailAt;
    const PcmSound tail{"", {tailFirst, tailFirst + 5 * kSamplesPerMs}};
    for (std::int64_t at = std::max<std::int64_t>(from, 0); at < to + 50 * kSamplesPerMs; ++at) {
        if (Heard(r, at + tailAt, tail) == 5 * kSamplesPerMs) return at;
    }
    return -1;
}

}  // namespace velkaro::test
