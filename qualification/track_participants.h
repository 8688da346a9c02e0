#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/circuits.h"
#include "common/report_frame.h"
#include "databases/database_files.h"
#include "event/sections.h"

// The track of the event and the drivers of one category: what the two forms that prepare an
// event decide, without a window.

namespace velkaro {

inline constexpr int kEventNameLimit = 48;
inline constexpr int kMinimumLapDigits = 3;
inline constexpr int kLowestMinimumLap = 2;
// A driver in a later slot leaves no room behind him: neither a newcomer nor a move goes there.
inline constexpr int kLastSlotWithRoomBehind = 198;

// A name the event file would mistake for one of its own section titles.
bool IsForbiddenEventName(std::string_view name);

// What the event name edit holds after a change: the name kept, and whether the edit must be
// emptied (a forbidden name clears both).
struct TakenName {
    Text<50> name;
    bool emptyEdit = false;
};
TakenName TakeEventName(std::string_view typed);

// The minimum lap time as stored: the typed text, or "2" for a value of 1 or less.
Text<4> TakeMinimumLap(std::string_view typed);

// The value of a typed number as the files read it back: leading digits, 0 for none.
std::int32_t NumberOf(std::string_view text);

// The circuits offered: names up to the first empty one.
int CircuitCount(const CircuitTable& circuits);

// The track form's copy: the stored club or circuit is dropped when it is not one of the
// choices offered.
struct TrackChoices {
    ClubChoices clubs;
    CircuitTable circuits{};
    int circuitCount = 0;
    int club = -1;
    int circuit = -1;
};
void MatchTrackChoices(TrackRecord& track, TrackChoices& choices);
// Choosing a circuit takes its name and its minimum lap time, as if typed.
void ChooseCircuit(TrackRecord& track, TrackChoices& choices, int index);

// The list-of-drivers form's copy of one category.
struct ParticipantsWork {
    Participants table{};  // sorted by name, unused slots last
    int count = 0;
    HeatSlotList heatSlots = DefaultHeatSlotList();
    bool readOnly = false;  // the qualification has started
};

// Index of the last slot holding a driver, -1 when every slot is free.
int LastPlacedSlot(const HeatSlotList& heatSlots);

enum class AddOutcome { Added, AlreadyIn, Full, NoName };
// The newcomer goes into the slot behind the last placed driver, even when earlier places are
// free, so nobody already arranged changes heat.
AddOutcome AddParticipant(ParticipantsWork& work, std::string_view name,
                          std::string_view transponder);
// Quick entry: the database drivers of `rows`, in that order, each as AddParticipant would;
// those already in are passed over. Stops at the first that finds the list full.
struct AddedMany {
    int added = 0;
    int alreadyIn = 0;
    bool full = false;
};
AddedMany AddParticipants(ParticipantsWork& work, const DriverTable& drivers, const int* rows,
                          int rowCount);
// The database rows whose club is `club` (not empty), in database order; their number.
int DriversOfClub(const DriverTable& drivers, std::string_view club,
                  std::array<int, kDriverRecords>& rows);
// The clubs of the database's drivers, each once, in case-insensitive order.
void ClubsOfDrivers(const DriverTable& drivers, ClubChoices& clubs);
// Frequency `which` (0 to 4) of the named participant; false when not listed.
bool SetParticipantFrequency(ParticipantsWork& work, std::string_view name, int which,
                             std::string_view frequency);

// Every slot of that driver becomes a free place; nobody else moves. False when not listed.
bool RemoveParticipant(ParticipantsWork& work, std::string_view name);

// Reads the category's participants and heat slot list into `work`; the outcome of reading the
// participants (Unavailable when the event file cannot be opened).
FileOutcome OpenParticipants(int category, ParticipantsWork& work, const EventHeader& header,
                             Disk& disk);
// "Validate": the header with the new count and no heats yet, then the list, then the slots.
// Stops at the first failure, which has been told.
bool SaveParticipants(int category, const ParticipantsWork& work, EventHeader& header,
                      Messages& messages, Disk& disk);

// The printout of the list: one row per participant, licence and club from the database.
struct ParticipantsReport {
    ReportHeader header;
    std::array<Text<8>, kParticipants> numbers;
    std::array<const DriverRecord*, kParticipants> drivers{};
    const Participants* table = nullptr;
    int rows = 0;
    Text<160> documentName;  // what the printer and a PDF file call it
    ReportTable Table() const;
};
// `report` must outlive the table it gives; the database is only pointed at.
void BuildParticipantsReport(ParticipantsReport& report, std::string_view categoryName,
                             const TrackRecord& track, const ParticipantsWork& work,
                             const DriverTable& drivers);
// The frame's page with the running numbers left of the heads box, in a column of their own.
void DrawParticipantsPage(Canvas& canvas, const ParticipantsReport& report, int page);
PrintOutcome PrintParticipants(const ParticipantsReport& report, Dialogs& dialogs,
                               Messages& messages, Clock& clock);

}  // namespace velkaro
