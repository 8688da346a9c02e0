#include "databases/database_files.h"

#include <optional>
#include <string>

#include "common/transponder.h"
#include "event/text_lines.h"

namespace velkaro {
namespace {

// The fields of a record in file order: one list serves the loader and the saver alike.
template <typename Record, typename F>
void Fields(Record& r, F f) {
    if constexpr (requires { r.initials; }) {
        f(r.name), f(r.initials), f(r.address), f(r.address2), f(r.zipCode), f(r.location);
        f(r.country), f(r.phone), f(r.email);
    } else if constexpr (requires { r.birthday; }) {
        f(r.name), f(r.address), f(r.address2), f(r.zipCode), f(r.location), f(r.country);
        f(r.phone), f(r.email), f(r.birthday), f(r.licence), f(r.transponder), f(r.club);
        f(r.image);
    } else {
        f(r.name);
    }
}

template <typename Table>
bool LoadRecords(Table& table, std::string_view name, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(name, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    for (auto& record : table) {
        if (lines.AtEnd()) break;
        FieldReader fields(lines.Next());
        Fields(record, [&](auto& slot) { fields.NextText(slot); });
        if constexpr (requires { record.transponder; }) {
            record.transponder = NormalTransponder(record.transponder.View());
        }
    }
    return true;
}

template <typename Table>
bool SaveRecords(const Table& table, int count, std::string_view name, Disk& disk) {
    std::string out;
    for (int i = 0; i < count && i < static_cast<int>(table.size()); ++i) {
        auto record = table[static_cast<std::size_t>(i)];
        if constexpr (requires { record.transponder; }) {
            record.transponder = NormalTransponder(record.transponder.View());
        }
        Fields(record, [&](const auto& slot) { AppendField(out, slot.View()); });
        EndLine(out);
    }
    return WriteTextFile(name, out, disk);
}

template <typename C>
bool FillFirstFields(C& choices, std::string_view name, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(name, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    while (!lines.AtEnd() && choices.count < static_cast<int>(choices.items.size())) {
        FieldReader fields(lines.Next());
        fields.NextText(choices.items[static_cast<std::size_t>(choices.count++)]);
    }
    return true;
}

}  // namespace

bool LoadClubs(ClubTable& table, Disk& disk) {
    return LoadRecords(table, kClubsFile, disk);
}
bool LoadDrivers(DriverTable& table, Disk& disk) {
    return LoadRecords(table, kDriversFile, disk);
}

// A frequency line holds no TAB: the whole line is the frequency.
bool LoadFrequencies(FrequencyTable& table, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kFrequenciesFile, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    for (FrequencyRecord& f : table) {
        if (lines.AtEnd()) break;
        f.name.Assign(lines.Next());
    }
    return true;
}

bool FillCountryChoices(CountryChoices& choices, Disk& disk) {
    return FillFirstFields(choices, kCountriesFile, disk);
}
bool FillClubChoices(ClubChoices& choices, Disk& disk) {
    return FillFirstFields(choices, kClubsFile, disk);
}

bool SaveClubs(const ClubTable& table, int count, Disk& disk) {
    return SaveRecords(table, count, kClubsFile, disk);
}
bool SaveDrivers(const DriverTable& table, int count, Disk& disk) {
    return SaveRecords(table, count, kDriversFile, disk);
}

bool SaveFrequencies(const FrequencyTable& table, int count, Disk& disk) {
    std::string out;
    for (int i = 0; i < count && i < kFrequencyRecords; ++i) {
        for (char c : table[static_cast<std::size_t>(i)].name.View()) {
            out += c == '\r' || c == '\n' ? ' ' : c;
        }
        EndLine(out);
    }
    return WriteTextFile(kFrequenciesFile, out, disk);
}

}  // namespace velkaro
