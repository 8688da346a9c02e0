#include "databases/transponder_sets.h"

#include <optional>
#include <string>

#include "common/transponder.h"
#include "event/text_lines.h"

namespace velkaro {

// A set is chosen by its place in the list: a flawed line keeps its place, empty.
bool LoadTransponderSets(TransponderSets& sets, Disk& disk, FileFlaws* flaws) {
    std::optional<std::string> bytes = ReadTextFile(kTransponderSetsFile, disk);
    if (!bytes) return false;
    if (flaws) flaws->file = kTransponderSetsFile;
    LineReader lines(*bytes);
    int number = 0;
    for (TransponderSet& set : sets) {
        if (lines.AtEnd()) break;
        FieldReader fields(lines.Next());
        TransponderSet read{};
        LineFlaw flaw;
        ++number;
        std::string_view name = fields.Next();
        bool flawed = FieldFlaw(name, read.name.kCapacity, number, "name", flaw);
        read.name = name;
        // A transponder is a number: what is not one reads as none, a control byte is a flaw.
        for (Text<7>& t : read.transponders) {
            std::string_view chip = fields.Next();
            flawed = flawed || FieldFlaw(chip, chip.size(), number, "transponder", flaw);
            t = NormalTransponder(chip);
        }
        if (flawed || ExtraFieldsFlaw(fields, number, flaw)) {
            if (flaws) flaws->lines.push_back(flaw);
            read = {};
        }
        set = read;
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
