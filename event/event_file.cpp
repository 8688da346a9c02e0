#include "event/event_file.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "event/damage.h"
#include "event/journal.h"
#include "event/section.h"
#include "platform/text.h"

namespace velkaro {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::min(std::max(v, lo), hi);
}

std::string HeaderFields(const EventHeader& h) {
    std::string out;
    AppendIntField(out, h.selectedNode);
    AppendIntField(out, h.categoryCount);
    int count = Clamp(h.categoryCount, 0, kCategories);
    for (int i = 0; i < count; ++i) {
        const CategoryRecord& c = h.categories[static_cast<std::size_t>(i)];
        AppendField(out, c.name.View());
        AppendIntField(out, c.participants);
        AppendIntField(out, c.qualificationStarted);
        AppendIntField(out, c.finalsState);
        AppendIntField(out, c.rounds);
        AppendIntField(out, c.heatsPerRound);
        AppendIntField(out, c.finalsRuns);
    }
    return out;
}

std::string FlagsContent(const RunDoneFlags& flags) {
    std::string out;
    out.reserve(2 * kRunDoneFlagCount + 2);
    for (const auto& category : flags.flags) {
        for (std::int32_t f : category) AppendIntField(out, f);
    }
    EndLine(out);
    return out;
}

void AppendCarLine(std::string& out, const RunCar& car) {
    int n = Clamp(car.passingCount, 0, kMaxPassings);
    AppendField(out, car.driverName.View());
    AppendIntField(out, n);
    AppendIntField(out, car.laps);
    AppendIntField(out, car.totalTime);
    AppendIntField(out, car.lapTimes[static_cast<std::size_t>(n)]);
    AppendIntField(out, car.bestLap);
    for (int i = 0; i <= n; ++i) AppendIntField(out, car.raceTimes[static_cast<std::size_t>(i)]);
    EndLine(out);
}

}  // namespace

bool ReportUnavailable(FileOutcome outcome, Messages& messages) {
    if (outcome != FileOutcome::Unavailable) return true;
    messages.Error(kRaceFileNotFound);
    return false;
}

bool EventFile::Open(Disk& d, std::string_view fileName) {
    disk = &d;
    name = std::string(fileName);
    position = 0;
    bytes = {};
    if (!RollBackInterruptedChange(d, name)) return false;
    file = d.Open(name, OpenMode::Existing);
    if (!file) return false;
    bytes = file->Contents();
    return true;
}

bool FindSection(EventFile& file, std::string_view title) {
    SectionPosition pos = FindSectionIn(file.bytes, title);
    if (pos.found) file.position = pos.body;
    return pos.found;
}

bool RecoverWorkingCopy(Disk& disk) {
    return RollBackInterruptedChange(disk, kWorkingCopy);
}

int HeatResultPairs(int carCount) {
    int n = Clamp(carCount, 0, kCarSlots);
    return 640 * n + 23 * (kCarSlots - n) + 105;
}

int FinalsRunPairs(int carCount) {
    int n = Clamp(carCount, 0, kCarSlots);
    return 1400 * n + 24 * (kCarSlots - n) + 107;
}

namespace {

// Written aside and renamed over the old copy: there is never a moment without a whole working
// copy. A pending roll-back belongs to the old copy and is settled first.
FileOutcome ReplaceWorkingCopy(std::string_view bytes, Disk& disk) {
    bool ok = RollBackInterruptedChange(disk, kWorkingCopy) &&
              ReplaceWholeFile(disk, kWorkingCopy, bytes);
    return ok ? FileOutcome::Done : FileOutcome::Unavailable;
}

}  // namespace

FileOutcome CreateNewEventFile(std::string_view categoryName, Disk& disk) {
    EventHeader h;
    h.selectedNode = 10000;
    h.categoryCount = 1;
    h.categories[0].name = categoryName;
    std::string bytes = PlaceRegion({}, 0, kHeaderPairs, HeaderFields(h), true).patch.bytes;
    SectionWrite flags = PlanSectionWrite(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs,
                                          FlagsContent(RunDoneFlags{}), true);
    bytes += flags.region.patch.bytes;
    return ReplaceWorkingCopy(bytes, disk);
}

FileOutcome CopyIntoWorkingCopy(std::string_view sourceFile, Messages& messages, Disk& disk) {
    const std::string unchanged = "\nThe race on screen stays as it was.";
    std::optional<std::string> bytes = ReadWholeFile(disk, sourceFile);
    if (!bytes) {
        messages.Error(CannotRead(disk.LastFault(), sourceFile) + unchanged);
        return FileOutcome::Unavailable;
    }
    if (!AcceptLoadedEvent(*bytes, messages)) return FileOutcome::Declined;
    if (ReplaceWorkingCopy(*bytes, disk) != FileOutcome::Done) {
        messages.Error(CannotWrite(disk.LastFault(), kWorkingCopy) + "\n\"" +
                       std::string(sourceFile) + "\" is not loaded." + unchanged);
        return FileOutcome::Unavailable;
    }
    return FileOutcome::Done;
}

FileOutcome SaveWorkingCopyAs(std::string_view targetFile, Messages& messages, Disk& disk) {
    EventFile f;
    if (!f.Open(disk)) {
        messages.Error(kRaceFileNotFound);
        return FileOutcome::Unavailable;
    }
    if (!ReplaceWholeFile(disk, targetFile, f.bytes)) {
        messages.Error(CannotWrite(disk.LastFault(), targetFile) + "\nThe race is not saved.");
        return FileOutcome::Unavailable;
    }
    return FileOutcome::Done;
}

void PutEventHeader(Transaction& t, const EventHeader& header) {
    t.PutTop(kHeaderPairs, HeaderFields(header));
}

FileOutcome WriteEventHeader(const EventHeader& header, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutEventHeader(t, header); });
}

FileOutcome ReadEventHeader(EventHeader& header, Disk& disk) {
    header = EventHeader{};
    EventFile f;
    if (!f.Open(disk)) return FileOutcome::Unavailable;
    LineReader lines(f.bytes);
    FieldReader fields(lines.Next());
    header.selectedNode = fields.NextInt();
    header.categoryCount = Clamp(fields.NextInt(), 0, kCategories);
    for (int i = 0; i < header.categoryCount; ++i) {
        CategoryRecord& c = header.categories[static_cast<std::size_t>(i)];
        fields.NextText(c.name);
        c.participants = fields.NextInt();
        c.qualificationStarted = fields.NextInt();
        c.finalsState = fields.NextInt();
        c.rounds = fields.NextInt();
        c.heatsPerRound = fields.NextInt();
        c.finalsRuns = fields.NextInt();
    }
    return FileOutcome::Done;
}

FileOutcome WriteSection(std::string_view title, int pairs, std::string_view content,
                         std::string_view notFoundMessage, Messages& messages, Disk& disk,
                         bool mayCreate) {
    return WriteAlone(disk, [&](Transaction& t) {
        t.PutSection(title, pairs, content, notFoundMessage, messages, mayCreate);
    });
}

bool PutRunDoneFlags(Transaction& t, const RunDoneFlags& flags, Messages& messages) {
    return t.PutSection(kRunDoneFlagsTitle, kRunDoneFlagsPairs, FlagsContent(flags),
                        kFlagsTitleNotFound, messages);
}

FileOutcome WriteRunDoneFlags(const RunDoneFlags& flags, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) { PutRunDoneFlags(t, flags, messages); });
}

FileOutcome ReadRunDoneFlags(RunDoneFlags& flags, Disk& disk) {
    return ReadSection(kRunDoneFlagsTitle, disk, [&](LineReader& lines) {
        FieldReader fields(lines.Next());
        for (auto& category : flags.flags) {
            for (std::int32_t& f : category) {
                if (fields.AtEnd()) return;
                f = fields.NextInt();
            }
        }
    });
}

FileOutcome ReadParticipantNames(int category, ParticipantNames& names, Disk& disk) {
    return ReadSection(ParticipantsTitle(category).View(), disk, [&](LineReader& lines) {
        for (Text<40>& name : names) {
            if (lines.AtEnd()) return;
            FieldReader(lines.Next()).NextText(name);
        }
    });
}

void AppendRunContent(std::string& out, const RunCars& cars, const RunTrailer& trailer) {
    for (const RunCar& car : cars) AppendCarLine(out, car);
    AppendField(out, trailer.description.View());
    AppendField(out, trailer.comment.View());
    AppendField(out, trailer.condition.View());
    EndLine(out);
}

namespace {

// The field's number, whatever it holds; `whole` stays true only while every field is a number
// in its range.
std::int32_t NumberIn(FieldReader& fields, std::int32_t lo, std::int32_t hi, bool& whole) {
    std::string_view field = fields.Next();
    std::int32_t value = ParseInt(field);
    whole = whole && StartsWithNumber(field) && value >= lo && value <= hi;
    return value;
}

}  // namespace

bool ReadCarLine(std::string_view line, RunCar& car) {
    FieldReader fields(line);
    fields.NextText(car.driverName);
    bool whole = !car.driverName.Empty();
    // However many passings the line claims, the histories hold 301 entries.
    int n = Clamp(NumberIn(fields, 0, kMaxPassings, whole), 0, kMaxPassings);
    car.passingCount = n;
    car.laps = NumberIn(fields, 0, kMaxPassings, whole);
    car.totalTime = NumberIn(fields, 0, kNoTime, whole);
    car.lapTimes[static_cast<std::size_t>(n)] =
        NumberIn(fields, std::numeric_limits<std::int32_t>::min(), kNoTime, whole);
    car.bestLap = NumberIn(fields, 0, kNoTime, whole);
    for (int i = 0; i <= n; ++i) {
        car.raceTimes[static_cast<std::size_t>(i)] =
            NumberIn(fields, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), whole);
    }
    return whole;
}

void ReadRunContent(LineReader& lines, RunCars& cars, RunTrailer& trailer) {
    for (RunCar& car : cars) {
        if (lines.AtEnd()) return;
        ReadCarLine(lines.Next(), car);
    }
    if (lines.AtEnd()) return;
    FieldReader fields(lines.Next());
    fields.NextText(trailer.description);
    fields.NextText(trailer.comment);
    std::string_view condition = fields.Next();
    if (!condition.empty()) trailer.condition.Assign(condition);
}

bool PutHeatResult(Transaction& t, const RunCars& cars, int carCount, std::string_view title,
                   const RunTrailer& trailer, Messages& messages) {
    std::string content;
    content.reserve(2 * static_cast<std::size_t>(HeatResultPairs(carCount)));
    AppendRunContent(content, cars, trailer);
    return t.PutSection(title, HeatResultPairs(carCount), content, kHeatTitleNotFound, messages);
}

FileOutcome WriteHeatResult(const RunCars& cars, int carCount, std::string_view title,
                            const RunTrailer& trailer, Messages& messages, Disk& disk) {
    return WriteAlone(
        disk, [&](Transaction& t) { PutHeatResult(t, cars, carCount, title, trailer, messages); });
}

bool PutFinalsRunResult(Transaction& t, const RunCars& cars, int carCount, std::string_view title,
                        std::int32_t status, const std::array<RelatedRun, 2>& related,
                        const RunTrailer& trailer, Messages& messages) {
    std::string content;
    content.reserve(2 * static_cast<std::size_t>(FinalsRunPairs(carCount)));
    AppendIntField(content, status);
    EndLine(content);
    AppendRunContent(content, cars, trailer);
    if (!t.PutSection(title, FinalsRunPairs(carCount), content, kFinalsRunTitleNotFound,
                      messages)) {
        return false;
    }
    // In the same change as the run, so that a crash never leaves one without the others.
    for (const RelatedRun& r : related) {
        if (r.title.empty()) continue;
        SectionPosition pos = FindSectionIn(t.Bytes(), r.title);
        if (!pos.found || pos.body >= t.Bytes().size()) continue;
        std::string line;
        AppendIntField(line, r.status);
        t.Overwrite(pos.body, line);
    }
    return true;
}

FileOutcome WriteFinalsRunResult(const RunCars& cars, int carCount, std::string_view title,
                                 std::int32_t status, const std::array<RelatedRun, 2>& related,
                                 const RunTrailer& trailer, Messages& messages, Disk& disk) {
    return WriteAlone(disk, [&](Transaction& t) {
        PutFinalsRunResult(t, cars, carCount, title, status, related, trailer, messages);
    });
}

FileOutcome ReadRunResult(std::string_view title, RunCars& cars, RunTrailer& trailer, Disk& disk) {
    return ReadSection(title, disk,
                       [&](LineReader& lines) { ReadRunContent(lines, cars, trailer); });
}

FileOutcome ReadFinalsRunResult(std::string_view title, RunCars& cars, std::int32_t& status,
                                RunTrailer& trailer, Disk& disk) {
    return ReadSection(title, disk, [&](LineReader& lines) {
        if (lines.AtEnd()) return;
        status = FieldReader(lines.Next()).NextInt();
        ReadRunContent(lines, cars, trailer);
    });
}

std::vector<SectionPosition> FindSectionsIn(std::string_view file,
                                            std::span<const SectionTitle> titles) {
    std::vector<SectionPosition> found(titles.size());
    std::size_t left = 0;
    std::array<bool, 256> starts{};  // the first bytes of the titles: other lines are passed by
    for (const SectionTitle& t : titles) {
        if (t.Empty()) continue;
        ++left;
        starts[static_cast<unsigned char>(t.View()[0])] = true;
    }
    std::size_t line = 0;
    while (left > 0 && line < file.size()) {
        std::size_t lf = file.find('\n', line);
        std::size_t end = lf == std::string_view::npos ? file.size() : lf;
        // Only a line that could start a title is looked at closely; the search proper then
        // decides from that line on, exactly as it would from the top.
        for (std::size_t i = 0; starts[static_cast<unsigned char>(file[line])] && i < titles.size();
             ++i) {
            std::string_view title = titles[i].View();
            if (found[i].found || title.empty() ||
                file.compare(line, std::min(title.size(), end - line), title) != 0) {
                continue;
            }
            SectionPosition at = FindSectionIn(
                file.substr(line, end - line + (lf != std::string_view::npos)), title);
            if (at.found) {
                found[i] = {true, line + at.body};
                --left;
            }
        }
        if (lf == std::string_view::npos) break;
        line = lf + 1;
    }
    return found;
}

bool ReadSectionsIn(std::span<const SectionTitle> titles, Disk& disk,
                    const std::function<void(std::size_t index, LineReader& lines)>& parse) {
    EventFile f;
    if (!f.Open(disk)) return false;
    std::vector<SectionPosition> at = FindSectionsIn(f.bytes, titles);
    for (std::size_t i = 0; i < at.size(); ++i) {
        if (!at[i].found) continue;
        LineReader lines(f.bytes, at[i].body);
        parse(i, lines);
    }
    return true;
}

}  // namespace velkaro
