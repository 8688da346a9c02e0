#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/decoder-sim/record_file.h"
#include "tools/decoder-sim/wire.h"
#include "tools/results/results_tool.h"

namespace velkaro {
namespace {

// A capture line: at `atMs`, an MK2 passing of each transponder at its decoder time.
std::string Mk2(std::int64_t atMs, std::vector<std::pair<std::uint16_t, std::int64_t>> passings,
                std::size_t keep = 0) {
    std::vector<std::uint8_t> bytes;
    for (auto [t, ms] : passings) {
        auto frame = sim::EncodeMk2Passing(t, ms);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    if (keep > 0) bytes.resize(keep);
    return sim::RecordLine(atMs, bytes.data(), bytes.size());
}

std::string Mk2At(std::int64_t ms, std::uint16_t t) {
    return Mk2(ms, {{t, ms}});
}

// Captures whose outcome was worked out by hand from the run's rules: what each passing did, in
// order, then the result lines as the heat's section stores them.
TEST(Replay, CapturesGiveTheHandComputedRun) {
    std::string longRead = Mk2(1000, {{1001, 1000}}, 4) + "1015 " +
                           Mk2(0, {{1001, 1000}}).substr(2 + 3 * 4);  // a frame in two pieces
    std::vector<std::pair<std::uint16_t, std::int64_t>> kept;
    for (int k = 1; k <= 25; ++k) kept.push_back({1001, 1000 + 3000 * k});
    longRead += Mk2(80000, kept);  // 275 bytes: two reads

    struct Case {
        const char* name;
        std::string capture;
        std::vector<std::string> args;
        int status;
        std::vector<std::string> said;  // in the output, in this order; or standard error
    };
    const std::vector<Case> cases = {
        {"too soon, unknown",
         "model mk2\n" + Mk2At(1000, 1001) + Mk2At(2500, 1001) + Mk2At(3000, 7) + Mk2At(4000, 1001),
         {"--car", "1001=Ann"},
         0,
         {"1.000  001001  car 1 Ann: passing 1 counted, lap 1.000, total 1.000\n",
          "2.500  001001  car 1 Ann: rejected, 1.500 after its last passing (minimum 2 s)\n",
          "3.000  000007  ignored: no car has it\n",
          "4.000  001001  car 1 Ann: passing 2 counted, lap 3.000, total 4.000\n",
          "\nAnn\t2\t2\t4000\t3000\t3000\t0\t1000\t4000\t\n(NA)\t"}},
        {"staggered, all laps",
         "500 0 1\n3000 0 2\n10500 0 1\n14000 0 2\n20000 0 1\n24500 0 2\n25000 0 1\n",
         {"--model", "mk1", "--car", "1=Ann", "--car",
          "2=B\xC3\xA9"
          "a",
          "--start", "staggered", "--laps", "2"},
         0,
         {"0.500  000001  car 1 Ann: starts its clock\n",
          "20.000  000001  car 1 Ann: passing 2 counted, lap 9.500, total 19.500, finished\n",
          "24.500  000002  car 2 B\xC3\xA9"
          "a: passing 2 counted, lap 10.500, total 21.500, "
          "finished\n",
          "stop: the run's rules end it; 2 bytes of the capture not read\n",
          "\nAnn\t2\t2\t19500\t9500\t9500\t0\t10000\t19500\t\n"
          "B\xC3\xA9"
          "a\t2\t2\t21500\t10500\t10500\t0\t11000\t21500\t\n"}},
        {"shared transponder",
         "model mk2\n" + Mk2At(5000, 1001) + Mk2At(5200, 1002) + Mk2At(10000, 1001),
         {"--car", "1001=Ann", "--car", "1001=Bea", "--car", "1002=Cid"},
         0,
         {"5.000  001001  car 1 Ann: passing 1 counted",
          "5.000  001001  car 2 Bea: passing 1 counted",
          "10.000  001001  car 1 Ann: passing 2 counted, lap 5.000, total 10.000",
          "10.000  001001  car 2 Bea: passing 2 counted, lap 5.000, total 10.000",
          "\nAnn\t2\t2\t10000\t5000\t5000\t0\t5000\t10000\t\n"
          "Bea\t2\t2\t10000\t5000\t5000\t0\t5000\t10000\t\n"
          "Cid\t1\t1\t5200\t5200\t0\t0\t5200\t\n"}},
        {"pieces and a read past 255 bytes",
         longRead,
         {"--model", "mk2", "--minutes", "5"},
         0,
         {"1.000  001001  car 1 1001: passing 1 counted",
          "1:16.000  001001  car 1 1001: passing 26 counted, lap 3.000, total 1:16.000\n"}},
        {"ends at the signal",
         "model mk2\n" + Mk2At(5005, 1001) + Mk2At(65005, 1001),
         {"--car", "1001=Ann", "--minutes", "1", "--end", "signal"},
         0,
         {"5.005  001001  car 1 Ann: passing 1 counted",
          "1:00.010  stop: the run's rules end it; 11 bytes of the capture not read\n",
          "\nAnn\t1\t1\t5005\t"}},
        {"a decoder that restarts",
         "model mk2\n" + Mk2At(1000, 1001) + Mk2At(3500, 1001) + Mk2(6000, {{1001, 200}}) +
             Mk2(8500, {{1001, 2700}}),
         {"--car", "1001=Ann"},
         0,
         {"3.500  001001  car 1 Ann: passing 2 counted, lap 2.500, total 3.500",
          "6.000  001001  car 1 Ann: passing 3 counted, lap 2.500, total 6.000",
          "notice: The decoder's clock went back at 0:06.000 (it restarted)",
          "8.500  001001  car 1 Ann: passing 4 counted, lap 2.500, total 8.500"}},
        {"cut mid-frame",
         "model mk2\n" + Mk2At(1000, 1001) + Mk2(2000, {{1001, 2000}}, 6),
         {},
         3,
         {"the capture ends in the middle of a passing (6 of its 11 bytes)\n"}},
        {"mk1 cut", "1000 0 1 0\n", {"--model", "mk1"}, 3, {"(1 of its 2 bytes)"}},
        {"not a capture", "FF FF\n", {"--model", "mk2"}, 3, {"not a decoder capture: line 1"}},
        {"no model", "1000 0 1\n", {}, 2, {"replay needs --model"}},
        {"end not open",
         "1000 0 1\n",
         {"--model", "mk1", "--start", "staggered", "--end", "signal"},
         2,
         {"--end signal is not open"}},
        {"table option", "1000 0 1\n", {"--model", "mk1", "--format", "csv"}, 2, {"takes none"}},
        {"bad car", "1000 0 1\n", {"--model", "mk1", "--car", "70000"}, 2, {"--car takes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"replay", "CAPTURE"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::string out, err;
        EXPECT_EQ(results::RunToolOnBytes(args, c.capture, out, err), c.status) << err;
        const std::string& text = c.status == 0 ? out : err;
        std::size_t at = 0;
        for (const std::string& s : c.said) {
            std::size_t found = text.find(s, at);
            ASSERT_NE(found, std::string::npos) << s << "\nnot after " << at << " in\n" << text;
            at = found + s.size();
        }
        if (c.status != 0) {
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
    }
}

}  // namespace
}  // namespace velkaro
