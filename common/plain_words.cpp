#include "common/plain_words.h"

#include <array>
#include <utility>

namespace velkaro {

namespace {

constexpr std::string_view kSeparator = " \xB7 ";

// Each run keyword with the words it stands for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kRunWords{{
    {"STARTSoundSignal", "Start at the signal"},
    {"STARTStaggered", "Staggered start"},
    {"START1stCar", "Start with the first car"},
    {"ENDSoundSignal", "cars stop at the signal"},
    {"ENDCompleteCurrentLap", "cars finish their lap"},
    {"ENDCompleteAllLaps", "cars complete all their laps"},
}};

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

template <std::size_t N>
void AppendPart(Text<N>& out, std::string_view part) {
    part = Trimmed(part);
    if (part.empty()) return;
    if (!out.Empty()) out.Append(kSeparator);
    out.Append(part);
}

}  // namespace

Text<160> RunDescriptionInWords(std::string_view stored) {
    Text<160> out;
    constexpr std::string_view kDash = " - ";
    while (!stored.empty()) {
        std::size_t cut = stored.find(kDash);
        std::string_view part = stored.substr(0, cut);
        stored =
            cut == std::string_view::npos ? std::string_view{} : stored.substr(cut + kDash.size());
        std::string_view shown = Trimmed(part);
        for (const auto& [keyword, words] : kRunWords) {
            if (shown == keyword) shown = words;
        }
        // The run's start date reads as when it started, not as a second start rule.
        constexpr std::string_view kStart = "Start ";
        Text<48> dated;
        if (shown.size() > kStart.size() && shown.substr(0, kStart.size()) == kStart &&
            shown[kStart.size()] >= '0' && shown[kStart.size()] <= '9') {
            dated = "started ";
            dated.Append(shown.substr(kStart.size()));
            shown = dated.View();
        }
        AppendPart(out, shown);
    }
    return out;
}

Text<160> DocumentName(std::string_view eventName, std::string_view category,
                       std::string_view document) {
    Text<160> out;
    for (std::string_view part : {eventName, category, document}) {
        part = Trimmed(part);
        if (part.empty()) continue;
        if (!out.Empty()) out.Append(" - ");
        out.Append(part);
    }
    return out;
}

namespace {

// What follows the line's "label : ", or the line when it has none.
std::string_view AfterLabel(std::string_view line) {
    std::size_t colon = line.find(" : ");
    return colon == std::string_view::npos ? line : line.substr(colon + 3);
}

}  // namespace

Text<160> RunDocumentName(std::string_view eventLine, std::string_view categoryLine,
                          std::string_view runLine) {
    std::string_view event = AfterLabel(eventLine);
    std::size_t circuit = event.rfind(" - ");
    if (circuit != std::string_view::npos) event = event.substr(0, circuit);
    Text<96> what;
    what = Trimmed(AfterLabel(runLine));
    what.Append(what.Empty() ? "Run results" : " results");
    return DocumentName(event, AfterLabel(categoryLine), what.View());
}

}  // namespace velkaro
