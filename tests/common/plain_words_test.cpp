#include "common/plain_words.h"
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <string>

namespace velkaro {
namespace {

TEST(PlainWords, RunDescriptionsReadAsWords) {
    struct Case {
        std::string stored, shown;
    } cases[] = {
        {"Duration 0:05:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05",
         "Duration 0:05:00 \xB7 Start at the signal \xB7 cars finish their lap \xB7 started "
         "14/06/2026 9:05"},
        {"Duration 12 laps - STARTStaggered - ENDCompleteAllLaps - Start 01/02/2027 14:30",
         "Duration 12 laps \xB7 Staggered start \xB7 cars complete all their laps \xB7 started "
         "01/02/2027 14:30"},
        {"Duration 8 laps - START1stCar - ENDSoundSignal - Start 03/03/2027 8:00",
         "Duration 8 laps \xB7 Start with the first car \xB7 cars stop at the signal \xB7 started "
         "03/03/2027 8:00"},
        // Empty rules of an unknown keyword, as a file of another tool may hold.
        {"STARTSoundSignal - ENDCompleteCurrentLap - ",
         "Start at the signal \xB7 cars finish their lap"},
        {"Duration 0:05:00 -  - BOGUS - Start 14/06/2026 9:05",
         "Duration 0:05:00 \xB7 BOGUS \xB7 started 14/06/2026 9:05"},
        {"Start line", "Start line"},
        {".", "."},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunDescriptionInWords(c.stored).View(), c.shown) << c.stored;
    }
}

TEST(PlainWords, DocumentsAreNamedByWhatTheyAre) {
    EXPECT_EQ(DocumentName("Winter Cup", "Touring", "Closure report").View(),
              "Winter Cup - Touring - Closure report");
    EXPECT_EQ(DocumentName(" ", "Touring ", "Closure report").View(), "Touring - Closure report");
    EXPECT_EQ(DocumentName("", "", "Run results").View(), "Run results");
    EXPECT_EQ(RunDocumentName("Event : Winter Cup - Lille", "CATEGORY : Touring",
                              "Qualification : Round1 - Heat2")
                  .View(),
              "Winter Cup - Touring - Round1 - Heat2 results");
    EXPECT_EQ(RunDocumentName("", "", "").View(), "Run results");
    struct Case {
        std::string name, file;
    } files[] = {
        {"Winter Cup - Touring - Closure report", "Winter Cup - Touring - Closure report"},
        {"Cup 1/8: A|B?", "Cup 1-8- A-B-"},
        {" ..Caf\xE9 \\ \"x\" <y>*\t", "Caf\xE9 - -x- -y---"},
    };
    for (const Case& c : files) EXPECT_EQ(DocumentFileName(c.name).View(), c.file) << c.name;
}

}  // namespace
}  // namespace velkaro
