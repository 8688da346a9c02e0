#include "event/section.h"

#include <algorithm>
#include <cstring>

namespace velkaro {

namespace {

constexpr std::size_t kBufferChars = 104;  // a 105-byte buffer and its terminating zero

// A text as a zero-filled 105-byte buffer holds it: cut at 104 characters, and trailing zero
// bytes no different from the filling.
std::string_view AsBuffer(std::string_view s) {
    s = s.substr(0, std::min(s.size(), kBufferChars));
    while (!s.empty() && s.back() == '\0') s.remove_suffix(1);
    return s;
}

// The first field of the line [p, lineEnd): up to the first TAB, or to the line end without
// the CR before the LF. Only what a buffer keeps is looked at.
std::string_view FirstField(const char* p, const char* lineEnd, bool endsWithLf) {
    auto length = static_cast<std::size_t>(lineEnd - p);
    const void* tab = std::memchr(p, '\t', std::min(length, kBufferChars + 1));
    std::size_t field = length;
    if (tab) {
        field = static_cast<std::size_t>(static_cast<const char*>(tab) - p);
    } else if (endsWithLf && field > 0 && p[field - 1] == '\r') {
        --field;
    }
    return {p, field};
}

const char* NextLf(const char* p, const char* end) {
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
}

bool Consume(std::string_view& s, std::string_view prefix) {
    if (s.substr(0, prefix.size()) != prefix) return false;
    s.remove_prefix(prefix.size());
    return true;
}

bool ConsumeNumber(std::string_view& s) {
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
    s.remove_prefix(digits);
    return digits > 0;
}

// Whether a first field is one of the titles the system writes. ("\xE9" is kept apart from a
// following "es", which would otherwise continue the escape.)
bool IsSectionTitle(std::string_view f) {
    if (f == "PisteCourse" || f == "Cat\xE9gorieDrapeauxTreeview") return true;
    if (!Consume(f, "Cat\xE9gorie") || !ConsumeNumber(f)) return false;
    // clang-format off
    static constexpr std::string_view kFixed[] = {
        "ListeParticipants", "R\xE9partitionQualifs", "QualifsParam\xE8tres",
        "GrilleD\xE9partQualifs", "ClassementFinalQualifs", "Remont\xE9" "esParam\xE8tres",
        "R\xE9partitionRemont\xE9" "es", "Remont\xE9" "esFinale"};
    // clang-format on
    for (std::string_view fixed : kFixed) {
        if (f == fixed) return true;
    }
    if (Consume(f, "M")) {
        return ConsumeNumber(f) &&
               (f == "Classement" || (Consume(f, "S") && ConsumeNumber(f) && f.empty()));
    }
    constexpr std::string_view kRuns =
        "Remont\xE9"
        "es";
    return Consume(f, kRuns) && ConsumeNumber(f) && (f == "A" || f == "B");
}

// Whether a title line appended for `title` would be found again.
bool Findable(std::string_view title) {
    if (AsBuffer(title).empty()) return false;
    std::string line(title);
    line += "\t\r\n";
    return FindSectionIn(line, title).found;
}

}  // namespace

SectionPosition FindSectionIn(std::string_view file, std::string_view title) {
    const std::string_view key = AsBuffer(title);
    const char* const begin = file.data();
    const char* const end = begin + file.size();
    const char* p = begin;
    // Bound by the line-end search: a line is looked at only when its first byte could start
    // the title.
    while (p < end) {
        const char* lf = NextLf(p, end);
        const char* lineEnd = lf ? lf : end;
        if ((key.empty() || *p == key[0]) && AsBuffer(FirstField(p, lineEnd, lf)) == key) {
            return {true, lf ? static_cast<std::size_t>(lf + 1 - begin) : file.size()};
        }
        if (!lf) break;
        p = lf + 1;
    }
    return {};
}

std::string Reservation(int pairs) {
    std::size_t n = pairs > 0 ? static_cast<std::size_t>(pairs) : 0;
    std::string r(2 * n + 2, '\t');
    char* p = r.data();
    for (std::size_t i = 0; i < n; ++i) p[2 * i] = '1';
    p[2 * n] = '\r';
    p[2 * n + 1] = '\n';
    return r;
}

namespace {

// The extent up to the next title line; with `separatedOnly`, up to the next title line that
// follows an empty line, as every section the system appends does.
std::size_t Extent(std::string_view file, std::size_t start, bool separatedOnly) {
    if (start >= file.size()) return 0;
    const char* const begin = file.data();
    const char* const end = begin + file.size();
    const char* p = begin + start;
    const char* previous = nullptr;  // the line before, when it is empty
    while (p < end) {
        const char* lf = NextLf(p, end);
        const char* lineEnd = lf ? lf : end;
        if ((*p == 'C' || *p == 'P') && (previous || !separatedOnly) &&
            IsSectionTitle(FirstField(p, lineEnd, lf))) {
            return static_cast<std::size_t>((previous ? previous : p) - begin) - start;
        }
        auto length = lineEnd - p;
        previous = lf && (length == 0 || (length == 1 && *p == '\r')) ? p : nullptr;
        if (!lf) break;
        p = lf + 1;
    }
    return file.size() - start;
}

}  // namespace

std::size_t ExtentFrom(std::string_view file, std::size_t start) {
    return Extent(file, start, false);
}

RegionWrite PlaceRegion(std::string_view file, std::size_t start, int pairs,
                        std::string_view content, bool keepLineEnd) {
    pairs = std::max(pairs, 0);
    std::size_t room = 2 * static_cast<std::size_t>(pairs) + (keepLineEnd ? 0 : 2);
    if (content.size() > room) pairs = static_cast<int>(content.size() / 2 + 1);
    std::string region = Reservation(pairs);
    region.replace(0, content.size(), content);

    RegionWrite w;
    w.regionSize = region.size();
    std::size_t extent = ExtentFrom(file, start);
    // A rewrite with the parameters the section was reserved with lays exactly its old bytes,
    // which end where the next section's empty line begins, or where the file ends. Lines
    // inside them that read like titles (a driver so named) are then its own data.
    if (region.size() > extent && Extent(file, start, true) == region.size()) {
        extent = region.size();
    }
    if (region.size() <= extent) {
        w.replacedEnd = start + region.size();
    } else {
        w.replacedEnd = start + extent;
        w.shift = static_cast<std::int64_t>(region.size() - extent);
        if (start + extent < file.size()) region.append(file.substr(start + extent));
    }
    w.patch = {start, std::move(region)};
    return w;
}

SectionWrite PlanSectionWrite(std::string_view file, std::string_view title, int pairs,
                              std::string_view content, bool mayCreate) {
    SectionWrite w;
    // An empty title would "find" the first empty line and write over what follows it.
    if (AsBuffer(title).empty()) return w;
    SectionPosition pos = FindSectionIn(file, title);
    std::string head;
    if (pos.found) {
        bool cutShort = pos.body == file.size() && (file.empty() || file.back() != '\n');
        if (!cutShort) {
            w.written = true;
            w.body = pos.body;
            w.region = PlaceRegion(file, pos.body, pairs, content, false);
            return w;
        }
        // The title line ends the file without its line end: give it one, or the body would
        // run on from the title.
        head = "\r\n";
    } else {
        if (!mayCreate || !Findable(title)) return w;
        head = "\r\n";
        head.append(title);
        head += "\t\r\n";
    }
    RegionWrite tail = PlaceRegion({}, 0, pairs, content, false);
    w.written = true;
    w.body = file.size() + head.size();
    w.region.regionSize = tail.regionSize;
    w.region.replacedEnd = file.size();
    w.region.patch = {file.size(), head + tail.patch.bytes};
    return w;
}

}  // namespace velkaro
