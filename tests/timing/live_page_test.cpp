#include "timing/live_page.h"

#include <gtest/gtest.h>

#include <string>

namespace velkaro {
namespace {

TEST(LivePage, AnswersOnlyItsOwnNames) {
    struct Case {
        const char* method;
        std::string target;
        LiveTarget expected;
        const char* tableId;
    };
    const Case cases[] = {
        {"GET", "/", LiveTarget::Page, ""},
        {"GET", "/feed", LiveTarget::Feed, ""},
        {"GET", "/live.json", LiveTarget::Order, ""},
        {"GET", "/deck.json", LiveTarget::Deck, ""},
        {"GET", "/results", LiveTarget::ResultList, ""},
        {"GET", "/results/c1-round2", LiveTarget::Result, "c1-round2"},
        {"POST", "/", LiveTarget::Refused, ""},
        {"HEAD", "/feed", LiveTarget::Refused, ""},
        {"GET", "", LiveTarget::Refused, ""},
        {"GET", "index.html", LiveTarget::Refused, ""},
        {"GET", "/" + std::string(kLongestTarget, 'a'), LiveTarget::Refused, ""},
        {"GET", "/../etc/passwd", LiveTarget::NotFound, ""},
        {"GET", "/results/../../etc/passwd", LiveTarget::NotFound, ""},
        {"GET", "/results/..%2F..%2Fetc%2Fpasswd", LiveTarget::NotFound, ""},
        {"GET", "/results/%2e%2e", LiveTarget::NotFound, ""},
        {"GET", "/results/C1-ROUND2", LiveTarget::NotFound, ""},
        {"GET", "/results/-x", LiveTarget::NotFound, ""},
        {"GET", "/results/" + std::string(65, 'a'), LiveTarget::NotFound, ""},
        {"GET", "/feed?", LiveTarget::NotFound, ""},
        {"GET", "//feed", LiveTarget::NotFound, ""},
        {"GET", "/index.html", LiveTarget::NotFound, ""},
    };
    for (const Case& c : cases) {
        LiveRoute route = RouteOf(c.method, c.target);
        EXPECT_EQ(route.target, c.expected) << c.method << " " << c.target;
        EXPECT_EQ(route.tableId, c.tableId) << c.target;
    }
}

TEST(LivePage, RefusesAFloodUntilTheNextSecond) {
    RequestWindow w{0xFFFFFF00u, 0};  // the millisecond counter wraps inside the window
    int allowed = 0;
    for (int i = 0; i < 3 * kRequestsPerSecond; ++i) allowed += RequestAllowed(w, 0xFFFFFF00u + 10);
    EXPECT_EQ(allowed, kRequestsPerSecond);
    EXPECT_FALSE(RequestAllowed(w, 0xFFFFFF00u + 999));
    EXPECT_TRUE(RequestAllowed(w, 0xFFFFFF00u + 1000));  // past the wrap
}

TEST(LivePage, OrderIsUtf8JsonThatNoNameCanBreak) {
    RunEngine engine;
    engine.runTitle = " Touring - Round1 - Heat2 ";
    engine.clock.elapsed = "0:01:05";
    engine.phase = RunPhase::Running;
    for (LiveRow& row : engine.tables.rows) row.driverName = kEmptySlotName;
    engine.tables.rows[0].driverName = "Ren\xE9 \"R\" </script>";
    engine.tables.rows[0].position = "1";
    engine.tables.rows[0].laps = "4";
    engine.tables.rows[0].bestLap = "15.250";
    engine.tables.rows[2].driverName = "Ann";
    engine.tables.rows[2].position = "2";
    engine.tables.rows[2].toLeader = "1 Lap";
    EXPECT_EQ(LiveOrderJson(engine, 7),
              "{\"sequence\":7,\"title\":\" Touring - Round1 - Heat2 \",\"elapsed\":\"0:01:05\","
              "\"remaining\":\"\",\"countdown\":\"\",\"running\":true,\"rows\":["
              "{\"position\":\"1\",\"driver\":\"Ren\xC3\xA9 \\\"R\\\" \\u003c/script\\u003e\","
              "\"car\":\"\",\"laps\":\"4\",\"lastLap\":\"\",\"bestLap\":\"15.250\",\"gap\":\"\","
              "\"finished\":false},"
              "{\"position\":\"2\",\"driver\":\"Ann\",\"car\":\"\",\"laps\":\"\",\"lastLap\":\"\","
              "\"bestLap\":\"\",\"gap\":\"1 Lap\",\"finished\":false}]}");
}

TEST(LivePage, SettingsAreOffUnlessTheLineSaysOn) {
    struct Case {
        const char* text;
        bool on;
        int port;
    };
    const Case cases[] = {
        {"on 8080\r\n", true, 8080},
        {"off 9000\n", false, 9000},
        {"on 1024", true, 1024},
        {"on 1023", false, kDefaultLivePort},
        {"on 65536", false, kDefaultLivePort},
        {"on 80a", false, kDefaultLivePort},
        {"yes 8080", false, kDefaultLivePort},
        {"on", false, kDefaultLivePort},
        {"", false, kDefaultLivePort},
        {"on  8080", false, kDefaultLivePort},
    };
    for (const Case& c : cases) {
        LiveSettings s = ParseLiveSettings(c.text);
        EXPECT_EQ(s.on, c.on) << c.text;
        EXPECT_EQ(s.port, c.port) << c.text;
        EXPECT_EQ(ParseLiveSettings(LiveSettingsText(s)), s) << c.text;
    }
    EXPECT_EQ(LiveSettingsText({true, 8081}), "on 8081\r\n");
}

// Three heats of three in round 1, two heats in round 2; the grids put the slots in reverse.
TEST(LivePage, OnDeckAreTheNextTwoHeatsAcrossRounds) {
    Participants participants{};
    HeatSlotList slots;
    StartingGrids grids;
    grids.driversPerHeat = 3;
    grids.rounds = 2;
    grids.lanes[0] = {3, 2, 1};
    grids.lanes[1] = {1, 2, 3};
    const char* names[] = {"A", "B", "C", "D", "E", "F", "G", "(NA)", "(NA)"};
    for (int i = 0; i < kHeatSlots; ++i)
        slots.places[static_cast<std::size_t>(i)] = i < 9 ? names[i] : "(NA)";
    participants[0].name = "C";
    participants[0].frequencies[0] = "27.095";
    participants[1].name = "D";
    participants[1].frequencies[0] = "2.4Ghz";

    auto shown = [&](int r, int h) {
        OnDeck deck = NextHeatsOf(r, h, participants, slots, grids);
        return OnDeckJson(deck);
    };
    EXPECT_EQ(
        shown(1, 1),
        "[{\"round\":1,\"heat\":2,\"cars\":[{\"lane\":1,\"driver\":\"F\",\"frequency\":\"\"},"
        "{\"lane\":2,\"driver\":\"E\",\"frequency\":\"\"},"
        "{\"lane\":3,\"driver\":\"D\",\"frequency\":\"2.4Ghz\"}]},"
        "{\"round\":1,\"heat\":3,\"cars\":[{\"lane\":3,\"driver\":\"G\",\"frequency\":\"\"}]}]");
    EXPECT_EQ(
        shown(1, 3),
        "[{\"round\":2,\"heat\":1,\"cars\":[{\"lane\":1,\"driver\":\"A\",\"frequency\":\"\"},"
        "{\"lane\":2,\"driver\":\"B\",\"frequency\":\"\"},"
        "{\"lane\":3,\"driver\":\"C\",\"frequency\":\"27.095\"}]},"
        "{\"round\":2,\"heat\":2,\"cars\":[{\"lane\":1,\"driver\":\"D\",\"frequency\":\"2.4Ghz\"},"
        "{\"lane\":2,\"driver\":\"E\",\"frequency\":\"\"},"
        "{\"lane\":3,\"driver\":\"F\",\"frequency\":\"\"}]}]");
    EXPECT_EQ(
        shown(2, 2),
        "[{\"round\":2,\"heat\":3,\"cars\":[{\"lane\":1,\"driver\":\"G\",\"frequency\":\"\"}]}]");
    EXPECT_EQ(shown(2, 3), "[]");
    grids.driversPerHeat = 0;
    EXPECT_EQ(shown(1, 1), "[]");
}

}  // namespace
}  // namespace velkaro
