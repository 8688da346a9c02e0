#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string_view>

#include "common/circuits.h"
#include "databases/database_files.h"
#include "platform/text.h"

// The rules the circuits, clubs, drivers and frequencies editors share, over the tables they
// edit: a sorted list of names, "New" and "Add", "Remove", and the selected record's details.

namespace velkaro {

// A text slot of any width, for tables of fields that differ in width.
struct TextRef {
    char* bytes;
    std::size_t width;

    std::string_view View() const {
        const void* end = std::memchr(bytes, '\0', width);
        return {bytes,
                end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes) : width - 1};
    }
    void Assign(std::string_view s) {
        std::memset(bytes, 0, width);
        if (!s.empty()) std::memcpy(bytes, s.data(), std::min(s.size(), width - 1));
    }
};
template <std::size_t N>
TextRef RefOf(Text<N>& t) {
    return {t.Data(), N};
}

// How a table takes a new name.
struct AddRules {
    int capacity;           // names the list may hold
    int newMaxChars;        // what "New" takes
    bool caseInsensitive;   // duplicates compared lower-cased (drivers)
    bool refuseEventWords;  // names the event file gives a meaning of their own (drivers)
    int exactLength;        // 0: any length
};
inline constexpr AddRules kCircuitRules{kCircuitRecords, 39, false, false, 0};
inline constexpr AddRules kClubRules{kClubRecords, 48, false, false, 0};
inline constexpr AddRules kDriverRules{kDriverRecords, 38, true, true, 0};
inline constexpr AddRules kFrequencyRules{kFrequencyRecords, kFrequencyLength, false, false,
                                          kFrequencyLength};

// The names a driver may not take: they mark lines of their own in the event file.
bool IsEventWord(std::string_view name);

// Lower-cases A to Z over the whole slot, as the sort and the drivers' duplicates compare.
template <std::size_t N>
Text<N> SortKey(const Text<N>& name) {
    Text<N> key = name;
    for (char& c : key.bytes) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

// Orders the first `slotCount` records by name: case-insensitive byte order, equal keys in reverse
// slot order, empty names last. The order is that of choosing, pass after pass, the smallest key
// with the highest slot among equals; one sort of indices gives it without the n-squared passes.
template <typename Table>
void SortByName(Table& table, int slotCount = static_cast<int>(std::tuple_size_v<Table>)) {
    constexpr std::size_t kSize = std::tuple_size_v<Table>;
    using Name = decltype(table[0].name);
    std::array<Name, kSize> keys;
    std::array<std::int16_t, kSize> order;
    std::size_t n = static_cast<std::size_t>(std::clamp(slotCount, 0, static_cast<int>(kSize)));
    for (std::size_t i = 0; i < n; ++i) keys[i] = SortKey(table[i].name);
    std::iota(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(n), std::int16_t{0});
    std::sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(n),
              [&keys](std::int16_t a, std::int16_t b) {
                  const Name& ka = keys[static_cast<std::size_t>(a)];
                  const Name& kb = keys[static_cast<std::size_t>(b)];
                  if (ka.Empty() != kb.Empty()) return kb.Empty();
                  int c = std::memcmp(ka.bytes.data(), kb.bytes.data(), ka.bytes.size());
                  return c != 0 ? c < 0 : a > b;
              });
    // Output position i takes record order[i]: follow each cycle of the permutation with one
    // record held aside.
    std::array<bool, kSize> placed{};
    for (std::size_t i = 0; i < n; ++i) {
        if (placed[i]) continue;
        auto held = table[i];
        std::size_t at = i;
        for (;;) {
            std::size_t from = static_cast<std::size_t>(order[at]);
            placed[at] = true;
            if (from == i) {
                table[at] = held;
                break;
            }
            table[at] = table[from];
            at = from;
        }
    }
}

// The names the list shows: slotCount 0, 1, ... up to the first empty name.
template <typename Table>
int NameCount(const Table& table, int slotCount = static_cast<int>(std::tuple_size_v<Table>)) {
    int n = 0;
    while (n < slotCount && !table[static_cast<std::size_t>(n)].name.Empty()) ++n;
    return n;
}

// Adds the typed name and sorts: the new name's position, or -1 when refused (empty, beginning
// with a space, of the wrong length, a duplicate, a reserved word, or the list full).
// Whether a record already holds the typed name, as AddName compares names.
template <typename Table>
bool NameTaken(const Table& table, std::string_view typed, const AddRules& rules) {
    using Name = decltype(table[0].name);
    Name name(typed.substr(0, std::min<std::size_t>(typed.size(), Name::kCapacity)));
    Name key = SortKey(name);
    for (const auto& record : table) {
        if (rules.caseInsensitive ? SortKey(record.name) == key : record.name == name) return true;
    }
    return false;
}

template <typename Table>
int AddName(Table& table, std::string_view typed, const AddRules& rules) {
    using Name = decltype(table[0].name);
    typed = typed.substr(0, std::min<std::size_t>(typed.size(), Name::kCapacity));
    if (typed.empty() || typed[0] == ' ') return -1;
    if (rules.exactLength != 0 && static_cast<int>(typed.size()) != rules.exactLength) return -1;
    if (rules.refuseEventWords && IsEventWord(typed)) return -1;
    if (NameTaken(table, typed, rules)) return -1;
    Name name(typed);
    int count = NameCount(table, rules.capacity);
    if (count >= rules.capacity) return -1;
    table[static_cast<std::size_t>(count)].name = name;
    SortByName(table, rules.capacity);
    for (int i = 0; i < rules.capacity; ++i) {
        if (table[static_cast<std::size_t>(i)].name == name) return i;
    }
    return -1;  // unreachable: the name was just stored
}

// Clears every record named like the one at `position`, then sorts.
template <typename Table>
void RemoveName(Table& table, int position, int slotCount) {
    if (position < 0 || position >= slotCount) return;
    using Name = decltype(table[0].name);
    Name name = table[static_cast<std::size_t>(position)].name;
    for (int i = 0; i < slotCount; ++i) {
        auto& record = table[static_cast<std::size_t>(i)];
        if (record.name == name) record = {};
    }
    SortByName(table, slotCount);
}

// "Clear": the circuit has no record any more.
void ClearCircuitRecord(CircuitRecord& circuit);

// The detail fields of a form, top to bottom.
enum class FieldKind { Edit, ReadOnly, Country, Club, Transponder };
template <typename Record>
struct DetailField {
    std::string_view label;
    int maxChars;
    FieldKind kind;
    std::string_view unit;  // shown after the field
    TextRef (*slot)(Record&);
};

inline constexpr std::array<DetailField<CircuitRecord>, 5> kCircuitFields{{
    {"Length :", 4, FieldKind::Edit, "m", [](CircuitRecord& r) { return RefOf(r.length); }},
    {"Record Laptime :", 14, FieldKind::ReadOnly, "",
     [](CircuitRecord& r) { return RefOf(r.recordLapText); }},
    {"by", 39, FieldKind::ReadOnly, "", [](CircuitRecord& r) { return RefOf(r.recordHolder); }},
    {"Min. lap time :", 3, FieldKind::Edit, "s",
     [](CircuitRecord& r) { return RefOf(r.minimumLapTime); }},
    {"Location :", 38, FieldKind::Edit, "", [](CircuitRecord& r) { return RefOf(r.location); }},
}};

inline constexpr std::array<DetailField<ClubRecord>, 8> kClubFields{{
    {"Initials :", 13, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.initials); }},
    {"Address :", 38, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.address); }},
    {"Address :", 38, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.address2); }},
    {"Zip code :", 13, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.zipCode); }},
    {"Location :", 38, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.location); }},
    {"Country :", 34, FieldKind::Country, "", [](ClubRecord& r) { return RefOf(r.country); }},
    {"Phone :", 18, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.phone); }},
    {"Email :", 38, FieldKind::Edit, "", [](ClubRecord& r) { return RefOf(r.email); }},
}};

inline constexpr std::array<DetailField<DriverRecord>, 11> kDriverFields{{
    {"Address :", 38, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.address); }},
    {"Address :", 38, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.address2); }},
    {"Zip code :", 13, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.zipCode); }},
    {"Location :", 38, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.location); }},
    {"Country :", 34, FieldKind::Country, "", [](DriverRecord& r) { return RefOf(r.country); }},
    {"Phone :", 18, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.phone); }},
    {"Email :", 38, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.email); }},
    {"Birthday :", 18, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.birthday); }},
    {"Licence :", 18, FieldKind::Edit, "", [](DriverRecord& r) { return RefOf(r.licence); }},
    {"Transponder :", 6, FieldKind::Transponder, "",
     [](DriverRecord& r) { return RefOf(r.transponder); }},
    {"Club :", 49, FieldKind::Club, "", [](DriverRecord& r) { return RefOf(r.club); }},
}};

// The picture area of a form, in client pixels: the image is drawn stretched into it, a left
// double-click inside chooses a .bmp, a right double-click clears it.
struct PictureArea {
    int left, top, width, height;
    bool Contains(int x, int y) const {
        return x >= left && x <= left + width && y >= top && y <= top + height;
    }
};
inline constexpr PictureArea kCircuitPicture{541, 51, 217, 148};
inline constexpr PictureArea kDriverPicture{541, 31, 217, 148};
inline constexpr std::string_view kImageFilter = "Image (.bmp)";
inline constexpr std::string_view kImagePattern = "*.bmp";

}  // namespace velkaro
