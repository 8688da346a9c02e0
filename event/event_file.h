#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_car.h"
#include "event/event_model.h"
#include "event/event_store.h"
#include "event/section.h"
#include "event/text_lines.h"
#include "platform/disk.h"
#include "platform/messages.h"

namespace velkaro {

// What an operation on the working copy came to.
enum class FileOutcome {
    Unavailable,  // the file could not be opened, or a write failed and was undone: the caller
                  // shows kRaceFileNotFound
    NoSection,    // a reader found no section (its targets are untouched), or a writer could
                  // not find its title after the reservation step (the writer said so)
    Declined,     // told that the file is damaged, the user kept the working copy as it was
    Done,
};

// Shows kRaceFileNotFound when the outcome says so; returns whether the file was usable.
bool ReportUnavailable(FileOutcome outcome, Messages& messages);

// The working copy, opened for one operation. Opening first puts back a change that a crash
// interrupted, so nothing ever reads a half-written file.
struct EventFile {
    Disk* disk = nullptr;
    std::string name;
    std::unique_ptr<DiskFile> file;
    std::string_view bytes;    // the file as it was opened; gone once it is written to
    std::size_t position = 0;  // where FindSection left off

    bool Open(Disk& d, std::string_view fileName = kWorkingCopy);
};

// Moves the file's position to the body of the section and says whether it was found.
bool FindSection(EventFile& file, std::string_view title);

// Puts back, at start-up and before the crash copy is taken, any change of the working copy
// that a crash interrupted.
bool RecoverWorkingCopy(Disk& disk);

// A new working copy: the header with selected node 10000 and one category of that name, then
// the run-done flags, all 0. It replaces the previous one in one step.
FileOutcome CreateNewEventFile(std::string_view categoryName, Disk& disk);

// "Load event": the working copy becomes a copy of the user's file, which is only read, in one
// step as above. Unavailable when the file cannot be read or the copy written: the user is
// told which and why, and the working copy is as it was. A damaged file is told first, section
// by section: Declined when the user then keeps the working copy as it was.
FileOutcome CopyIntoWorkingCopy(std::string_view sourceFile, Messages& messages, Disk& disk);

// "Save": the user's file becomes a copy of the working copy, replaced in one step. Unavailable,
// told to the user, when it cannot be written; the file is then as it was.
FileOutcome SaveWorkingCopyAs(std::string_view targetFile, Messages& messages, Disk& disk);

// A change of one section alone: `put` puts it on a transaction that is then committed.
template <typename Put>
FileOutcome WriteAlone(Disk& disk, Put&& put) {
    Transaction t{EventStore{disk}};
    put(t);
    return t.Commit();
}

// Each Put below lays its section on a transaction, to be committed with others; false when
// the section's title could not be found (the user was told, and the transaction is spoiled).
void PutEventHeader(Transaction& t, const EventHeader& header);
FileOutcome WriteEventHeader(const EventHeader& header, Disk& disk);
// Clears the header first; counts beyond the table are cut to it.
FileOutcome ReadEventHeader(EventHeader& header, Disk& disk);

bool PutRunDoneFlags(Transaction& t, const RunDoneFlags& flags, Messages& messages);
FileOutcome WriteRunDoneFlags(const RunDoneFlags& flags, Messages& messages, Disk& disk);
FileOutcome ReadRunDoneFlags(RunDoneFlags& flags, Disk& disk);

// The first field of each of the 200 lines of "Cat\xE9gorie%dListeParticipants".
FileOutcome ReadParticipantNames(int category, ParticipantNames& names, Disk& disk);

// A qualifying heat's result, `carCount` being the number of cars in the heat.
bool PutHeatResult(Transaction& t, const RunCars& cars, int carCount, std::string_view title,
                   const RunTrailer& trailer, Messages& messages);
FileOutcome WriteHeatResult(const RunCars& cars, int carCount, std::string_view title,
                            const RunTrailer& trailer, Messages& messages, Disk& disk);

// One of the two finals runs whose status line is rewritten after a finals run is recorded;
// an empty title stands for none.
struct RelatedRun {
    std::string_view title;
    std::int32_t status = 2;
};

bool PutFinalsRunResult(Transaction& t, const RunCars& cars, int carCount, std::string_view title,
                        std::int32_t status, const std::array<RelatedRun, 2>& related,
                        const RunTrailer& trailer, Messages& messages);
FileOutcome WriteFinalsRunResult(const RunCars& cars, int carCount, std::string_view title,
                                 std::int32_t status, const std::array<RelatedRun, 2>& related,
                                 const RunTrailer& trailer, Messages& messages, Disk& disk);

// The stored run back into the car records: name, passing count (at most 300), laps, total,
// the lap time of the last passing, best lap, cumulative times. The condition is only replaced
// when the trailer has one.
FileOutcome ReadRunResult(std::string_view title, RunCars& cars, RunTrailer& trailer, Disk& disk);
FileOutcome ReadFinalsRunResult(std::string_view title, RunCars& cars, std::int32_t& status,
                                RunTrailer& trailer, Disk& disk);

// Reservation sizes, in pairs.
inline constexpr int kHeaderPairs = 330;
inline constexpr int kRunDoneFlagsPairs = 1830;
int HeatResultPairs(int carCount);
int FinalsRunPairs(int carCount);

// The building blocks of every section: a writer hands its content lines, a reader gets the
// lines of the body.
FileOutcome WriteSection(std::string_view title, int pairs, std::string_view content,
                         std::string_view notFoundMessage, Messages& messages, Disk& disk,
                         bool mayCreate = true);
template <typename Parse>
FileOutcome ReadSection(std::string_view title, Disk& disk, Parse&& parse) {
    EventFile f;
    if (!f.Open(disk)) return FileOutcome::Unavailable;
    if (!FindSection(f, title)) return FileOutcome::NoSection;
    LineReader lines(f.bytes, f.position);
    parse(lines);
    return FileOutcome::Done;
}

// Where each title's section body starts, as FindSectionIn finds it, in one pass over the file:
// a round's twenty heats cost one scan of the event, not twenty. An empty title is not looked for.
std::vector<SectionPosition> FindSectionsIn(std::string_view file,
                                            std::span<const SectionTitle> titles);

// Every section of `titles` found in one scan of the event file, handed to `parse` with its
// index in `titles` and a reader at its first line. False when the file cannot be opened.
bool ReadSectionsIn(std::span<const SectionTitle> titles, Disk& disk,
                    const std::function<void(std::size_t index, LineReader& lines)>& parse);

// Run content as it stands in a heat or finals section: the 20 car lines and the trailer.
void AppendRunContent(std::string& out, const RunCars& cars, const RunTrailer& trailer);
void ReadRunContent(LineReader& lines, RunCars& cars, RunTrailer& trailer);

// The one reader of a car line: name, passing count n, laps, total time, the last lap, best
// lap, then n + 1 race times, all read into `car` (n cut to the histories). True when every
// field is there and in its range, which the classifications demand of a line they count.
bool ReadCarLine(std::string_view line, RunCar& car);

}  // namespace velkaro
