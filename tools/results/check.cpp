#include "tools/results/check.h"

#include <algorithm>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "finals/arrangement.h"
#include "platform/cp1252.h"
#include "qualification/round_classification.h"

namespace velkaro::results {
namespace {

struct Expected {
    std::string title;  // Windows-1252
    int minPairs = 0, maxPairs = 0;
    bool required = false;
};

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

}  // namespace

std::vector<SectionIssue> CheckEvent(std::string_view bytes, const EventHeader& header,
                                     const RunDoneFlags& flags) {
    std::vector<Expected> list;
    auto add = [&](std::string_view title, int minPairs, int maxPairs, bool required) {
        list.push_back({std::string(title), minPairs, maxPairs, required});
    };
    add(kRunDoneFlagsTitle, kRunDoneFlagsPairs, kRunDoneFlagsPairs, true);
    add(kTrackTitle, kTrackPairs, kTrackPairs, false);
    for (int c = 1; c <= header.categoryCount; ++c) {
        const CategoryRecord& cat = header.categories[std::size_t(c - 1)];
        const auto& f = flags.flags[std::size_t(c - 1)];
        bool anyHeat =
            std::any_of(f.begin(), f.begin() + kFinalFlag, [](auto v) { return v != 0; });
        // Validating the overall ranking sets the finals state; "Generate" counts the runs and
        // writes the ladder, which until then takes its defaults.
        bool arranged = cat.finalsState >= 1, generated = cat.finalsRuns >= 1;
        add(ParticipantsTitle(c).View(), kParticipantsPairs, kParticipantsPairs,
            cat.participants > 0);
        add(HeatSlotListTitle(c).View(), kHeatSlotListPairs, kHeatSlotListPairs, anyHeat);
        add(QualifOptionsTitle(c).View(), kQualifOptionsPairs, kQualifOptionsPairs, false);
        add(StartingGridsTitle(c).View(), kStartingGridsPairs, kStartingGridsPairs, false);
        for (int r = 1; r <= kRounds; ++r) {
            for (int h = 1; h <= kHeatsPerRound; ++h) {
                bool inRound = r <= cat.rounds && h <= cat.heatsPerRound;
                add(HeatTitle(c, r, h).View(), HeatResultPairs(0), HeatResultPairs(kCarSlots),
                    inRound && f[std::size_t(HeatFlagIndex(r, h))] != 0);
            }
            add(RoundClassificationTitle(c, r).View(), RoundClassificationPairs(0),
                RoundClassificationPairs(kParticipants), false);
        }
        add(OverallClassificationTitle(c).View(), OverallClassificationPairs(0),
            OverallClassificationPairs(kParticipants), arranged);
        add(FinalsOptionsTitle(c).View(), kFinalsOptionsPairs, kFinalsOptionsPairs, false);
        add(FinalsLadderTitle(c).View(), kFinalsLadderPairs, kFinalsLadderPairs, generated);
        for (int level = 0; level <= kFinalsLevels; ++level) {
            for (char letter : {'A', 'B'}) {
                if (level == 0 && letter == 'B') continue;
                bool inLadder = level <= StartLevelOf(cat.finalsRuns);
                add(FinalsRunTitle(c, level, letter).View(), FinalsRunPairs(0),
                    FinalsRunPairs(kCarSlots),
                    inLadder && f[std::size_t(FinalsFlagIndex(level, letter))] != 0);
            }
        }
    }

    std::vector<SectionIssue> issues;
    // The header line has its own reservation at the top of the file.
    std::size_t headerEnd = ExtentFrom(bytes, 0);  // a length from the start
    if (headerEnd == bytes.size() && headerEnd < RegionBytes(kHeaderPairs)) {
        issues.push_back(
            {"(header)", 0, SectionProblem::CutShort, headerEnd, RegionBytes(kHeaderPairs)});
    }
    std::vector<SectionTitle> titles;
    for (const Expected& e : list) titles.emplace_back(e.title);
    std::vector<SectionPosition> found = FindSectionsIn(bytes, titles);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Expected& e = list[i];
        std::string title = Utf8FromCp1252(e.title);
        if (!found[i].found) {
            if (e.required) issues.push_back({title, bytes.size(), SectionProblem::Missing, 0, 0});
            continue;
        }
        std::size_t body = found[i].body;
        // The title line starts after the line end that precedes the body's line.
        std::size_t titleAt = 0;
        if (body >= 2) {
            std::size_t nl = bytes.rfind('\n', body - 2);
            titleAt = nl == std::string_view::npos ? 0 : nl + 1;
        }
        std::size_t size = ExtentFrom(bytes, body);
        if (CutByTheEnd(bytes, body, size, RegionBytes(e.minPairs))) {
            issues.push_back(
                {title, titleAt, SectionProblem::CutShort, size, RegionBytes(e.minPairs)});
        } else if (size > RegionBytes(e.maxPairs)) {
            issues.push_back(
                {title, titleAt, SectionProblem::Overflowing, size, RegionBytes(e.maxPairs)});
        }
    }
    std::stable_sort(
        issues.begin(), issues.end(),
        [](const SectionIssue& a, const SectionIssue& b) { return a.offset < b.offset; });
    return issues;
}

std::string DescribeIssue(const SectionIssue& issue) {
    std::string at = "offset " + std::to_string(issue.offset);
    switch (issue.problem) {
        case SectionProblem::Missing:
            return at + ": \"" + issue.title + "\" missing";
        case SectionProblem::CutShort:
            if (issue.size >= issue.expected)
                return at + ": \"" + issue.title + "\" cut short (the file ends inside it)";
            return at + ": \"" + issue.title + "\" cut short (" + std::to_string(issue.size) +
                   " bytes of at least " + std::to_string(issue.expected) + ")";
        case SectionProblem::Overflowing:
            return at + ": \"" + issue.title + "\" overflowing its reservation (" +
                   std::to_string(issue.size) + " bytes of at most " +
                   std::to_string(issue.expected) + ")";
    }
    return at;
}

}  // namespace velkaro::results
