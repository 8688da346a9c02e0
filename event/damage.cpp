#include "event/damage.h"

#include <algorithm>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "event/snapshot_disk.h"
#include "platform/text.h"

namespace velkaro {
namespace {

struct Expected {
    SectionIssue what;  // kind, place and title
    int minPairs = 0, maxPairs = 0;
    bool required = false;
};

SectionIssue Of(SectionKind kind, int category = 0) {
    SectionIssue issue;
    issue.kind = kind;
    issue.category = category;
    return issue;
}

std::size_t RegionBytes(int pairs) {
    return 2 * std::size_t(pairs) + 2;
}

// Only the end of the file cuts a section. One that another section follows holds all its writer
// wrote, however short (a file from elsewhere: LF line ends, no reservation); the program reads
// it whole and moves what follows when it rewrites it. At the end of the file a section is whole
// when it ends with a line end and, short of its reservation, with the reservation's "1" TAB
// filler that the program's writes leave after the content.
bool CutByTheEnd(std::string_view bytes, std::size_t body, std::size_t size, std::size_t least) {
    if (body + size != bytes.size()) return false;
    if (size == 0 || !bytes.ends_with('\n')) return true;
    if (size >= least) return false;
    std::string_view section = bytes.substr(body, size - 1);
    std::size_t nl = section.rfind('\n');
    std::string_view last = nl == std::string_view::npos ? section : section.substr(nl + 1);
    if (last.ends_with('\r')) last.remove_suffix(1);
    return last.find_first_not_of("1\t") != std::string_view::npos;
}

std::vector<Expected> ExpectedSections(const EventHeader& header, const RunDoneFlags& flags) {
    std::vector<Expected> list;
    auto add = [&](SectionIssue what, const SectionTitle& title, int minPairs, int maxPairs,
                   bool required) {
        what.title = std::string(title.View());
        list.push_back({std::move(what), minPairs, maxPairs, required});
    };
    add(Of(SectionKind::RunDoneFlags), SectionTitle(kRunDoneFlagsTitle), kRunDoneFlagsPairs,
        kRunDoneFlagsPairs, true);
    add(Of(SectionKind::Track), SectionTitle(kTrackTitle), kTrackPairs, kTrackPairs, false);
    for (int c = 1; c <= header.categoryCount; ++c) {
        const CategoryRecord& cat = header.categories[std::size_t(c - 1)];
        const auto& f = flags.flags[std::size_t(c - 1)];
        bool anyHeat =
            std::any_of(f.begin(), f.begin() + kFinalFlag, [](auto v) { return v != 0; });
        // Validating the overall ranking sets the finals state; "Generate" counts the runs and
        // writes the ladder, which until then takes its defaults.
        bool arranged = cat.finalsState >= 1, generated = cat.finalsRuns >= 1;
        auto in = [c](SectionKind kind) { return Of(kind, c); };
        add(in(SectionKind::Participants), ParticipantsTitle(c), kParticipantsPairs,
            kParticipantsPairs, cat.participants > 0);
        add(in(SectionKind::HeatSlotList), HeatSlotListTitle(c), kHeatSlotListPairs,
            kHeatSlotListPairs, anyHeat);
        add(in(SectionKind::QualifOptions), QualifOptionsTitle(c), kQualifOptionsPairs,
            kQualifOptionsPairs, false);
        add(in(SectionKind::StartingGrids), StartingGridsTitle(c), kStartingGridsPairs,
            kStartingGridsPairs, false);
        for (int r = 1; r <= kRounds; ++r) {
            for (int h = 1; h <= kHeatsPerRound; ++h) {
                bool inRound = r <= cat.rounds && h <= cat.heatsPerRound;
                SectionIssue heat = in(SectionKind::Heat);
                heat.round = r;
                heat.heat = h;
                add(heat, HeatTitle(c, r, h), HeatResultPairs(0), HeatResultPairs(kCarSlots),
                    inRound && f[std::size_t(HeatFlagIndex(r, h))] != 0);
            }
            SectionIssue round = in(SectionKind::RoundClassification);
            round.round = r;
            add(round, RoundClassificationTitle(c, r), RoundClassificationPairs(0),
                RoundClassificationPairs(kParticipants), false);
        }
        add(in(SectionKind::OverallClassification), OverallClassificationTitle(c),
            OverallClassificationPairs(0), OverallClassificationPairs(kParticipants), arranged);
        add(in(SectionKind::FinalsOptions), FinalsOptionsTitle(c), kFinalsOptionsPairs,
            kFinalsOptionsPairs, false);
        add(in(SectionKind::FinalsLadder), FinalsLadderTitle(c), kFinalsLadderPairs,
            kFinalsLadderPairs, generated);
        for (int level = 0; level <= kFinalsLevels; ++level) {
            for (char letter : {'A', 'B'}) {
                if (level == 0 && letter == 'B') continue;
                bool inLadder = level <= StartLevelOf(cat.finalsRuns);
                SectionIssue run = in(SectionKind::FinalsRun);
                run.level = level;
                run.letter = letter;
                add(run, FinalsRunTitle(c, level, letter), FinalsRunPairs(0),
                    FinalsRunPairs(kCarSlots),
                    inLadder && f[std::size_t(FinalsFlagIndex(level, letter))] != 0);
            }
        }
    }
    return list;
}

std::string SectionName(const SectionIssue& issue) {
    Text<40> name;
    switch (issue.kind) {
        case SectionKind::Header:
            return "Event header";
        case SectionKind::RunDoneFlags:
            return "Marks of the runs done";
        case SectionKind::Track:
            return "Track for the race";
        case SectionKind::Participants:
            return "list of participants";
        case SectionKind::HeatSlotList:
            return "qualifying heats arrangement";
        case SectionKind::QualifOptions:
            return "qualifying heats parameters";
        case SectionKind::StartingGrids:
            return "qualifying starting grids";
        case SectionKind::Heat:
            Format(name, "Round %d - Heat %d", issue.round, issue.heat);
            break;
        case SectionKind::RoundClassification:
            Format(name, "Round %d classification", issue.round);
            break;
        case SectionKind::OverallClassification:
            return "overall classification";
        case SectionKind::FinalsOptions:
            return "finals runs parameters";
        case SectionKind::FinalsLadder:
            return "finals ladder";
        case SectionKind::FinalsRun:
            if (issue.level == 0) return "Final";
            Format(name, "Finals 1/%d%c", 1 << issue.level, issue.letter);
            break;
    }
    return std::string(name.View());
}

std::string ProblemText(const SectionIssue& issue) {
    switch (issue.problem) {
        case SectionProblem::Missing:
            return "missing";
        case SectionProblem::CutShort:
            return "cut short, the file ends inside it";
        case SectionProblem::Overflowing:
            return "longer than the room kept for it";
    }
    return {};
}

}  // namespace

std::vector<SectionIssue> CheckEvent(std::string_view bytes, const EventHeader& header,
                                     const RunDoneFlags& flags) {
    std::vector<SectionIssue> issues;
    // The header line has its own reservation at the top of the file.
    std::size_t headerEnd = ExtentFrom(bytes, 0);  // a length from the start
    if (headerEnd == bytes.size() && headerEnd < RegionBytes(kHeaderPairs)) {
        SectionIssue issue = Of(SectionKind::Header);
        issue.problem = SectionProblem::CutShort;
        issue.size = headerEnd;
        issue.expected = RegionBytes(kHeaderPairs);
        issues.push_back(std::move(issue));
    }
    std::vector<Expected> list = ExpectedSections(header, flags);
    std::vector<SectionTitle> titles;
    for (const Expected& e : list) titles.emplace_back(e.what.title);
    std::vector<SectionPosition> found = FindSectionsIn(bytes, titles);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Expected& e = list[i];
        SectionIssue issue = e.what;
        if (!found[i].found) {
            if (!e.required) continue;
            issue.offset = bytes.size();
            issue.problem = SectionProblem::Missing;
            issues.push_back(std::move(issue));
            continue;
        }
        std::size_t body = found[i].body;
        // The title line starts after the line end that precedes the body's line.
        if (body >= 2) {
            std::size_t nl = bytes.rfind('\n', body - 2);
            issue.offset = nl == std::string_view::npos ? 0 : nl + 1;
        }
        issue.size = ExtentFrom(bytes, body);
        if (CutByTheEnd(bytes, body, issue.size, RegionBytes(e.minPairs))) {
            issue.problem = SectionProblem::CutShort;
            issue.expected = RegionBytes(e.minPairs);
        } else if (issue.size > RegionBytes(e.maxPairs)) {
            issue.problem = SectionProblem::Overflowing;
            issue.expected = RegionBytes(e.maxPairs);
        } else {
            continue;
        }
        issues.push_back(std::move(issue));
    }
    std::stable_sort(
        issues.begin(), issues.end(),
        [](const SectionIssue& a, const SectionIssue& b) { return a.offset < b.offset; });
    return issues;
}

EventCheck CheckEventBytes(std::string_view bytes) {
    EventCheck check;
    SnapshotDisk disk{std::string(bytes)};
    RunDoneFlags flags;
    ReadEventHeader(check.header, disk);
    ReadRunDoneFlags(flags, disk);
    check.issues = CheckEvent(bytes, check.header, flags);
    return check;
}

std::string DamageLine(const SectionIssue& issue, const EventHeader& header) {
    std::string line;
    if (issue.category >= 1 && issue.category <= kCategories) {
        std::string_view name = header.categories[std::size_t(issue.category - 1)].name.View();
        line = "Category ";
        line += name.empty() ? std::to_string(issue.category) : "\"" + std::string(name) + "\"";
        line += ", ";
    }
    return line + SectionName(issue) + ": " + ProblemText(issue);
}

std::string DamageLines(const EventCheck& check) {
    std::string lines;
    const std::size_t shown = std::min(check.issues.size(), std::size_t(kDamageLinesShown));
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) lines += '\n';
        lines += DamageLine(check.issues[i], check.header);
    }
    if (std::size_t more = check.issues.size() - shown; more > 0) {
        lines += "\nand " + std::to_string(more) + " more damaged section" + (more > 1 ? "s" : "");
    }
    return lines;
}

bool AcceptLoadedEvent(std::string_view bytes, Messages& messages) {
    EventCheck check = CheckEventBytes(bytes);
    if (check.issues.empty()) return true;
    std::string text =
        std::string(kDamagedLoadText) + DamageLines(check) + std::string(kDamagedLoadQuestion);
    return messages.Show(kDamagedTitle, text, MessageButtons::YesNo, MessageIcon::Warning) ==
           MessageAnswer::Yes;
}

PreviousEvent CheckPreviousEvent(std::string_view bytes, std::string_view crashCopy,
                                 Messages& messages) {
    EventCheck check = CheckEventBytes(bytes);
    if (check.issues.empty()) return PreviousEvent::Sound;
    std::string text = std::string(kDamagedStartText) + DamageLines(check) +
                       std::string(kDamagedStartQuestion) + "\"" + std::string(crashCopy) + "\".";
    return messages.Show(kDamagedTitle, text, MessageButtons::YesNo, MessageIcon::Warning) ==
                   MessageAnswer::Yes
               ? PreviousEvent::ReadWhatCan
               : PreviousEvent::Blank;
}

}  // namespace velkaro
