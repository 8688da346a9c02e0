#include "databases/transponder_sets.h"

#include <optional>
#include <string>

#include "event/text_lines.h"

namespace velkaro {

bool LoadTransponderSets(TransponderSets& sets) {
    std::optional<std::string> bytes = ReadTextFile(kTransponderSetsFile);
    if (!bytes) return false;
    LineReader lines(*bytes);
    for (TransponderSet& set : sets) {
        if (lines.AtEnd()) break;
        FieldReader fields(lines.Next());
        fields.NextText(set.name);
        for (Text<7>& t : set.transponders) fields.NextText(t);
    }
    return true;
}

bool SaveTransponderSets(const TransponderSets& sets) {
    std::string out;
    for (const TransponderSet& set : sets) {
        AppendField(out, set.name.View());
        for (const Text<7>& t : set.transponders) AppendField(out, t.View());
        EndLine(out);
    }
    return WriteTextFile(kTransponderSetsFile, out);
}

}  // namespace velkaro
