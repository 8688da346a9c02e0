#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "event/event_model.h"
#include "event/run_results_files.h"
#include "event/settings_files.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using ExchangeFilesTest = test::EventFolderTest;
using SettingsFilesTest = test::EventFolderTest;

const char* const kDescription =
    "Duration 0:05:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05";

TEST_F(ExchangeFilesTest, DriverResultsHoldEveryPassingFromTheStart) {
    ASSERT_TRUE(WriteDriverResults(test::TwoCarHeat(), 0, " CATEGORY 1 - Round1 - Heat1 ", "Lille",
                                   kDescription, messages_));
    EXPECT_EQ(File("ResultatPilote.res"), test::Golden("driver_results.res"));

    // A car without passing still has its passing 0.
    ASSERT_TRUE(WriteDriverResults(test::TwoCarHeat(), 1, "t", "c", "d", messages_));
    EXPECT_EQ(File("ResultatPilote.res"), "B\xC9RANGER Luc\t0\t0\t\r\nt\tc\td\t\r\n");
}

TEST_F(ExchangeFilesTest, DriverResultsReadBackSkippingEmptyLines) {
    test::WriteWholeFile(
        folder_.Path() / "ResultatPilote.res",
        "ALPHA Anne\t3\t0\t1200\t31134\t61234\textra\t\n\n\r\ntitle\tLille\tdesc\t\n");
    RunCar car;
    DriverResultsHeading heading;
    ASSERT_TRUE(ReadDriverResults(car, heading));
    EXPECT_EQ(car.driverName, "ALPHA Anne");
    EXPECT_EQ(car.passingCount, 3);
    EXPECT_EQ(car.raceTimes[0], 0);
    EXPECT_EQ(car.raceTimes[3], 61234);
    EXPECT_EQ(heading.runTitle, "title");
    EXPECT_EQ(heading.circuitName, "Lille");
    EXPECT_EQ(heading.description, "desc");
}

TEST_F(ExchangeFilesTest, RunDetailsAtShutDownHoldTwentyUnusedSlots) {
    ASSERT_TRUE(WriteRunDetails(test::EmptyRun(), kByLapsAndTime, messages_));
    EXPECT_EQ(File("DetailResultats.res"), test::Golden("details_shutdown.res"));
}

TEST_F(ExchangeFilesTest, RunDetailsSkipPassingZeroAndReadBackShifted) {
    ASSERT_TRUE(WriteRunDetails(test::TwoCarHeat(), "CLASSEMENTMeilleurTour", messages_));
    std::string file = File("DetailResultats.res");
    EXPECT_EQ(file.substr(0, file.find("(NA)")),
              "CLASSEMENTMeilleurTour\t\r\nALPHA Anne\t3\t1200\t31134\t61234\t\r\n"
              "B\xC9RANGER Luc\t0\t\r\n");

    RunCars cars = test::BusyRun(20, 10, 9);  // stale histories, all cleared on reading
    Text<24> keyword;
    ASSERT_TRUE(ReadRunDetails(cars, keyword));
    EXPECT_EQ(keyword, "CLASSEMENTMeilleurTour");
    EXPECT_EQ(cars[0].passingCount, 3);
    EXPECT_EQ(cars[0].raceTimes[0], 1200);
    EXPECT_EQ(cars[0].raceTimes[2], 61234);
    EXPECT_EQ(cars[0].raceTimes[3], 0);
    EXPECT_EQ(cars[0].lapTimes[5], 0);
    EXPECT_EQ(cars[19].driverName, "(NA)");
    EXPECT_EQ(cars[19].raceTimes[0], 0);
}

TEST_F(ExchangeFilesTest, CommentKeepsBothTabsWhenEmpty) {
    ASSERT_TRUE(WriteRunComment("Dry", ""));
    EXPECT_EQ(File("CommentaireSerie.res"), test::Golden("comment_empty.res"));
    ASSERT_TRUE(WriteRunComment("Wet", "Rain from lap 3"));
    Text<6> condition;
    Text<100> comment;
    ASSERT_TRUE(ReadRunComment(condition, comment));
    EXPECT_EQ(condition, "Wet");
    EXPECT_EQ(comment, "Rain from lap 3");
}

TEST_F(ExchangeFilesTest, MissingFilesFailAndWriteFailuresAreReported) {
    RunCar car;
    DriverResultsHeading heading;
    RunCars cars{};
    Text<24> keyword("kept");
    Text<6> condition;
    Text<100> comment;
    EXPECT_FALSE(ReadDriverResults(car, heading));
    EXPECT_FALSE(ReadRunDetails(cars, keyword));
    EXPECT_EQ(keyword, "kept");
    EXPECT_FALSE(ReadRunComment(condition, comment));

    // A folder in the way of each file makes every write fail.
    for (const char* name : {"ResultatPilote.res", "DetailResultats.res", "CommentaireSerie.res"}) {
        std::filesystem::create_directory(folder_.Path() / name);
    }
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(WriteDriverResults(test::TwoCarHeat(), 0, "t", "c", "d", messages_));
    EXPECT_FALSE(WriteRunDetails(test::TwoCarHeat(), "k", messages_));
    EXPECT_FALSE(WriteRunComment("Dry", "x"));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Driver's detailed results file not found");
    EXPECT_EQ(messages_.shown[1].text, "Error: Detailed results file not found");
    EXPECT_EQ(messages_.shown[1].title, "Error");
}

SoundSettings AllOn() {
    SoundSettings s;
    s.language = kLanguageEnglish;
    s.countdown = kCountdownOn;
    s.start = kStartOn;
    s.passing = kPassingOn;
    s.bestLap = kBestLapOn;
    s.clock = kClockOn;
    s.endOfRace = kEndOfRaceOn;
    s.carFinish = kCarFinishOn;
    return s;
}

TEST_F(SettingsFilesTest, SoundSettingsAreEightWordsInFileOrder) {
    test::WriteWholeFile(folder_.Path() / "R\xC3\xA9glagesSons.rg", test::Golden("sounds.rg"));
    SoundSettings s = AllOn();
    ASSERT_TRUE(ReadSoundSettings(s));
    EXPECT_EQ(s.language, "SONLANGUEFrancais");
    EXPECT_EQ(s.countdown, "SONDECOMPTEnon");
    EXPECT_EQ(s.start, "SONDEPARToui");
    EXPECT_EQ(s.bestLap, "SONMEILLEURTOURnon");
    EXPECT_EQ(s.carFinish, "SONFINVOITUREnon");

    // Written back, the file is the same; its name reaches the disk in UTF-8.
    ASSERT_TRUE(WriteSoundSettings(s));
    EXPECT_EQ(File("R\xC3\xA9glagesSons.rg"), test::Golden("sounds.rg"));
}

TEST_F(SettingsFilesTest, ShortOrMissingSoundSettingsKeepWhatTheyDoNotHold) {
    SoundSettings s = AllOn();
    EXPECT_FALSE(ReadSoundSettings(s));
    EXPECT_EQ(s.countdown, "SONDECOMPTEoui");
    test::WriteWholeFile(folder_.Path() / "R\xC3\xA9glagesSons.rg",
                         "SONLANGUEFrancais SONDECOMPTEnon\tSONDEPARTnonANDMUCHMORE");
    ASSERT_TRUE(ReadSoundSettings(s));
    EXPECT_EQ(s.countdown, "SONDECOMPTEnon");
    EXPECT_EQ(s.start, "SONDEPARTnon");  // cut to its slot
    EXPECT_EQ(s.passing, "SONPASSAGEoui");
}

DisplaySettings SampleDisplay() {
    DisplaySettings d;
    d.style = 1;
    for (int i = 0; i < 12; ++i) {
        TextStyleSetting& t = d.textStyles[static_cast<std::size_t>(i)];
        t.faceName = i % 2 ? "Arial" : "Liberation Sans";
        t.size = 20 + i;
        t.weight = i < 6 ? 400 : 700;
        t.italic = i == 11;
        t.underline = i == 10;
        t.strikeOut = i == 0;
        d.textColours[static_cast<std::size_t>(i)] = 0x0000FFu * static_cast<std::uint32_t>(i);
    }
    for (int i = 0; i < 13; ++i)
        d.colours[static_cast<std::size_t>(i)] = 0xDCE6E6u + static_cast<std::uint32_t>(i);
    d.columnWidths = {60, 320, 80, 80, 130, 130, 130, 160, 999};
    return d;
}

TEST_F(SettingsFilesTest, DisplaySettingsRoundTrip) {
    const DisplaySettings d = SampleDisplay();
    CustomColours custom;
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = 0xFFFFFFu - static_cast<std::uint32_t>(i);
    ASSERT_TRUE(WriteDisplaySettings(kDisplaySettingsFile, d, custom));
    std::string file = File("Private/R\xC3\xA9glagesAffichage.rgsc");
    EXPECT_EQ(file.substr(0, file.find("\r\n", 4) + 2),
              "1\t\r\nLiberation Sans\tArial\tLiberation Sans\tArial\tLiberation Sans\tArial\t"
              "Liberation Sans\tArial\tLiberation Sans\tArial\tLiberation Sans\tArial\t\r\n");

    DisplaySettings read;
    CustomColours readCustom{};
    ASSERT_TRUE(ReadDisplaySettings(kDisplaySettingsFile, read, readCustom));
    EXPECT_EQ(read.style, 1);
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.textStyles[i].faceName, d.textStyles[i].faceName);
        EXPECT_EQ(read.textStyles[i].size, d.textStyles[i].size);
        EXPECT_EQ(read.textStyles[i].weight, d.textStyles[i].weight);
        EXPECT_EQ(read.textStyles[i].italic, d.textStyles[i].italic);
        EXPECT_EQ(read.textStyles[i].underline, d.textStyles[i].underline);
        EXPECT_EQ(read.textStyles[i].strikeOut, d.textStyles[i].strikeOut);
    }
    EXPECT_EQ(read.textColours, d.textColours);
    EXPECT_EQ(read.colours, d.colours);
    EXPECT_EQ(read.columnWidths, d.columnWidths);
    EXPECT_EQ(readCustom, custom);
}

TEST_F(SettingsFilesTest, EmptyFaceNamesStillLeaveEveryIntegerRead) {
    test::WriteWholeFile(folder_.Path() / "screen.scrn", test::Golden("display_empty_faces.scrn"));
    DisplaySettings d = SampleDisplay();
    for (TextStyleSetting& t : d.textStyles) t.faceName.Clear();
    CustomColours custom{};
    ASSERT_TRUE(ReadDisplaySettings("screen.scrn", d, custom));
    EXPECT_EQ(d.style, 1);
    EXPECT_EQ(d.textStyles[0].faceName, "");
    EXPECT_EQ(d.textStyles[0].size, 20);
    EXPECT_EQ(d.textStyles[11].size, 31);
    EXPECT_EQ(d.textStyles[6].weight, 700);
    EXPECT_EQ(d.textStyles[11].italic, 1);
    EXPECT_EQ(d.textStyles[10].underline, 1);
    EXPECT_EQ(d.textStyles[0].strikeOut, 1);
    EXPECT_EQ(d.textColours[2], 0x0000FFu * 3);
    EXPECT_EQ(d.colours[12], 0xDCE6E6u + 12);
    EXPECT_EQ(d.columnWidths[8], 999);
    EXPECT_EQ(custom[15], 0xFFFFFFu - 15);
    EXPECT_FALSE(ReadDisplaySettings("missing.scrn", d, custom));
}

}  // namespace
}  // namespace velkaro
