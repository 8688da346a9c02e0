#include "databases/circuits_file.h"

#include <optional>
#include <string>

#include "event/text_lines.h"
#include "common/time_format.h"

namespace velkaro {

bool LoadCircuits(CircuitTable& table, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kCircuitsFile, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    for (int slot = 0; slot < kCircuitRecords && !lines.AtEnd(); ++slot) {
        CircuitRecord& c = table[static_cast<std::size_t>(slot)];
        FieldReader fields(lines.Next());
        fields.NextText(c.name);
        fields.NextText(c.length);
        fields.NextText(c.recordLapText);
        c.recordLapTime = fields.NextInt();
        fields.NextText(c.recordHolder);
        fields.NextText(c.minimumLapTime);
        fields.NextText(c.location);
        fields.NextText(c.image);
        TimeSplit t = SplitTime(c.recordLapTime);
        c.recordHours = t.h;
        c.recordMinutes = t.m;
        c.recordSeconds = t.s;
        c.recordMilliseconds = t.ms;
    }
    return true;
}

bool SaveCircuits(const CircuitTable& table, Disk& disk) {
    std::string out;
    for (int slot = 0; slot < kCircuitRecords; ++slot) {
        const CircuitRecord& c = table[static_cast<std::size_t>(slot)];
        if (c.name.Empty()) continue;
        AppendField(out, c.name.View());
        AppendField(out, c.length.View());
        AppendField(out, c.recordLapText.View());
        AppendIntField(out, c.recordLapTime);
        AppendField(out, c.recordHolder.View());
        AppendField(out, c.minimumLapTime.View());
        AppendField(out, c.location.View());
        AppendField(out, c.image.View());
        EndLine(out);
    }
    return WriteTextFile(kCircuitsFile, out, disk);
}

}  // namespace velkaro
