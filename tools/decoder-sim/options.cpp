#include "tools/decoder-sim/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <string_view>

namespace velkaro::sim {
namespace {

bool ToInt(const std::string& s, long min, long max, long* out) {
    long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < min || v > max) return false;
    *out = v;
    return true;
}

bool ToNumber(const std::string& s, double min, double max, double* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v) || v < min || v > max) return false;
    *out = v;
    return true;
}

bool ToTransponders(const std::string& list, std::vector<std::uint16_t>* out) {
    out->clear();
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long n = 0;
        if (!ToInt(item, 0, 65535, &n)) return false;
        out->push_back(static_cast<std::uint16_t>(n));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !out->empty() && out->size() <= 20;
}

// "MIN-MAX" or "N", sizes from 1 to 4096 bytes.
bool ToChunk(const std::string& v, int* min, int* max) {
    std::size_t dash = v.find('-');
    long low = 0, high = 0;
    if (!ToInt(v.substr(0, dash), 1, 4096, &low)) return false;
    high = low;
    if (dash != std::string::npos && !ToInt(v.substr(dash + 1), low, 4096, &high)) return false;
    *min = static_cast<int>(low);
    *max = static_cast<int>(high);
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* o, std::string* error) {
    *o = Options{};
    long cars = 10;
    bool transpondersGiven = false, startGiven = false, seedGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o->help = true;
            return true;
        }
        if (arg == "--quiet") {
            o->quiet = true;
            continue;
        }
        static constexpr std::string_view kWithValue[] = {
            "--folder",     "--port",       "--model",       "--cars",  "--transponders",
            "--lap-mean",   "--lap-spread", "--pace-spread", "--miss",  "--double",
            "--double-gap", "--stagger",    "--laps",        "--start", "--replay",
            "--record",     "--drop-at",    "--drop-for",    "--seed",  "--line-speed",
            "--chunk",      "--reboot-at"};
        if (std::find(std::begin(kWithValue), std::end(kWithValue), arg) == std::end(kWithValue)) {
            *error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& v = args[++i];
        long n = 0;
        bool ok = true;
        if (arg == "--folder") {
            o->folder = v;
        } else if (arg == "--port") {
            ok = ToInt(v, 1, 49, &n);
            o->port = static_cast<int>(n);
        } else if (arg == "--model") {
            ok = v == "mk1" || v == "mk2";
            o->model = v == "mk1" ? Model::Mk1 : Model::Mk2;
            o->modelGiven = true;
        } else if (arg == "--cars") {
            ok = ToInt(v, 1, 20, &cars);
        } else if (arg == "--transponders") {
            ok = ToTransponders(v, &o->field.transponders);
            transpondersGiven = true;
        } else if (arg == "--lap-mean") {
            ok = ToNumber(v, 0.1, 3600, &o->field.lapMeanS);
        } else if (arg == "--lap-spread") {
            ok = ToNumber(v, 0, 600, &o->field.lapSpreadS);
        } else if (arg == "--pace-spread") {
            ok = ToNumber(v, 0, 600, &o->field.paceSpreadS);
        } else if (arg == "--miss") {
            ok = ToNumber(v, 0, 100, &o->field.missPercent);
        } else if (arg == "--double") {
            ok = ToNumber(v, 0, 100, &o->field.doublePercent);
        } else if (arg == "--double-gap") {
            ok = ToInt(v, 1, 60000, &n);
            o->field.doubleGapMs = static_cast<int>(n);
        } else if (arg == "--stagger") {
            ok = ToNumber(v, 0, 3600, &o->field.staggerS);
        } else if (arg == "--laps") {
            ok = ToInt(v, 0, 100000, &n);
            o->field.maxCrossings = static_cast<int>(n);
        } else if (arg == "--start") {
            startGiven = o->startGiven = true;
            if (v == "reset") {
                o->start = StartWhen::ClockReset;
            } else if (v == "go") {
                o->start = StartWhen::Command;
            } else {
                o->start = StartWhen::After;
                ok = ToNumber(v, 0, 86400, &o->startAfterS);
            }
        } else if (arg == "--replay") {
            o->replay = v;
        } else if (arg == "--record") {
            o->record = v;
        } else if (arg == "--drop-at") {
            ok = ToNumber(v, 0, 86400, &o->dropAtS);
        } else if (arg == "--drop-for") {
            ok = ToNumber(v, 0.1, 86400, &o->dropForS);
        } else if (arg == "--reboot-at") {
            ok = ToNumber(v, 0, 86400, &o->rebootAtS);
        } else if (arg == "--line-speed") {
            ok = ToInt(v, 0, 4000000, &n);
            o->lineBaud = static_cast<int>(n);
        } else if (arg == "--chunk") {
            ok = ToChunk(v, &o->chunkMin, &o->chunkMax);
        } else if (arg == "--seed") {
            ok = ToInt(v, 0, 4294967295L, &n);
            o->field.seed = static_cast<std::uint32_t>(n);
            seedGiven = true;
        }
        if (!ok) {
            *error = "bad value for " + arg + ": " + v;
            return false;
        }
    }
    if (!transpondersGiven) {
        for (long k = 1; k <= cars; ++k) {
            o->field.transponders.push_back(static_cast<std::uint16_t>(1000 + k));
        }
    }
    if (!startGiven && o->model == Model::Mk1) o->start = StartWhen::Command;
    if (o->start == StartWhen::ClockReset && o->model == Model::Mk1) {
        *error = "an MK1 takes no clock reset: start with \"go\" or after some seconds";
        return false;
    }
    if (!seedGiven) o->field.seed = static_cast<std::uint32_t>(std::time(nullptr));
    return true;
}

std::string HelpText() {
    return R"(decoder-sim: a timing decoder for training and demonstrations

It plays a Velkaro MK1 or MK2 decoder on a pseudo-terminal that the program
sees as a COM port: a field of cars lapping the track, or a recorded session
played back with its timing. Start it, then start the program; in the
program's Interface form choose the same COM port and press Connect (the
program also connects at start-up when the port is already chosen).

Usage: decoder-sim [options]

The decoder
  --folder DIR        the program folder (default: the program's own,
                      ~/.local/share/Velkaro Race Management); the port
                      appears there as ports/COMn
  --port N            the COM port number, 1 to 49 (default 1)
  --model mk1|mk2     the decoder model (default mk2)

The field
  --cars N            number of cars, 1 to 20 (default 10)
  --transponders L    their transponder numbers, comma-separated, 0 to 65535
                      (default 1001, 1002, ... one per car); this also sets
                      the number of cars
  --lap-mean S        the field's average lap in seconds (default 20)
  --lap-spread S      how much a car's laps vary, in seconds (default 0.5)
  --pace-spread S     how much the cars' average laps differ (default 1)
  --miss P            percent of crossings the decoder misses (default 0)
  --double P          percent of crossings reported twice (default 0)
  --double-gap MS     delay of the second report in ms (default 150)
  --stagger S         release the cars one by one S seconds apart, for a
                      staggered start (default: a grid start, the cars a
                      quarter of a second apart)
  --laps N            each car stops after N crossings (default: never)
  --seed N            the same seed gives the same race (default: the clock)

When the cars start
  --start reset       when the program zeroes the decoder clock, at the end
                      of its countdown (the default for an MK2; every new
                      run starts a new race)
  --start go          when you type "go" (the default for an MK1, which takes
                      no command from the program)
  --start S           S seconds after the simulator starts
The first crossing comes about a third of a lap after the start.

Playing back a record
  --replay FILE       send the bytes of a record file at their times instead
                      of a field; the start options above apply
  --record FILE       write what the decoder sends into a record file

  A record file is plain text, one line per burst of bytes:
      # comment (blank lines are skipped too)
      model mk2
      1520 FF FF FF F0 03 E9 00 00 01 B4 5F
      1523 03 EA
  Each line is the time in milliseconds since the start (never going back),
  then the bytes in hexadecimal. "model mk1" or "model mk2" may come once,
  before the first bytes; --model wins over it. An MK2 frame is
  FF FF FF F0, the transponder (2 bytes), hours, minutes, seconds and a
  sub-second count from 18661 to 65535; an MK1 sends the transponder alone
  (2 bytes).

The line
  --line-speed BAUD   send at the speed of a BAUD line, 10 bits a byte, as a
                      real decoder does (9600: a byte every 1.04 ms, an MK2
                      passing in 11.5 ms); 0, the default, sends as fast as
                      the pseudo-terminal takes the bytes
  --chunk MIN-MAX     hand the bytes over in pieces of MIN to MAX bytes, a
                      random size each (from --seed), as a USB serial adapter
                      does: messages arrive cut anywhere; a piece that does
                      not fill goes when the line falls silent. Without it,
                      paced bytes go one by one as they arrive and unpaced
                      writes go whole

The link
  --drop-at S         drop the link S seconds after the start ...
  --drop-for S        ... for S seconds (default 10)
  An MK2 keeps the passings it sees while the link is down and sends them
  when the program finds it again (the program retries every 4.5 s and
  counts them with their own times). An MK1 has no memory: its passings
  are lost, and the program does not notice the drop (press Connect in the
  Interface form once the link is back). Bytes still on the line when it
  drops are lost.
  --reboot-at S       an MK2 restarts S seconds after the start, as one that
                      loses power does: its clock starts again from 0 and
                      its next passings carry times earlier than the last

Other
  --quiet             do not list every passing
  --help              this text

Commands, typed while it runs (then Enter)
  go                  start the field (or the replay) now, or start it over
  stop                the cars leave the track
  car N               car N crosses the line now (a detection)
  chip T              transponder T is detected now
  drop                drop the link
  restore             restore the link
  reboot              an MK2's clock starts again from 0 now
  status              what the simulator is doing
  help                this list
  quit                end (Ctrl+C too)

Examples
  decoder-sim --port 3
      an MK2 on COM3 with 10 cars, transponders 1001 to 1010, 20 s laps
  decoder-sim --model mk1 --cars 6 --lap-mean 12 --miss 2 --double 1
      an MK1 with six cars; type "go" when the program's run has started
  decoder-sim --port 3 --drop-at 60 --drop-for 15
      the link fails a minute into every run and comes back 15 s later
  decoder-sim --port 3 --line-speed 9600 --chunk 1-64
      a decoder at the real line speed behind a USB adapter
  decoder-sim --port 3 --replay final.rec
      plays a recorded final again, from the program's start signal
)";
}

}  // namespace velkaro::sim
