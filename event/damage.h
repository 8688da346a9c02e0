#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "event/event_model.h"
#include "platform/messages.h"

// The soundness of an event file, section by section, from its bytes alone, and how its damage
// is told to the director before such a file becomes the working copy.

namespace velkaro {

enum class SectionProblem { Missing, CutShort, Overflowing };

// What a section holds, as the director knows it.
enum class SectionKind {
    Header,
    RunDoneFlags,
    Track,
    Participants,
    HeatSlotList,
    QualifOptions,
    StartingGrids,
    Heat,
    RoundClassification,
    OverallClassification,
    FinalsOptions,
    FinalsLadder,
    FinalsRun,
};

struct SectionIssue {
    SectionKind kind = SectionKind::Header;
    int category = 0;  // from 1; 0 for a section of the whole event
    int round = 0;     // a heat's or a round classification's
    int heat = 0;
    int level = 0;  // a finals run's: 0 is the Final, k the 1/2^k runs
    char letter = 'A';
    std::string title;       // Windows-1252; empty for the header line
    std::size_t offset = 0;  // the title line's offset; the end of the file for a missing one
    SectionProblem problem = SectionProblem::Missing;
    std::size_t size = 0;      // the bytes the section holds
    std::size_t expected = 0;  // the least (cut short) or most (overflowing) it should hold
};

// A section is expected where the header or the run-done flags say it exists: the participants
// of a category that has some, the heat slot list and each heat of the category's rounds whose
// flag is set, the overall ranking once it is validated (the finals state), the ladder once the
// finals runs are generated, each finals run of the ladder whose flag is set. Every section found,
// expected or not, is measured against its reservation: more is overflowing; less is cut short
// only where the file ends inside it. In the order of the file, the missing ones last.
std::vector<SectionIssue> CheckEvent(std::string_view bytes, const EventHeader& header,
                                     const RunDoneFlags& flags);

// The same, with the header and the flags read from the bytes as the program reads them.
struct EventCheck {
    EventHeader header;
    std::vector<SectionIssue> issues;
};
EventCheck CheckEventBytes(std::string_view bytes);

// One line for the director: the category by its name, then the section as the tree and the
// menus name it ("Round 2 - Heat 3", "overall classification", "Finals 1/4A"), then the damage.
std::string DamageLine(const SectionIssue& issue, const EventHeader& header);

// The texts of the boxes that tell a damaged file, asked with Yes and No.
inline constexpr std::string_view kDamagedTitle = "Damaged event file";
inline constexpr std::string_view kDamagedLoadText = "The event file is damaged:\n";
inline constexpr std::string_view kDamagedLoadQuestion =
    "\n\nLoad what can be read?\nNo keeps the event on screen as it was.";
inline constexpr std::string_view kDamagedStartText =
    "The event worked on before this start is damaged:\n";
inline constexpr std::string_view kDamagedStartQuestion =
    "\n\nLoad what can be read?\nNo starts a blank event; the damaged file is kept as ";
inline constexpr int kDamageLinesShown = 10;

// The damage lines, one a line, the first kDamageLinesShown of them and then how many more.
std::string DamageLines(const EventCheck& check);

// "Load event": true when `bytes` are sound, or when the director, told what is damaged, chose
// to load what can be read.
bool AcceptLoadedEvent(std::string_view bytes, Messages& messages);

// What a start does with the working copy the previous run of the program left.
enum class PreviousEvent {
    Sound,        // nothing to tell
    ReadWhatCan,  // damaged: the director chose to go on with what can be read
    Blank,        // damaged: the director chose a blank event; `crashCopy` keeps the damaged one
};
PreviousEvent CheckPreviousEvent(std::string_view bytes, std::string_view crashCopy,
                                 Messages& messages);

}  // namespace velkaro
