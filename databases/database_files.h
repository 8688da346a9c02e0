#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "databases/file_flaws.h"
#include "platform/disk.h"
#include "platform/text.h"

// The clubs, drivers, frequencies and countries files, each read whole into a fixed table and
// written whole (circuits_file.h and transponder_sets.h hold the other two).

namespace velkaro {

inline constexpr int kClubRecords = 100;
inline constexpr int kDriverRecords = 1000;
inline constexpr int kFrequencyRecords = 100;
inline constexpr int kCountryLines = 208;
inline constexpr int kFrequencyLength = 6;  // a frequency is exactly this many characters

inline constexpr std::string_view kClubsFile =
    "BaseDonn\xE9"
    "esClubs.bd";
inline constexpr std::string_view kDriversFile =
    "BaseDonn\xE9"
    "esPilotes.bd";
inline constexpr std::string_view kFrequenciesFile =
    "BaseDonn\xE9"
    "esFr\xE9quences.bd";
inline constexpr std::string_view kCountriesFile =
    "BaseDonn\xE9"
    "esPays.bd";

inline constexpr std::string_view kClubsFileNotFound = "Error: Clubs database file not found";
inline constexpr std::string_view kDriversFileNotFound = "Error: Drivers database file not found";
inline constexpr std::string_view kFrequenciesFileNotFound =
    "Error: Frequencies database file not found";
inline constexpr std::string_view kCountriesFileNotFound =
    "Error: Countries database file not found";

struct ClubRecord {
    Text<50> name;
    Text<15> initials;
    Text<40> address;
    Text<40> address2;
    Text<15> zipCode;
    Text<40> location;
    Text<35> country;
    Text<20> phone;
    Text<40> email;
};
using ClubTable = std::array<ClubRecord, kClubRecords>;

struct DriverRecord {
    Text<40> name;
    Text<40> address;
    Text<40> address2;
    Text<15> zipCode;
    Text<40> location;
    Text<35> country;
    Text<20> phone;
    Text<40> email;
    Text<20> birthday;  // free text
    Text<20> licence;
    Text<7> transponder;
    Text<50> club;
    Text<260> image;  // full path of a .bmp photo
};
using DriverTable = std::array<DriverRecord, kDriverRecords>;

// One line of the frequencies file.
struct FrequencyRecord {
    Text<7> name;
};
using FrequencyTable = std::array<FrequencyRecord, kFrequencyRecords>;

// What a drop-down list offers, in file order.
template <std::size_t Width, std::size_t Capacity>
struct Choices {
    std::array<Text<Width>, Capacity> items{};
    int count = 0;
};
using CountryChoices = Choices<35, kCountryLines>;
using ClubChoices = Choices<50, kClubRecords>;

// Loaders read records in file order into slots 0, 1, ... of a table the caller has cleared,
// never past its capacity; a record with an empty name keeps its slot. A line that a slot could
// not hold whole (see file_flaws.h) is left out and listed in `flaws`, which the caller tells.
// False when the file cannot be opened.
bool LoadClubs(ClubTable& table, Disk& disk, FileFlaws* flaws = nullptr);
bool LoadDrivers(DriverTable& table, Disk& disk, FileFlaws* flaws = nullptr);
bool LoadFrequencies(FrequencyTable& table, Disk& disk, FileFlaws* flaws = nullptr);
// The first field of every line (the countries file), of every record (the clubs file).
bool FillCountryChoices(CountryChoices& choices, Disk& disk, FileFlaws* flaws = nullptr);
bool FillClubChoices(ClubChoices& choices, Disk& disk, FileFlaws* flaws = nullptr);

// Savers replace the file whole with the first `count` records (the names the form lists). A
// crash leaves the old file or the new one. False when the file cannot be written.
bool SaveClubs(const ClubTable& table, int count, Disk& disk);
bool SaveDrivers(const DriverTable& table, int count, Disk& disk);
bool SaveFrequencies(const FrequencyTable& table, int count, Disk& disk);

}  // namespace velkaro
