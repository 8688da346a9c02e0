#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "databases/circuits_file.h"
#include "databases/database_files.h"
#include "databases/editor.h"
#include "databases/transponder_sets.h"
#include "event/event_file.h"
#include "event/run_results_files.h"
#include "event/sections.h"
#include "event/settings_files.h"
#include "tests/event/crash_disk.h"
#include "tests/event/event_fixtures.h"
#include "tools/decoder-sim/record_file.h"
#include "tools/results/results_tool.h"

namespace velkaro {
namespace {

using namespace std::string_literals;
using test::CrashDisk;
const std::string kCopy(kWorkingCopy);

// An event holding a section of every layout, written by the writers on a disk in memory.
std::string EveryLayout() {
    CrashDisk disk;
    FakeMessages m;
    EXPECT_EQ(CreateNewEventFile("CATEGORY 1", disk), FileOutcome::Done);
    EventHeader h;
    h.categoryCount = 2;
    h.categories[0] = {Text<56>("JUNIORS"), 12, 1, 2, 2, 2, 3};
    h.categories[1] = {Text<56>("SENIORS"), 3, 0, 0, 1, 1, 0};
    WriteEventHeader(h, disk);
    WriteTrack({{"Spring Cup"}, {"RC Club Nord"}, {"Lille"}, {"12"}}, m, disk);
    Participants p{};
    HeatSlotList slots = DefaultHeatSlotList();
    RoundClassification round;
    OverallClassification overall;
    for (int i = 0; i < 12; ++i) {
        p[i].name = "DRIVER " + std::to_string(i);
        slots.places[i] = round.entries[i].name = overall.names[i] = p[i].name;
    }
    WriteParticipants(1, p, m, disk);
    WriteHeatSlotList(1, slots, true, m, disk);
    WriteQualifOptions(1, QualifOptions{}, m, disk);
    StartingGrids grids;
    grids.driversPerHeat = 6;
    grids.rounds = 2;
    grids.lanes[0] = {1, 2, 3, 4, 5, 6};
    grids.lanes[1] = {6, 5, 4, 3, 2, 1};
    WriteStartingGrids(1, grids, m, disk);
    for (int heat = 1; heat <= 2; ++heat) {
        WriteHeatResult(test::BusyRun(6, 12, heat), 6, HeatTitle(1, 1, heat).View(),
                        test::HeatTrailer(), m, disk);
    }
    WriteRoundClassification(1, 1, 12, round, m, disk);
    WriteOverallClassification(1, 12, overall, m, disk);
    WriteFinalsOptions(1, FinalsOptions{}, m, disk);
    WriteFinalsLadder(
        1, {12, 10, {30, 20, 15, 10, 10}, {15, 10, 5, 5}, {0, 14, 14, 14, 14}, {5, 3, 3, 3}}, m,
        disk);
    const SectionTitle half = FinalsRunTitle(1, 1, 'A');
    WriteFinalsRunResult(test::BusyRun(4, 8, 5), 4, half.View(), 1, {}, test::HeatTrailer(), m,
                         disk);
    WriteFinalsRunResult(test::BusyRun(4, 8, 6), 4, FinalsRunTitle(1, 0, 'A').View(), 1,
                         {RelatedRun{half.View(), 2}, RelatedRun{}}, test::HeatTrailer(), m, disk);
    RunDoneFlags flags;
    flags.flags[0][0] = flags.flags[0][1] = 1;
    WriteRunDoneFlags(flags, m, disk);
    EXPECT_TRUE(m.shown.empty());
    return disk.Files()[kCopy];
}

std::string Mutate(std::string s, std::mt19937& rng) {
    static const std::string kPieces[] = {"\t",
                                          "\r\n",
                                          "\n",
                                          "\r",
                                          "-",
                                          "5000",
                                          "99999999999",
                                          "-2147483648",
                                          "abc",
                                          "(NA)\t",
                                          "\r\nCat\xE9gorie1M1S1\t\r\n",
                                          "\r\nCat\xE9gorie1ListeParticipants\t\r\n",
                                          "PisteCourse\t\n",
                                          "\0"s,
                                          "\xFF\xE9"};
    auto pos = [&](std::size_t extra = 0) { return s.empty() ? 0 : rng() % (s.size() + extra); };
    for (int edits = 1 + static_cast<int>(rng() % 6); edits > 0; --edits) {
        switch (rng() % 8) {
            case 0:
                if (!s.empty()) s[pos()] = static_cast<char>(rng());
                break;
            case 1:
                s.insert(pos(1), kPieces[rng() % std::size(kPieces)]);
                break;
            case 2: {
                std::size_t at = pos();
                s.erase(at, 1 + rng() % 200);
                break;
            }
            case 3:
                s.resize(pos(1));
                break;
            case 4: {
                std::size_t at = pos(), length = 1 + rng() % 400;
                std::string piece = s.substr(at, length);
                s.insert(pos(1), piece);
                break;
            }
            case 5:
                s.insert(pos(1), std::string(100 + rng() % 3000, "x\t9 "[rng() % 4]));
                break;
            case 6: {  // a number somewhere replaced by something worse
                std::size_t at = s.find_first_of("0123456789", pos());
                if (at != std::string::npos) s.replace(at, 1, kPieces[5 + rng() % 4]);
                break;
            }
            default: {  // line ends changed over a stretch
                std::size_t at = pos(), end = std::min(s.size(), at + 2000);
                for (std::size_t i = at; i + 1 < end; ++i) {
                    if (s[i] == '\r' && s[i + 1] == '\n') s.erase(i, 1), --end;
                }
                break;
            }
        }
    }
    return s;
}

void CheckCars(const RunCars& cars) {
    for (const RunCar& car : cars) {
        ASSERT_GE(car.passingCount, 0);
        ASSERT_LE(car.passingCount, kMaxPassings);
    }
}

// Every reader of the event file over one file; then a write, which must read back whatever
// the file held before.
void ReadEverything(const std::string& bytes, std::mt19937& rng) {
    CrashDisk disk(kCopy, bytes);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, disk), FileOutcome::Done);
    ASSERT_GE(h.categoryCount, 0);
    ASSERT_LE(h.categoryCount, kCategories);
    // Each reader gets a record of its own on the heap, for the sanitizers to guard.
    ReadRunDoneFlags(*std::make_unique<RunDoneFlags>(), disk);
    ReadTrack(*std::make_unique<TrackRecord>(), disk);
    for (int c = 1; c <= 2; ++c) {
        ReadParticipantNames(c, *std::make_unique<ParticipantNames>(), disk);
        ReadParticipants(c, *std::make_unique<Participants>(), disk);
        ReadHeatSlotList(c, *std::make_unique<HeatSlotList>(), disk);
        ReadQualifOptions(c, *std::make_unique<QualifOptions>(), disk);
        ReadStartingGrids(c, *std::make_unique<StartingGrids>(), disk);
        ReadRoundClassification(c, 1, 250, *std::make_unique<RoundClassification>(), disk);
        ReadOverallClassification(c, 250, *std::make_unique<OverallClassification>(), disk);
        ReadFinalsOptions(c, *std::make_unique<FinalsOptions>(), disk);
        ReadFinalsLadder(c, *std::make_unique<FinalsLadder>(), disk);
        for (int heat = 1; heat <= 2; ++heat) {
            CheckCars(test::ReadRun(HeatTitle(c, 1, heat).View(), disk).cars);
        }
        auto run = std::make_unique<test::StoredRun>();
        std::int32_t status = 0;
        ReadFinalsRunResult(FinalsRunTitle(c, 0, 'A').View(), run->cars, status, run->trailer,
                            disk);
        CheckCars(run->cars);
    }

    // The command-line tool over the same bytes, on one file in ten (it opens whole sheets): a
    // status it documents and at most one line.
    if (rng() % 10 == 0) {
        test::TempFolder site;
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"check", "EVENT"},
                 {"export", "EVENT", "--out", site / "site"},
                 {"round", "EVENT", "--category", "1", "--round", "1"},
                 {"overall", "EVENT", "--category", "1"},
                 {"finals", "EVENT", "--category", "1"},
                 {"closure", "EVENT", "--category", "1"}}) {
            std::string out, err;
            int status = results::RunToolOnBytes(args, bytes, out, err);
            ASSERT_TRUE(status == 0 || status == 2 || status == 3) << args[0] << " " << status;
            ASSERT_LE(std::count(err.begin(), err.end(), '\n'), 1) << args[0] << " " << err;
        }
    }

    // Whatever the file, a section written into it reads back as written.
    FakeMessages m;
    m.allowAny = true;
    const int heat = 1 + static_cast<int>(rng() % 3);
    const RunCars written =
        test::BusyRun(1 + static_cast<int>(rng() % 20), static_cast<int>(rng() % 150),
                      static_cast<int>(rng() % 100));
    ASSERT_EQ(WriteHeatResult(written, CarsInUse(written), HeatTitle(1, 1, heat).View(),
                              test::HeatTrailer(), m, disk),
              FileOutcome::Done);
    auto back =
        std::make_unique<test::StoredRun>(test::ReadRun(HeatTitle(1, 1, heat).View(), disk));
    ASSERT_EQ(back->outcome, FileOutcome::Done);
    ASSERT_EQ(test::Kept(back->cars), test::Kept(written));
    ASSERT_EQ(test::Kept(back->trailer), test::Kept(test::HeatTrailer()));
    ASSERT_TRUE(m.shown.empty());
}

TEST(Fuzz, EventFileReadersSurviveDamagedFiles) {
    const std::vector<std::string> corpus = {EveryLayout(), test::Golden("heat_recorded.race"),
                                             test::Golden("foreign_lf.race"),
                                             test::Golden("new_event.race")};
    std::mt19937 rng(20260614);
    for (int i = 0; i < 1500; ++i) {
        SCOPED_TRACE(i);
        ReadEverything(Mutate(corpus[i % corpus.size()], rng), rng);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(Fuzz, FilesThatAreNoEventFiles) {
    std::mt19937 rng(7);
    std::string noise(5000, '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    for (const std::string& bytes :
         {""s, "\n"s, "\t\t\t"s, noise, "PK\x03\x04 not an event file at all\r\n"s,
          std::string(100000, '\n')}) {
        ReadEverything(bytes, rng);
    }
}

// Captures of random bursts, a third of them frame heads of a few transponders, at times that
// sometimes leap by days: the replay ends, with a documented status and at most one line said.
TEST(Fuzz, ReplayedCapturesOfNoise) {
    std::mt19937 rng(1205);
    for (int i = 0; i < 100; ++i) {
        std::string capture;
        for (std::int64_t b = rng() % 40, at = 0; b >= 0; --b) {
            at += rng() % 97 == 0 ? 100'000'000'000LL : std::int64_t(rng() % 3000);
            std::vector<std::uint8_t> bytes{std::uint8_t(rng())};
            for (int k = int(rng() % 30); k > 0; --k) {
                if (rng() % 3 == 0) bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xF0, 0, 1});
                bytes.push_back(std::uint8_t(rng() % 4));
            }
            capture += sim::RecordLine(at, bytes.data(), bytes.size());
        }
        std::vector<std::string> args{"replay",  "CAPTURE",
                                      "--model", i % 2 ? "mk1" : "mk2",
                                      "--start", i % 3 ? "staggered" : "first-car"};
        std::string out, err;
        int status = results::RunToolOnBytes(args, capture, out, err);
        ASSERT_TRUE(status == 0 || status == 3) << i << " " << err;
        ASSERT_LE(std::count(err.begin(), err.end(), '\n'), 1) << i << " " << err;
    }
}

TEST(Fuzz, ACarLineClaimingTooManyPassingsStopsAtTheHistory) {
    std::string line = "X\t5000\t1\t2\t3\t4\t";
    for (int i = 0; i < 6000; ++i) line += std::to_string(i + 10) + "\t";
    CrashDisk disk(kCopy, test::Golden("new_event.race") + "\r\nT\t\r\n" + line + "\r\n");
    auto cars = std::make_unique<RunCars>(test::EmptyRun());
    (*cars)[0].lapTimes[0] = -11;  // just after the last race time in memory
    (*cars)[1].driverName = "next";
    RunTrailer trailer;
    ASSERT_EQ(ReadRunResult("T", *cars, trailer, disk), FileOutcome::Done);
    const RunCar& car = (*cars)[0];
    // The file ends after one car line.
    EXPECT_EQ(test::Fields(car.passingCount, car.raceTimes[300], car.lapTimes[300], car.lapTimes[0],
                           (*cars)[1].driverName),
              "300|310|3|-11|next");
}

TEST(Fuzz, ExchangeAndSettingsReadersSurviveDamagedFiles) {
    test::TempFolder folder;
    test::ScopedCurrentFolder current(folder.Path());
    std::filesystem::create_directories(folder.Path() / "Private");
    const std::vector<std::string> corpus = {
        test::Golden("details_shutdown.res"), test::Golden("driver_results.res"),
        test::Golden("comment_empty.res"), test::Golden("sounds.rg"),
        test::Golden("display_empty_faces.scrn")};
    std::mt19937 rng(99);
    for (int i = 0; i < 300; ++i) {
        std::string bytes = Mutate(corpus[i % corpus.size()], rng);
        for (const char* name : {"ResultatPilote.res", "DetailResultats.res",
                                 "CommentaireSerie.res", "R\xC3\xA9glagesSons.rg", "screen.scrn"}) {
            test::WriteWholeFile(folder.Path() / name, bytes);
        }
        RunCar car;
        DriverResultsHeading heading;
        ASSERT_TRUE(ReadDriverResults(car, heading, SystemDisk()));
        ASSERT_LE(car.passingCount, kMaxPassings);
        auto cars = std::make_unique<RunCars>();
        ASSERT_TRUE(
            ReadRunDetails(*cars, *std::make_unique<Keyword<Classification>>(), SystemDisk()));
        CheckCars(*cars);
        ASSERT_TRUE(ReadRunComment(*std::make_unique<Text<6>>(), *std::make_unique<Text<100>>(),
                                   SystemDisk()));
        ASSERT_TRUE(ReadSoundSettings(*std::make_unique<SoundSettings>(), SystemDisk()));
        ASSERT_TRUE(ReadDisplaySettings("screen.scrn", *std::make_unique<DisplaySettings>(),
                                        *std::make_unique<CustomColours>(), SystemDisk()));
    }
}

// Loads a database from the bytes, saves it, and loads and saves it again: whatever a damaged
// file held, what was loaded is written in the file's own layout and reads back the same.
template <typename Table, typename Load, typename Save>
void LoadSaveTwice(const std::string& name, const std::string& bytes, Load load, Save save) {
    std::string saved[2];
    std::string input = bytes;
    for (std::string& out : saved) {
        CrashDisk disk(name, input);
        auto table = std::make_unique<Table>();
        ASSERT_TRUE(load(*table, disk));
        ASSERT_TRUE(save(*table, disk));
        out = input = disk.Files()[name];
    }
    ASSERT_EQ(saved[0], saved[1]) << name;
}

TEST(Fuzz, DatabaseLoadersSurviveDamagedFiles) {
    const std::string record =
        "B\xC9RANGER Lo\xEF"
        "c\t1 rue\t\t42000\tSaint-\xC9tienne\tFrance\t0102\ta@b.fr\t1970\tL1\t"
        "000482\tRC Nord\t/home/l\xE9o/p.bmp\t\r\n";
    std::string corpus;
    for (int i = 0; i < 30; ++i) corpus += std::to_string(i) + record;
    std::mt19937 rng(4242);
    for (int i = 0; i < 400; ++i) {
        SCOPED_TRACE(i);
        const std::string bytes = Mutate(corpus, rng);
        LoadSaveTwice<CircuitTable>(
            std::string(kCircuitsFile), bytes,
            [](CircuitTable& t, Disk& d) { return LoadCircuits(t, d); },
            [](const CircuitTable& t, Disk& d) { return SaveCircuits(t, d); });
        LoadSaveTwice<ClubTable>(
            std::string(kClubsFile), bytes, [](ClubTable& t, Disk& d) { return LoadClubs(t, d); },
            [](const ClubTable& t, Disk& d) { return SaveClubs(t, NameCount(t), d); });
        LoadSaveTwice<DriverTable>(
            std::string(kDriversFile), bytes,
            [](DriverTable& t, Disk& d) { return LoadDrivers(t, d); },
            [](const DriverTable& t, Disk& d) { return SaveDrivers(t, NameCount(t), d); });
        LoadSaveTwice<FrequencyTable>(
            std::string(kFrequenciesFile), bytes,
            [](FrequencyTable& t, Disk& d) { return LoadFrequencies(t, d); },
            [](const FrequencyTable& t, Disk& d) { return SaveFrequencies(t, NameCount(t), d); });
        LoadSaveTwice<TransponderSets>(
            std::string(kTransponderSetsFile), bytes,
            [](TransponderSets& t, Disk& d) { return LoadTransponderSets(t, d); },
            [](const TransponderSets& t, Disk& d) { return SaveTransponderSets(t, d); });
        CrashDisk disk(std::string(kCountriesFile), bytes);
        auto countries = std::make_unique<CountryChoices>();
        ASSERT_TRUE(FillCountryChoices(*countries, disk));
        ASSERT_LE(countries->count, kCountryLines);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace velkaro
