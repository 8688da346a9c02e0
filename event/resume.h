#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/disk.h"
#include "platform/text.h"

// What a start keeps of the event worked on before it: the working copy itself, reopened when it
// holds an event, dated crash copies of it, and the event files the director loaded or saved.

namespace velkaro {

// The blank event a start or "New event" makes (one category, no counts, nothing but the header
// and the run-done flags) holds nothing worth keeping; any other content does, a damaged file
// included.
bool HoldsAnEvent(std::string_view bytes);

inline constexpr std::string_view kCrashFolder = "Private/Crash";
// The copies kept, oldest first, one file name a line.
inline constexpr std::string_view kCrashIndex = "Private/Crash/Copies.txt";
inline constexpr int kCrashCopiesKept = 10;

// "Private/Crash/2026-12-06 03-12-08 Course.race": sorted by name, sorted by date.
std::string CrashCopyName(const LocalDateTime& when);

enum class CrashCopy {
    Kept,       // a new dated copy
    Unchanged,  // the newest copy already holds these bytes
    Blank,      // nothing to keep: no working copy, or the blank event
    Failed,     // the copy or its index could not be written (the reason in the disk's LastFault)
};

// Keeps the working copy as a dated crash copy when it holds an event and differs from the
// newest copy, then lets the oldest copies past ten go. A copy that holds an event is never
// replaced by a blank one; a crash at any step leaves every listed copy whole.
CrashCopy KeepCrashCopy(const LocalDateTime& now, Disk& disk);

// The copies as the index lists them, oldest first.
struct CrashCopies {
    std::array<Text<64>, kCrashCopiesKept> names{};
    int count = 0;
};
CrashCopies ReadCrashCopies(Disk& disk);

// What the director is told at a start that reopened the previous event.
Text<256> ResumedNotice(std::string_view eventName, const LocalDateTime& lastChanged);

// The event files the director loaded or saved, newest first, and the one the working copy came
// from (empty after "New event"), so that a resumed event keeps its title and its "Save".
inline constexpr std::string_view kRecentEventsFile = "Private/RecentEvents.txt";
inline constexpr int kRecentEventsKept = 8;
struct RecentEvents {
    Text<512> current;
    std::array<Text<512>, kRecentEventsKept> files{};
    int count = 0;
};
RecentEvents ReadRecentEvents(Disk& disk);
bool WriteRecentEvents(const RecentEvents& recent, Disk& disk);

// `path` becomes the current event and the newest of the list (listed once); an empty path (a
// new event) leaves no event current.
void NoteRecentEvent(RecentEvents& recent, std::string_view path);

}  // namespace velkaro
