#include "timing/live_page.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/cp1252.h"

namespace velkaro {

namespace {

// A Windows-1252 text as a JSON string; '<' escaped too, so that no text of the event can close
// a script or a tag of the page.
void AppendJson(std::string& out, std::string_view cp1252) {
    out += '"';
    for (char ch : Utf8FromCp1252(cp1252)) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20 || ch == '<' || ch == '>' || ch == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(u));
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

void AppendField(std::string& out, std::string_view name, std::string_view cp1252) {
    out += '"';
    out += name;
    out += "\":";
    AppendJson(out, cp1252);
}

bool Named(const Text<40>& name) {
    return !name.Empty() && name.View() != kEmptySlotName;
}

}  // namespace

std::string LiveOrderJson(const RunEngine& engine, std::uint32_t sequence) {
    std::string out = "{\"sequence\":" + std::to_string(sequence) + ",";
    AppendField(out, "title", engine.runTitle.View());
    out += ',';
    AppendField(out, "elapsed", engine.clock.elapsed.View());
    out += ',';
    AppendField(out, "remaining", engine.clock.remaining.View());
    out += ',';
    const bool counting = engine.phase == RunPhase::Countdown || engine.phase == RunPhase::FirstCar;
    AppendField(out, "countdown", counting ? engine.clock.countdown.View() : "");
    out += ",\"running\":";
    out += engine.phase == RunPhase::Running ? "true" : "false";
    out += ",\"rows\":[";
    bool first = true;
    for (const LiveRow& row : engine.tables.rows) {
        if (!Named(row.driverName)) continue;
        if (!first) out += ',';
        first = false;
        out += '{';
        const std::pair<std::string_view, std::string_view> fields[] = {
            {"position", row.position.View()}, {"driver", row.driverName.View()},
            {"car", row.carNumber.View()},     {"laps", row.laps.View()},
            {"lastLap", row.lastLap.View()},   {"bestLap", row.bestLap.View()},
            {"gap", row.toLeader.View()}};
        for (const auto& [name, value] : fields) {
            AppendField(out, name, value);
            out += ',';
        }
        out += "\"finished\":";
        out += row.finished ? "true" : "false";
        out += '}';
    }
    return out + "]}";
}

OnDeck NextHeatsOf(int round, int heat, const Participants& participants, const HeatSlotList& slots,
                   const StartingGrids& grids) {
    OnDeck deck;
    int perHeat = std::clamp(grids.driversPerHeat, 0, kCarSlots);
    int rounds = std::clamp(grids.rounds, 0, kRounds);
    if (perHeat == 0) return deck;
    int r = std::max(round, 1);
    int h = std::max(heat, 0);
    while (deck.runCount < static_cast<int>(deck.runs.size())) {
        if (++h > kHeatsPerRound || h * perHeat > kHeatSlots) {
            h = 1;
            ++r;
        }
        if (r > rounds) break;
        DeckRun run;
        run.round = r;
        run.heat = h;
        for (int k = 0; k < perHeat; ++k) {
            int lane = grids.lanes[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(k)];
            int index = (h - 1) * perHeat + lane - 1;
            if (lane < 1 || lane > perHeat || index >= kHeatSlots) continue;
            const Text<40>& name = slots.places[static_cast<std::size_t>(index)];
            if (!Named(name)) continue;
            DeckCar& car = run.cars[static_cast<std::size_t>(run.carCount++)];
            car.lane = k + 1;
            car.driver = name.View();
            for (const ParticipantRecord& p : participants) {
                if (p.name == name.View()) car.frequency = p.frequencies[0].View();
            }
        }
        if (run.carCount == 0) {
            // The round's heats are over: the next round, or nothing after the last one.
            if (h == 1) break;
            h = kHeatsPerRound;
            continue;
        }
        deck.runs[static_cast<std::size_t>(deck.runCount++)] = run;
    }
    return deck;
}

OnDeck NextHeats(int category, int round, int heat, Disk& disk) {
    Participants participants{};
    HeatSlotList slots;
    StartingGrids grids;
    if (ReadParticipants(category, participants, disk) != FileOutcome::Done ||
        ReadHeatSlotList(category, slots, disk) != FileOutcome::Done ||
        ReadStartingGrids(category, grids, disk) != FileOutcome::Done) {
        return {};
    }
    return NextHeatsOf(round, heat, participants, slots, grids);
}

std::string OnDeckJson(const OnDeck& deck) {
    std::string out = "[";
    for (int i = 0; i < deck.runCount; ++i) {
        const DeckRun& run = deck.runs[static_cast<std::size_t>(i)];
        if (i > 0) out += ',';
        out += "{\"round\":" + std::to_string(run.round) + ",\"heat\":" + std::to_string(run.heat) +
               ",\"cars\":[";
        for (int k = 0; k < run.carCount; ++k) {
            const DeckCar& car = run.cars[static_cast<std::size_t>(k)];
            if (k > 0) out += ',';
            out += "{\"lane\":" + std::to_string(car.lane) + ',';
            AppendField(out, "driver", car.driver.View());
            out += ',';
            AppendField(out, "frequency", car.frequency.View());
            out += '}';
        }
        out += "]}";
    }
    return out + "]";
}

LiveRoute RouteOf(std::string_view method, std::string_view target) {
    if (method != "GET" || target.empty() || target.size() > kLongestTarget || target[0] != '/') {
        return {LiveTarget::Refused, {}};
    }
    if (target == "/") return {LiveTarget::Page, {}};
    if (target == "/feed") return {LiveTarget::Feed, {}};
    if (target == "/live.json") return {LiveTarget::Order, {}};
    if (target == "/deck.json") return {LiveTarget::Deck, {}};
    if (target == "/results" || target == "/results/") return {LiveTarget::ResultList, {}};
    constexpr std::string_view kResults = "/results/";
    if (target.starts_with(kResults)) {
        std::string_view id = target.substr(kResults.size());
        bool plain = !id.empty() && id.size() <= 64 && id.front() != '-' &&
                     std::all_of(id.begin(), id.end(), [](char ch) {
                         return (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '-';
                     });
        if (plain) return {LiveTarget::Result, std::string(id)};
    }
    return {LiveTarget::NotFound, {}};
}

bool RequestAllowed(RequestWindow& window, std::uint32_t nowMs) {
    if (nowMs - window.start >= 1000) {
        window.start = nowMs;
        window.count = 0;
    }
    if (window.count >= kRequestsPerSecond) return false;
    ++window.count;
    return true;
}

std::int32_t TakeLivePort(std::string_view typed) {
    if (typed.empty() || typed.size() > 5) return 0;
    std::int32_t port = 0;
    for (char ch : typed) {
        if (ch < '0' || ch > '9') return 0;
        port = port * 10 + (ch - '0');
    }
    return port >= 1024 && port <= 65535 ? port : 0;
}

LiveSettings ParseLiveSettings(std::string_view text) {
    LiveSettings s;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return s;
    std::string_view state = text.substr(0, space);
    std::int32_t port = TakeLivePort(text.substr(space + 1));
    if ((state != "on" && state != "off") || port == 0) return s;
    s.on = state == "on";
    s.port = port;
    return s;
}

std::string LiveSettingsText(const LiveSettings& s) {
    return std::string(s.on ? "on " : "off ") + std::to_string(s.port) + "\r\n";
}

LiveSettings ReadLiveSettings(Disk& disk) {
    std::optional<std::string> text = ReadWholeFile(disk, kLiveSettingsFile);
    return text ? ParseLiveSettings(*text) : LiveSettings{};
}

bool WriteLiveSettings(const LiveSettings& settings, Disk& disk) {
    return ReplaceWholeFile(disk, kLiveSettingsFile, LiveSettingsText(settings));
}

std::string LiveAddress(std::string_view host, int port) {
    return "http://" + std::string(host) + ":" + std::to_string(port) + "/";
}

std::string_view LivePageHtml() {
    return R"PAGE(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>Live timing</title>
<style>
:root{--fg:#111;--bg:#fff;--line:#ccc;--head:#ffff96;--alt:#ffffc8;--mark:#960000}
@media (prefers-color-scheme:dark){:root{--fg:#eee;--bg:#111;--line:#444;--head:#333;--alt:#1c1c1c;--mark:#ff8080}}
body{font-family:sans-serif;max-width:56em;margin:0 auto;padding:0.5em;color:var(--fg);background:var(--bg)}
h1{font-size:1.15em;margin:0.2em 0}h2{font-size:1em;margin:0.8em 0 0.2em}
.clock{font-size:1.6em;font-weight:bold;font-variant-numeric:tabular-nums}
.wrap{overflow-x:auto}table{border-collapse:collapse;width:100%;font-size:0.95em}
th,td{padding:0.25em 0.4em;border-bottom:1px solid var(--line);white-space:nowrap;text-align:left}
th{background:var(--head)}td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
tr:nth-child(even) td{background:var(--alt)}#state{color:var(--mark)}
a{color:inherit}
</style></head><body>
<h1 id="title">Waiting for the run</h1>
<div class="clock"><span id="elapsed"></span> <span id="remaining"></span></div>
<p id="state"></p>
<div class="wrap"><table id="order"><thead><tr><th class="n">Pos</th><th>Driver</th>
<th class="n">Laps</th><th class="n">Last lap</th><th class="n">Best lap</th><th class="n">Gap</th></tr></thead>
<tbody></tbody></table></div>
<h2>On deck</h2><div id="deck"></div>
<p><a href="/results">Results and classifications</a></p>
<script>
"use strict";
function cell(row,text,numeric){var td=document.createElement("td");td.textContent=text;if(numeric)td.className="n";row.appendChild(td);}
function show(live){
  document.getElementById("title").textContent=live.title||"No run loaded";
  document.getElementById("elapsed").textContent=live.countdown||live.elapsed;
  document.getElementById("remaining").textContent=live.remaining?"("+live.remaining+")":"";
  var body=document.querySelector("#order tbody");var rows=document.createDocumentFragment();
  live.rows.forEach(function(r){var tr=document.createElement("tr");
    cell(tr,r.position,true);cell(tr,r.driver,false);cell(tr,r.laps,true);
    cell(tr,r.lastLap,true);cell(tr,r.bestLap,true);cell(tr,r.gap,true);rows.appendChild(tr);});
  body.replaceChildren(rows);document.body.dataset.sequence=live.sequence;}
function showDeck(deck){
  var box=document.getElementById("deck");var all=document.createDocumentFragment();
  deck.forEach(function(run){var h=document.createElement("h2");
    h.textContent="Round "+run.round+" - Heat "+run.heat;all.appendChild(h);
    var t=document.createElement("table");var head=document.createElement("tr");
    ["Car","Driver","Frequency"].forEach(function(x){var th=document.createElement("th");th.textContent=x;head.appendChild(th);});
    head.firstChild.className="n";t.appendChild(head);run.cars.forEach(function(c){var tr=document.createElement("tr");
      cell(tr,c.lane,true);cell(tr,c.driver,false);cell(tr,c.frequency,false);t.appendChild(tr);});
    all.appendChild(t);});
  if(!deck.length){var p=document.createElement("p");p.textContent="No heat waiting";all.appendChild(p);}
  box.replaceChildren(all);}
var feed=new EventSource("/feed");
feed.onmessage=function(e){var m=JSON.parse(e.data);show(m.live);showDeck(m.deck);
  document.getElementById("state").textContent="";};
feed.onerror=function(){document.getElementById("state").textContent="Connection lost, trying again...";};
</script>
</body></html>
)PAGE";
}

}  // namespace velkaro
