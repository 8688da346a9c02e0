#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "event/event_model.h"
#include "event/run_results_files.h"
#include "event/settings_files.h"
#include "event/window_settings.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::Fields;
using test::Golden;
using ExchangeFilesTest = test::EventFolderTest;
using SettingsFilesTest = test::EventFolderTest;

TEST_F(ExchangeFilesTest, DriverResultsHoldEveryPassingFromTheStart) {
    ASSERT_TRUE(WriteDriverResults(test::TwoCarHeat(), 0, " CATEGORY 1 - Round1 - Heat1 ", "Lille",
                                   test::HeatTrailer().description.View(), messages_,
                                   SystemDisk()));
    EXPECT_EQ(File("ResultatPilote.res"), Golden("driver_results.res"));
    // A car without passing still has its passing 0.
    ASSERT_TRUE(WriteDriverResults(test::TwoCarHeat(), 1, "t", "c", "d", messages_, SystemDisk()));
    EXPECT_EQ(File("ResultatPilote.res"), "B\xC9RANGER Luc\t0\t0\t\r\nt\tc\td\t\r\n");

    test::WriteWholeFile(
        folder_.Path() / "ResultatPilote.res",
        "ALPHA Anne\t3\t0\t1200\t31134\t61234\textra\t\n\n\r\ntitle\tLille\tdesc\t\n");
    RunCar car;
    DriverResultsHeading h;
    ASSERT_TRUE(ReadDriverResults(car, h, SystemDisk()));
    EXPECT_EQ(Fields(car.driverName, car.passingCount, car.raceTimes[0], car.raceTimes[3],
                     h.runTitle, h.circuitName, h.description),
              "ALPHA Anne|3|0|61234|title|Lille|desc");
}

TEST_F(ExchangeFilesTest, RunDetailsSkipPassingZeroAndReadBackShifted) {
    ASSERT_TRUE(WriteRunDetails(test::EmptyRun(), kByLapsAndTime, messages_, SystemDisk()));
    EXPECT_EQ(File("DetailResultats.res"), Golden("details_shutdown.res"));

    ASSERT_TRUE(
        WriteRunDetails(test::TwoCarHeat(), "CLASSEMENTMeilleurTour", messages_, SystemDisk()));
    std::string file = File("DetailResultats.res");
    EXPECT_EQ(file.substr(0, file.find("(NA)")),
              "CLASSEMENTMeilleurTour\t\r\nALPHA Anne\t3\t1200\t31134\t61234\t\r\n"
              "B\xC9RANGER Luc\t0\t\r\n");
    RunCars cars = test::BusyRun(20, 10, 9);  // stale histories, all cleared on reading
    Keyword<Classification> keyword;
    ASSERT_TRUE(ReadRunDetails(cars, keyword, SystemDisk()));
    const RunCar& anne = cars[0];
    EXPECT_EQ(
        Fields(keyword, anne.passingCount, anne.raceTimes[0], anne.raceTimes[2], anne.raceTimes[3],
               anne.lapTimes[5], cars[19].driverName, cars[19].raceTimes[0]),
        "CLASSEMENTMeilleurTour|3|1200|61234|0|0|(NA)|0");
}

TEST_F(ExchangeFilesTest, CommentKeepsBothTabsWhenEmpty) {
    ASSERT_TRUE(WriteRunComment("Dry", "", SystemDisk()));
    EXPECT_EQ(File("CommentaireSerie.res"), Golden("comment_empty.res"));
    ASSERT_TRUE(WriteRunComment("Wet", "Rain from lap 3", SystemDisk()));
    Text<6> condition;
    Text<100> comment;
    ASSERT_TRUE(ReadRunComment(condition, comment, SystemDisk()));
    EXPECT_EQ(Fields(condition, comment), "Wet|Rain from lap 3");
}

TEST_F(ExchangeFilesTest, MissingFilesFailAndWriteFailuresAreReported) {
    RunCar car;
    DriverResultsHeading heading;
    RunCars cars{};
    auto keyword = Keyword<Classification>::Parse("kept");
    Text<6> condition;
    Text<100> comment;
    EXPECT_FALSE(ReadDriverResults(car, heading, SystemDisk()));
    EXPECT_FALSE(ReadRunDetails(cars, keyword, SystemDisk()));
    EXPECT_EQ(keyword.View(), "kept");
    EXPECT_FALSE(ReadRunComment(condition, comment, SystemDisk()));

    // A folder in the way of each file makes every write fail.
    for (const char* name : {"ResultatPilote.res", "DetailResultats.res", "CommentaireSerie.res"})
        std::filesystem::create_directory(folder_.Path() / name);
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(WriteDriverResults(test::TwoCarHeat(), 0, "t", "c", "d", messages_, SystemDisk()));
    EXPECT_FALSE(WriteRunDetails(test::TwoCarHeat(), "k", messages_, SystemDisk()));
    EXPECT_FALSE(WriteRunComment("Dry", "x", SystemDisk()));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Driver's detailed results file not found");
    EXPECT_EQ(messages_.shown[1].title + "|" + messages_.shown[1].text,
              "Error|Error: Detailed results file not found");
}

TEST_F(SettingsFilesTest, SoundSettingsAreEightWordsInFileOrder) {
    const std::string onDisk = "R\xC3\xA9glagesSons.rg";
    SoundSettings s{{kLanguageEnglish}, {kCountdownOn}, {kStartOn},     {kPassingOn},
                    {kBestLapOn},       {kClockOn},     {kEndOfRaceOn}, {kCarFinishOn}};
    EXPECT_FALSE(ReadSoundSettings(s, SystemDisk()));  // no file: nothing changes
    EXPECT_EQ(s.countdown, kCountdownOn);

    test::WriteWholeFile(folder_.Path() / onDisk, Golden("sounds.rg"));
    ASSERT_TRUE(ReadSoundSettings(s, SystemDisk()));
    EXPECT_EQ(Fields(s.language, s.countdown, s.start, s.bestLap, s.carFinish),
              "SONLANGUEFrancais|SONDECOMPTEnon|SONDEPARToui|SONMEILLEURTOURnon|SONFINVOITUREnon");
    // Written back, the file is the same; its name reaches the disk in UTF-8.
    ASSERT_TRUE(WriteSoundSettings(s, SystemDisk()));
    EXPECT_EQ(File(onDisk), Golden("sounds.rg"));

    // A short file keeps what it does not hold; a word is cut to its slot.
    s.passing = kPassingOff;
    test::WriteWholeFile(folder_.Path() / onDisk,
                         "SONLANGUEFrancais SONDECOMPTEoui\tSONDEPARTnonANDMUCHMORE");
    ASSERT_TRUE(ReadSoundSettings(s, SystemDisk()));
    EXPECT_EQ(Fields(s.countdown, s.start, s.passing), "SONDECOMPTEoui|SONDEPARTnon|SONPASSAGEnon");
}

TEST_F(SettingsFilesTest, DisplaySettingsRoundTrip) {
    // The golden's values, read and written again, come out the same: every integer is read.
    test::WriteWholeFile(folder_.Path() / "empty_faces.scrn", Golden("display_empty_faces.scrn"));
    DisplaySettings d;
    CustomColours custom{};
    ASSERT_TRUE(ReadDisplaySettings("empty_faces.scrn", d, custom, SystemDisk()));
    ASSERT_TRUE(WriteDisplaySettings("again.scrn", d, custom, SystemDisk()));
    EXPECT_EQ(File("again.scrn"), Golden("display_empty_faces.scrn"));

    // Face names, in the program's own file.
    for (int i = 0; i < 12; ++i) d.textStyles[i].faceName = i % 2 ? "Arial" : "Liberation Sans";
    ASSERT_TRUE(WriteDisplaySettings(kDisplaySettingsFile, d, custom, SystemDisk()));
    const std::string file = File("Private/R\xC3\xA9glagesAffichage.rgsc");
    EXPECT_EQ(file.substr(0, file.find("\r\n", 4) + 2),
              "1\t\r\nLiberation Sans\tArial\tLiberation Sans\tArial\tLiberation Sans\tArial\t"
              "Liberation Sans\tArial\tLiberation Sans\tArial\tLiberation Sans\tArial\t\r\n");
    DisplaySettings read;
    ASSERT_TRUE(ReadDisplaySettings(kDisplaySettingsFile, read, custom, SystemDisk()));
    ASSERT_TRUE(WriteDisplaySettings("again.scrn", read, custom, SystemDisk()));
    EXPECT_EQ(File("again.scrn"), file);
    EXPECT_FALSE(ReadDisplaySettings("missing.scrn", read, custom, SystemDisk()));
}

TEST_F(SettingsFilesTest, WindowSettingsKeepWhatIsUnderstood) {
    struct Case {
        std::string_view text;
        WindowSettings read;
    };
    const std::string damaged =
        "tree -5\ntree 12a\ntree \nrace screen " + std::string(kMostScreenName + 1, 'N');
    for (const Case& c : std::initializer_list<Case>{
             {"tree 230\r\nrace screen HDMI-1\r\n", {230, "HDMI-1"}},
             {"race screen DP 2\ntree 0\n", {0, "DP 2"}},
             {"tree 4001\r\nrace screen \r\n", {}},
             {damaged, {}},
             {"race screen A\tB\nwidth 300\n", {}},
         }) {
        EXPECT_EQ(ParseWindowSettings(c.text), c.read) << c.text;
    }
    // Written through the disk and read back; the screen line only when there is one.
    const WindowSettings both{275, "Projector \xE9"};
    ASSERT_TRUE(WriteWindowSettings(both, SystemDisk()));
    EXPECT_EQ(File(std::string(kWindowSettingsFile)), "tree 275\r\nrace screen Projector \xE9\r\n");
    EXPECT_EQ(ReadWindowSettings(SystemDisk()), both);
    ASSERT_TRUE(WriteWindowSettings({190, ""}, SystemDisk()));
    EXPECT_EQ(File(std::string(kWindowSettingsFile)), "tree 190\r\n");
}

}  // namespace
}  // namespace velkaro
