#include "databases/editor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "databases/driver_details.h"

namespace velkaro {
namespace {

template <typename Table>
std::vector<std::string> Names(const Table& table, int slots) {
    std::vector<std::string> names;
    for (int i = 0; i < slots; ++i) names.emplace_back(table[i].name.View());
    return names;
}

TEST(SortByName, CaseInsensitiveEqualKeysInReverseSlotOrderEmptyLast) {
    ClubTable clubs{};
    const char* given[] = {"zeta",
                           "",
                           "Alpha",
                           "beta",
                           "ALPHA",
                           "\xC9"
                           "cole",
                           "alpha",
                           "al"};
    for (int i = 0; i < 8; ++i) {
        clubs[i].name = given[i];
        clubs[i].phone = std::to_string(i);  // which slot each record came from
    }
    SortByName(clubs);
    EXPECT_EQ(Names(clubs, 8),
              (std::vector<std::string>{"al", "alpha", "ALPHA", "Alpha", "beta", "zeta",
                                        "\xC9"
                                        "cole",
                                        ""}));
    EXPECT_EQ(clubs[1].phone, "6");  // the whole record moves with its name
    EXPECT_EQ(clubs[3].phone, "2");
    EXPECT_EQ(clubs[kClubRecords - 1].phone, "1");  // the lowest empty slot comes last
}

TEST(AddName, RefusalsAndOrderPerTable) {
    struct Case {
        const char* what;
        AddRules rules;
        std::vector<std::string> adds;
        std::vector<int> positions;  // -1: refused
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"clubs",
         kClubRules,
         {"zeta", "Alpha", "beta", "alpha"},
         {0, 0, 1, 0},
         {"alpha", "Alpha", "beta", "zeta"}},
        {"drivers",
         kDriverRules,
         {"Alpha", "alpha", "ALPHA", "(NA)", "PisteCourse", "x Cat\xE9gorie 2", "Cat\xE9gories",
          "Cat\xC9gorie"},
         {0, -1, -1, -1, -1, -1, -1, 1},
         {"Alpha", "Cat\xC9gorie"}},
        {"empty or a leading space",
         kCircuitRules,
         {"", " Oval", "Oval", "Oval"},
         {-1, -1, 0, -1},
         {"Oval"}},
        {"frequencies of six",
         kFrequencyRules,
         {"40.66", "40.665", "27.045"},
         {-1, 0, 0},
         {"27.045", "40.665"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = std::make_unique<DriverTable>();
        std::vector<int> positions;
        for (const std::string& name : c.adds) positions.push_back(AddName(*table, name, c.rules));
        EXPECT_EQ(positions, c.positions);
        EXPECT_EQ(Names(*table, static_cast<int>(c.names.size()) + 1), [&] {
            auto n = c.names;
            n.emplace_back();
            return n;
        }());
    }
}

TEST(AddName, TheListHoldsItsCapacityAndNoMore) {
    // Names are the prefix and a number of at least `digits` digits.
    auto fill = [](auto& table, const AddRules& rules, const char* prefix, int digits) {
        Text<8> name;
        for (int i = 0; i + 1 < rules.capacity; ++i) {
            Format(table[i].name, "%s%0*d", prefix, digits, i);
        }
        SortByName(table, rules.capacity);
        Format(name, "%s%0*d", prefix, digits, rules.capacity - 1);
        if (AddName(table, name.View(), rules) < 0) return false;
        Format(name, "%s%0*d", prefix, digits, rules.capacity);
        return AddName(table, name.View(), rules) == -1 &&
               NameCount(table, rules.capacity) == rules.capacity;
    };
    CircuitTable circuits{};
    ClubTable clubs{};
    FrequencyTable frequencies{};
    auto drivers = std::make_unique<DriverTable>();
    EXPECT_TRUE(fill(circuits, kCircuitRules, "C", 1));
    EXPECT_TRUE(circuits[kNoCircuit].name.Empty());  // the spare slot is never used
    EXPECT_TRUE(fill(clubs, kClubRules, "Club", 1));
    EXPECT_TRUE(fill(frequencies, kFrequencyRules, "F", 5));
    EXPECT_TRUE(fill(*drivers, kDriverRules, "D", 1));
}

TEST(RemoveName, ClearsEveryRecordOfThatNameThenSorts) {
    CircuitTable circuits{};
    for (const char* name : {"Oval", "Parc", "Oval", "Dune"}) {
        circuits[NameCount(circuits, kCircuitRecords)].name = name;
    }
    circuits[0].recordLapTime = 11500;
    circuits[0].recordHours = 1;
    RemoveName(circuits, 2, kCircuitRecords);  // the second "Oval": both go
    EXPECT_EQ(Names(circuits, 4), (std::vector<std::string>{"Dune", "Parc", "", ""}));
    EXPECT_EQ(circuits[2].recordLapTime, 0);
    EXPECT_EQ(circuits[3].recordHours, 0);

    circuits[0].recordLapTime = circuits[0].recordSeconds = 11;
    circuits[0].recordHolder = "Anne";
    circuits[0].length = "250";
    ClearCircuitRecord(circuits[0]);
    EXPECT_EQ(circuits[0].recordLapTime + circuits[0].recordSeconds, 0);
    EXPECT_TRUE(circuits[0].recordHolder.Empty());
    EXPECT_EQ(circuits[0].length, "250");
}

TEST(DriverDetails, TheLampShowsFourPicturesInTurn) {
    // hundredths since the start -> picture after that step (0: none yet)
    struct Step {
        std::int64_t at;
        int picture;
    };
    const std::vector<Step> steps = {
        {0, 1},   {19, 1},  {20, 1},  {21, 2},
        {40, 2},  {41, 2},  {62, 2},  // window 3 missed: picture 3 waits for its turn
        {83, 2},  {84, 1},  {105, 2}, {126, 3},
        {147, 4}, {167, 4}, {168, 1}};
    ScanLamp lamp;
    StartScanLamp(lamp, 0);
    for (const Step& s : steps) {
        StepScanLamp(lamp, s.at);
        EXPECT_EQ(lamp.picture, s.picture) << s.at;
    }
}

}  // namespace
}  // namespace velkaro
