#include "databases/database_files.h"

#include <array>
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

// The fields as the director knows them, in file order.
constexpr std::array<std::string_view, 9> kClubFieldNames{"name",           "initials", "address",
                                                          "second address", "zip code", "location",
                                                          "country",        "phone",    "email"};
constexpr std::array<std::string_view, 13> kDriverFieldNames{
    "name",  "address",  "second address", "zip code",    "location", "country", "phone",
    "email", "birthday", "licence",        "transponder", "club",     "picture"};

template <typename Record>
constexpr std::string_view FieldName(std::size_t i) {
    if constexpr (requires(Record r) { r.initials; }) {
        return kClubFieldNames[i];
    } else if constexpr (requires(Record r) { r.birthday; }) {
        return kDriverFieldNames[i];
    } else {
        return "frequency";
    }
}

template <typename Record>
bool ReadRecord(std::string_view line, int number, Record& record, LineFlaw& flaw) {
    FieldReader fields(line);
    Record read{};
    std::size_t i = 0;
    bool flawed = false;
    Fields(read, [&](auto& slot) {
        std::string_view text = fields.Next();
        flawed = flawed || FieldFlaw(text, slot.kCapacity, number, FieldName<Record>(i), flaw);
        slot.Assign(text);
        ++i;
    });
    if (flawed || ExtraFieldsFlaw(fields, number, flaw)) return false;
    record = read;
    return true;
}

// A flawed line takes no slot: the records are found by name, and a gap would end the list.
template <typename Table>
bool LoadRecords(Table& table, std::string_view name, Disk& disk, FileFlaws* flaws) {
    std::optional<std::string> bytes = ReadTextFile(name, disk);
    if (!bytes) return false;
    if (flaws) flaws->file = name;
    LineReader lines(*bytes);
    int number = 0;
    for (std::size_t slot = 0; slot < table.size() && !lines.AtEnd();) {
        auto& record = table[slot];
        LineFlaw flaw;
        if (!ReadRecord(lines.Next(), ++number, record, flaw)) {
            if (flaws) flaws->lines.push_back(flaw);
            continue;
        }
        if constexpr (requires { record.transponder; }) {
            record.transponder = NormalTransponder(record.transponder.View());
        }
        ++slot;
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
bool FillFirstFields(C& choices, std::string_view name, std::string_view field, Disk& disk,
                     FileFlaws* flaws) {
    std::optional<std::string> bytes = ReadTextFile(name, disk);
    if (!bytes) return false;
    if (flaws) flaws->file = name;
    LineReader lines(*bytes);
    int number = 0;
    while (!lines.AtEnd() && choices.count < static_cast<int>(choices.items.size())) {
        FieldReader fields(lines.Next());
        std::string_view text = fields.Next();
        auto& item = choices.items[static_cast<std::size_t>(choices.count)];
        LineFlaw flaw;
        if (FieldFlaw(text, item.kCapacity, ++number, field, flaw)) {
            if (flaws) flaws->lines.push_back(flaw);
            continue;
        }
        item = text;
        ++choices.count;
    }
    return true;
}

}  // namespace

bool LoadClubs(ClubTable& table, Disk& disk, FileFlaws* flaws) {
    return LoadRecords(table, kClubsFile, disk, flaws);
}
bool LoadDrivers(DriverTable& table, Disk& disk, FileFlaws* flaws) {
    return LoadRecords(table, kDriversFile, disk, flaws);
}

// A frequency line holds no TAB: the whole line is the frequency, and a TAB in it a flaw.
bool LoadFrequencies(FrequencyTable& table, Disk& disk, FileFlaws* flaws) {
    std::optional<std::string> bytes = ReadTextFile(kFrequenciesFile, disk);
    if (!bytes) return false;
    if (flaws) flaws->file = kFrequenciesFile;
    LineReader lines(*bytes);
    int number = 0;
    for (std::size_t slot = 0; slot < table.size() && !lines.AtEnd();) {
        std::string_view line = lines.Next();
        LineFlaw flaw;
        if (FieldFlaw(line, table[slot].name.kCapacity, ++number, "frequency", flaw)) {
            if (flaws) flaws->lines.push_back(flaw);
            continue;
        }
        table[slot++].name = line;
    }
    return true;
}

bool FillCountryChoices(CountryChoices& choices, Disk& disk, FileFlaws* flaws) {
    return FillFirstFields(choices, kCountriesFile, "country", disk, flaws);
}
bool FillClubChoices(ClubChoices& choices, Disk& disk, FileFlaws* flaws) {
    return FillFirstFields(choices, kClubsFile, "name", disk, flaws);
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
