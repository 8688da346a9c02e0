#include "databases/circuits_file.h"

#include <optional>
#include <string>

#include "common/time_format.h"
#include "event/text_lines.h"

namespace velkaro {

namespace {

// One line into `c`; false, with the flaw, when a text field could not hold its text.
bool ReadCircuit(std::string_view line, int number, CircuitRecord& c, LineFlaw& flaw) {
    FieldReader fields(line);
    CircuitRecord read{};
    bool flawed = false;
    auto text = [&](auto& slot, std::string_view field) {
        std::string_view t = fields.Next();
        flawed = flawed || FieldFlaw(t, slot.kCapacity, number, field, flaw);
        slot.Assign(t);
    };
    text(read.name, "name");
    text(read.length, "length");
    text(read.recordLapText, "record lap");
    read.recordLapTime = fields.NextInt();
    text(read.recordHolder, "record holder");
    text(read.minimumLapTime, "minimum lap time");
    text(read.location, "location");
    text(read.image, "picture");
    if (flawed || ExtraFieldsFlaw(fields, number, flaw)) return false;
    TimeSplit t = SplitTime(read.recordLapTime);
    read.recordHours = t.h;
    read.recordMinutes = t.m;
    read.recordSeconds = t.s;
    read.recordMilliseconds = t.ms;
    c = read;
    return true;
}

}  // namespace

bool LoadCircuits(CircuitTable& table, Disk& disk, FileFlaws* flaws) {
    std::optional<std::string> bytes = ReadTextFile(kCircuitsFile, disk);
    if (!bytes) return false;
    if (flaws) flaws->file = kCircuitsFile;
    LineReader lines(*bytes);
    int number = 0;
    for (int slot = 0; slot < kCircuitRecords && !lines.AtEnd();) {
        LineFlaw flaw;
        if (ReadCircuit(lines.Next(), ++number, table[static_cast<std::size_t>(slot)], flaw)) {
            ++slot;
        } else if (flaws) {
            flaws->lines.push_back(flaw);
        }
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
