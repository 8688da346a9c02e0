// Who shares a radio frequency in one run, and the lines that tell the director.

#include "common/radio_conflicts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkaro {
namespace {

struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> lanes;  // driver, first frequency
    std::vector<std::string> lines;
    const char* shortText;
};

TEST(RadioConflicts, NameTheDriversOfEachSharedFrequency) {
    const Case cases[] = {
        {"none", {{"Evans", "40.665"}, {"King", "27.145"}}, {}, ""},
        {"one pair",
         {{"Evans", "40.665"}, {"Moss", "27.145"}, {"King", "40.665"}},
         {"Evans / King on 40.665"},
         "Evans / King on 40.665"},
        {"three on one frequency, a pair on another",
         {{"Irwin", "27.145"},
          {"Evans", "40.665"},
          {"King", "40.665"},
          {"Clark", "27.145"},
          {"Moss", "40.665"}},
         {"Irwin / Clark on 27.145", "Evans / King / Moss on 40.665"},
         "Irwin / Clark on 27.145 +1 more"},
        {"a driver without a frequency, 2.4Ghz, free places",
         {{"Evans", ""},
          {"King", ""},
          {"Moss", "2.4Ghz"},
          {"Hill", "2.4Ghz"},
          {"(NA)", "40.665"},
          {"", "40.665"},
          {"Clark", "40.665"}},
         {},
         ""},
    };
    for (const Case& c : cases) {
        RadioGrid grid{};
        for (std::size_t k = 0; k < c.lanes.size(); ++k) {
            grid[k].name = c.lanes[k].first;
            grid[k].frequency = c.lanes[k].second;
        }
        const std::vector<std::string> lines = ConflictLines(grid, FindRadioConflicts(grid));
        EXPECT_EQ(lines, c.lines) << c.what;
        EXPECT_EQ(FirstAndMore(lines), c.shortText) << c.what;
    }
    RadioGrid grid{};
    grid[0].name = "Evans";
    grid[19].name = "King";
    grid[0].frequency = grid[19].frequency = "40.665";
    EXPECT_EQ(FindRadioConflicts(grid, 19).count, 0) << "only the lanes in use are looked at";
    EXPECT_EQ(AllLines(ConflictLines(grid, FindRadioConflicts(grid), "1/4A")),
              "1/4A: Evans / King on 40.665");
}

}  // namespace
}  // namespace velkaro
