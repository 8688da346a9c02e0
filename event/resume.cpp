#include "event/resume.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "event/event_model.h"
#include "event/section.h"
#include "event/text_lines.h"

namespace velkaro {

namespace {

std::size_t At(int i) {
    return static_cast<std::size_t>(i);
}

bool OnlyLineEnds(std::string_view rest) {
    return rest.find_first_not_of("\r\n") == std::string_view::npos;
}

// The lines of a small text file, each cut at its line end; empty lines skipped.
template <typename Take>
void EachLine(std::string_view bytes, Take take) {
    LineReader lines(bytes);
    while (!lines.AtEnd()) {
        std::string_view line = lines.Next();
        if (!line.empty()) take(line);
    }
}

}  // namespace

bool HoldsAnEvent(std::string_view bytes) {
    if (OnlyLineEnds(bytes)) return false;
    FieldReader fields(LineReader(bytes).Next());
    fields.NextInt();  // the selected node
    if (fields.NextInt() != 1) return true;
    fields.Next();  // the category's name: renaming alone makes no event
    for (int i = 0; i < 6; ++i) {
        if (fields.NextInt() != 0) return true;
    }
    // Every other section (track, participants, heats...) is appended after the flags.
    SectionPosition flags = FindSectionIn(bytes, kRunDoneFlagsTitle);
    if (!flags.found) return true;
    return !OnlyLineEnds(bytes.substr(flags.body + ExtentFrom(bytes, flags.body)));
}

std::string CrashCopyName(const LocalDateTime& when) {
    Text<64> name;
    Format(name, "%04d-%02d-%02d %02d-%02d-%02d Course.race", when.year, when.month, when.day,
           when.hour, when.minute, when.second);
    return std::string(kCrashFolder) + "/" + std::string(name.View());
}

CrashCopies ReadCrashCopies(Disk& disk) {
    CrashCopies copies;
    std::optional<std::string> index = ReadWholeFile(disk, kCrashIndex);
    if (!index) return copies;
    // A longer list than is kept (an index written by hand) keeps its newest names.
    std::vector<std::string_view> names;
    EachLine(*index, [&](std::string_view line) { names.push_back(line); });
    std::size_t skip =
        names.size() > At(kCrashCopiesKept) ? names.size() - At(kCrashCopiesKept) : 0;
    for (std::size_t i = skip; i < names.size(); ++i) copies.names[At(copies.count++)] = names[i];
    return copies;
}

CrashCopy KeepCrashCopy(const LocalDateTime& now, Disk& disk) {
    std::optional<std::string> bytes = ReadWholeFile(disk, kWorkingCopy);
    if (!bytes || !HoldsAnEvent(*bytes)) return CrashCopy::Blank;
    CrashCopies copies = ReadCrashCopies(disk);
    if (copies.count > 0) {
        std::optional<std::string> newest =
            ReadWholeFile(disk, copies.names[At(copies.count - 1)].View());
        if (newest && *newest == *bytes) return CrashCopy::Unchanged;
    }
    const std::string name = CrashCopyName(now);
    if (!ReplaceWholeFile(disk, name, *bytes)) return CrashCopy::Failed;

    // The copy is whole before the index names it, and a copy leaves the index before its file
    // goes: a crash in between leaves an unlisted file, never a listed one missing.
    std::vector<std::string> listed;
    for (int i = 0; i < copies.count; ++i) {
        if (copies.names[At(i)] != name) listed.emplace_back(copies.names[At(i)].View());
    }
    listed.push_back(name);
    std::vector<std::string> dropped;
    while (listed.size() > At(kCrashCopiesKept)) {
        dropped.push_back(listed.front());
        listed.erase(listed.begin());
    }
    std::string index;
    for (const std::string& n : listed) index += n + "\r\n";
    if (!ReplaceWholeFile(disk, kCrashIndex, index)) return CrashCopy::Failed;
    for (const std::string& n : dropped) disk.Remove(n);
    return CrashCopy::Kept;
}

Text<256> ResumedNotice(std::string_view eventName, const LocalDateTime& changed) {
    Text<256> t;
    std::string name(eventName);
    Format(t, "Resumed %s, last changed %02d/%02d/%04d at %d:%02d", name.c_str(), changed.day,
           changed.month, changed.year, changed.hour, changed.minute);
    return t;
}

RecentEvents ReadRecentEvents(Disk& disk) {
    RecentEvents recent;
    std::optional<std::string> bytes = ReadWholeFile(disk, kRecentEventsFile);
    if (!bytes) return recent;
    LineReader lines(*bytes);
    recent.current = lines.Next();  // the first line, empty when no file is current
    while (!lines.AtEnd() && recent.count < kRecentEventsKept) {
        std::string_view line = lines.Next();
        if (!line.empty()) recent.files[At(recent.count++)] = line;
    }
    return recent;
}

bool WriteRecentEvents(const RecentEvents& recent, Disk& disk) {
    std::string bytes = std::string(recent.current.View()) + "\r\n";
    for (int i = 0; i < std::clamp(recent.count, 0, kRecentEventsKept); ++i) {
        bytes += std::string(recent.files[At(i)].View()) + "\r\n";
    }
    return ReplaceWholeFile(disk, kRecentEventsFile, bytes);
}

void NoteRecentEvent(RecentEvents& recent, std::string_view path) {
    // A path longer than its slot would come back as another file: it is not remembered.
    if (path.empty() || path.size() > recent.current.kCapacity) {
        recent.current.Clear();
        return;
    }
    recent.current = path;
    std::array<Text<512>, kRecentEventsKept> files{};
    int count = 0;
    files[At(count++)] = path;
    for (int i = 0; i < recent.count && count < kRecentEventsKept; ++i) {
        if (recent.files[At(i)] != path) files[At(count++)] = recent.files[At(i)];
    }
    recent.files = files;
    recent.count = count;
}

}  // namespace velkaro
