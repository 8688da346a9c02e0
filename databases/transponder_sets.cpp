#include "databases/transponder_sets.h"

#include <optional>
#include <string>

#include "common/transponder.h"
#include "event/text_lines.h"

namespace velkaro {

bool LoadTransponderSets(TransponderSets& sets, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kTransponderSetsFile, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    for (TransponderSet& set : sets) {
        if (lines.AtEnd()) break;
        FieldReader fields(lines.Next());
        fields.NextText(set.name);
        for (Text<7>& t : set.transponders) t = NormalTransponder(fields.Next());
    }
    return true;
}

bool SaveTransponderSets(const TransponderSets& sets, Disk& disk) {
    std::string out;
    for (const TransponderSet& set : sets) {
        AppendField(out, set.name.View());
        for (const Text<7>& t : set.transponders)
            AppendField(out, NormalTransponder(t.View()).View());
        EndLine(out);
    }
    return WriteTextFile(kTransponderSetsFile, out, disk);
}

}  // namespace velkaro
