#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "event/event_model.h"

// The soundness of an event file, section by section, from its bytes alone.

namespace velkaro::results {

enum class SectionProblem { Missing, CutShort, Overflowing };

struct SectionIssue {
    std::string title;       // UTF-8
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
// only where the file ends inside it.
std::vector<SectionIssue> CheckEvent(std::string_view bytes, const EventHeader& header,
                                     const RunDoneFlags& flags);

std::string DescribeIssue(const SectionIssue& issue);

}  // namespace velkaro::results
