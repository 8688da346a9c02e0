#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "event/event_model.h"
#include "platform/disk.h"

// The tables the results tool prints and the live page serves, each filled from the functions the
// forms call. Texts are UTF-8 here: the Windows-1252 of the event file is converted once, when a
// table is filled.

namespace velkaro::results {

enum class ColumnKind {
    Text,
    Number,
    RaceTime,  // ms; "h:mm:ss.mmm" as the totals show
    LapTime,   // ms; "s.mmm" under a minute as laps show
};

struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Text;
};

struct Cell {
    std::string text;        // Text columns
    std::int64_t value = 0;  // the other columns
    bool blank = false;      // no value (a time that does not exist)
};

struct Table {
    std::string id;     // file name stem: "c1-round2", "c1-overall", "c1-final"...
    std::string title;  // "Touring - Round 2"
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
    std::vector<std::string> notes;  // what the form would show above the table or in a box
};

// What the file holds, read once.
struct Event {
    EventHeader header;
    std::string eventName, club, circuit;  // UTF-8
};

// The header read from the disk; false when the file is not an event file (no header line with
// a category count, or no run-done flags section).
bool ReadEvent(Disk& disk, Event& event);

// The category named by number (from 1) or by name; 0 when there is none.
int FindCategory(const Event& event, std::string_view categoryArg);

std::string CategoryName(const Event& event, int category);

// The round as the form shows it before "Validate".
Table RoundTable(const Event& event, int category, int round, Disk& disk);
// The overall ranking; bestRounds < 0 keeps the stored value.
Table OverallTable(const Event& event, int category, int bestRounds, Disk& disk);
// Each finals run from the starting level up to the Final: its field, then its stored result.
std::vector<Table> FinalsTables(const Event& event, int category, Disk& disk);
Table ClosureTableOf(const Event& event, int category, Disk& disk);

// Every table of every category, in the order the export writes them.
struct CategoryTables {
    std::string name;
    std::vector<Table> tables;
};
std::vector<CategoryTables> AllTables(const Event& event, Disk& disk);

}  // namespace velkaro::results
