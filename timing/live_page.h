#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "event/sections.h"
#include "platform/disk.h"
#include "platform/text.h"
#include "timing/run_control.h"

// What the live page on the local network shows: the run in progress as JSON for the feed, the
// next heats on deck, the page itself, and which requests the server answers at all. The server
// is a door into the director's laptop: anything not named here is refused.

namespace velkaro {

// The run in the race panel: title, clocks and the live order, UTF-8 JSON. `sequence` tells the
// page that the order moved.
std::string LiveOrderJson(const RunEngine& engine, std::uint32_t sequence);

// A heat waiting its turn: its cars in starting order, with the radio each one uses.
struct DeckCar {
    std::int32_t lane = 0;  // the car number of the grid, from 1
    Text<40> driver;
    Text<7> frequency;
};
struct DeckRun {
    std::int32_t round = 0;
    std::int32_t heat = 0;
    std::int32_t carCount = 0;
    std::array<DeckCar, kCarSlots> cars{};
};
struct OnDeck {
    std::int32_t runCount = 0;
    std::array<DeckRun, 2> runs{};
};

// The two heats of the category that follow round r heat h (the next round's first heats after
// the round's last), with nobody in them skipped; fewer at the end of the qualification.
OnDeck NextHeats(int category, int round, int heat, Disk& disk);
// The same as read from the sections themselves (what NextHeats reads from the disk).
OnDeck NextHeatsOf(int round, int heat, const Participants& participants, const HeatSlotList& slots,
                   const StartingGrids& grids);
std::string OnDeckJson(const OnDeck& deck);

// The one page: its own style and script, dark or light as the phone asks, nothing from
// elsewhere.
std::string_view LivePageHtml();

enum class LiveTarget {
    Page,        // "/"
    Feed,        // "/feed": server-sent events
    Order,       // "/live.json"
    Deck,        // "/deck.json"
    ResultList,  // "/results"
    Result,      // "/results/<table id>"
    NotFound,
    Refused,  // not a GET, a target too long or not a plain path
};
struct LiveRoute {
    LiveTarget target = LiveTarget::NotFound;
    std::string tableId;  // for Result: letters, digits and '-' only
};
inline constexpr std::size_t kLongestTarget = 256;
// Nothing is decoded: a '%' or a '..' is simply not one of the names, so no path ever reaches
// a file.
LiveRoute RouteOf(std::string_view method, std::string_view target);

// Each client's requests in a sliding second: the page and its feed take a few, a flood is
// refused without any work done for it.
inline constexpr int kRequestsPerSecond = 20;
inline constexpr int kConnectionsPerClient = 8;
inline constexpr int kMostHeaders = 48;  // a browser sends about a dozen
struct RequestWindow {
    std::uint32_t start = 0;  // ms
    std::int32_t count = 0;
};
bool RequestAllowed(RequestWindow& window, std::uint32_t nowMs);

// A client whose unread bytes pass this is dropped, never waited for.
inline constexpr std::int64_t kMostUnsentBytes = 256 * 1024;

// Whether the director opened the live page, and on which port; off until then. Kept in the
// program folder as one line: "on 8080" or "off 8080".
inline constexpr std::string_view kLiveSettingsFile = "LivePage.txt";
inline constexpr int kDefaultLivePort = 8080;
struct LiveSettings {
    bool on = false;
    std::int32_t port = kDefaultLivePort;
    friend bool operator==(const LiveSettings&, const LiveSettings&) = default;
};
// Anything not understood leaves the defaults: a damaged line never opens the port.
LiveSettings ParseLiveSettings(std::string_view text);
std::string LiveSettingsText(const LiveSettings& settings);
// A typed port: digits only, 1024 to 65535 (those below belong to the system); 0 when refused.
std::int32_t TakeLivePort(std::string_view typed);
inline constexpr std::string_view kLivePortRefused =
    "The port must be a number from 1024 to 65535.";
LiveSettings ReadLiveSettings(Disk& disk);
bool WriteLiveSettings(const LiveSettings& settings, Disk& disk);

// "http://address:port/" as the race panel shows it.
std::string LiveAddress(std::string_view host, int port);

}  // namespace velkaro
