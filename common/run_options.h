#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/circuits.h"
#include "platform/text.h"

namespace velkaro {

// Run option keywords as the event file spells them.
inline constexpr std::string_view kByLapsAndTime = "CLASSEMENTToursTemps";
inline constexpr std::string_view kByBestLap = "CLASSEMENTMeilleurTour";
inline constexpr std::string_view kDurationByTime = "DUREESERIETemps";
inline constexpr std::string_view kDurationByLaps = "DUREESERIETours";
inline constexpr std::string_view kStartAtSignal = "DEPARTSignalSonore";
inline constexpr std::string_view kStartStaggered = "DEPARTDecale";
inline constexpr std::string_view kStartFirstCar = "DEPARTPremiereVoiture";
inline constexpr std::string_view kTimeEndAtSignal = "FINTEMPSSignalSonore";
inline constexpr std::string_view kTimeEndFinishLap = "FINTEMPSFinirTour";
inline constexpr std::string_view kLapsEndAtSignal = "FINTOURSignalSonore";
inline constexpr std::string_view kLapsEndFinishLap = "FINTOURFinirTour";
inline constexpr std::string_view kLapsEndAllLaps = "FINTOURFaireTousLesTours";
inline constexpr std::string_view kOrderFixed = "ORDREDEPARTFixe";
inline constexpr std::string_view kOrderEditable = "ORDREDEPARTModifiable";

// What the keywords stand for. Unknown is any other word a file holds: every rule that asks
// for a particular keyword passes it by, as it passed the word by.
enum class Classification : std::uint8_t { ByLapsAndTime, ByBestLap, Unknown };
enum class DurationKind : std::uint8_t { ByTime, ByLaps, Unknown };
enum class StartMode : std::uint8_t { AtSignal, Staggered, FirstCar, Unknown };
enum class TimeEnd : std::uint8_t { AtSignal, FinishLap, Unknown };
enum class LapsEnd : std::uint8_t { AtSignal, FinishLap, AllLaps, Unknown };
enum class StartingOrder : std::uint8_t { Fixed, Editable, Unknown };

// Per option: the width of its slot in the files, its keywords in the order of its values, and
// its value for a category that has no options of its own.
template <typename E>
struct KeywordTable;
template <>
struct KeywordTable<Classification> {
    static constexpr std::size_t kWidth = 24;
    static constexpr std::array kWords{kByLapsAndTime, kByBestLap};
    static constexpr Classification kDefault = Classification::ByLapsAndTime;
};
template <>
struct KeywordTable<DurationKind> {
    static constexpr std::size_t kWidth = 17;
    static constexpr std::array kWords{kDurationByTime, kDurationByLaps};
    static constexpr DurationKind kDefault = DurationKind::ByTime;
};
template <>
struct KeywordTable<StartMode> {
    static constexpr std::size_t kWidth = 23;
    static constexpr std::array kWords{kStartAtSignal, kStartStaggered, kStartFirstCar};
    static constexpr StartMode kDefault = StartMode::AtSignal;
};
template <>
struct KeywordTable<TimeEnd> {
    static constexpr std::size_t kWidth = 22;
    static constexpr std::array kWords{kTimeEndAtSignal, kTimeEndFinishLap};
    static constexpr TimeEnd kDefault = TimeEnd::FinishLap;
};
template <>
struct KeywordTable<LapsEnd> {
    static constexpr std::size_t kWidth = 26;
    static constexpr std::array kWords{kLapsEndAtSignal, kLapsEndFinishLap, kLapsEndAllLaps};
    static constexpr LapsEnd kDefault = LapsEnd::FinishLap;
};
template <>
struct KeywordTable<StartingOrder> {
    static constexpr std::size_t kWidth = 23;
    static constexpr std::array kWords{kOrderFixed, kOrderEditable};
    static constexpr StartingOrder kDefault = StartingOrder::Fixed;
};

// The keyword of a value; empty for Unknown.
template <typename E>
constexpr std::string_view KeywordOf(E value) {
    constexpr auto& words = KeywordTable<E>::kWords;
    auto i = static_cast<std::size_t>(value);
    return i < words.size() ? words[i] : std::string_view();
}

// An option told apart once, where its file is read, and kept with its bytes: the counted lap
// compares values, and writing the option back gives the file what it held, an unknown word
// included.
template <typename E>
class Keyword {
    static constexpr auto& kWords = KeywordTable<E>::kWords;
    static_assert(static_cast<std::size_t>(E::Unknown) == kWords.size(),
                  "one keyword per value, in the order of the values, then Unknown");
    static_assert(
        [] {
            for (std::string_view w : kWords) {
                if (w.size() >= KeywordTable<E>::kWidth) return false;
            }
            return true;
        }(),
        "a keyword cut by its slot would never be recognised");

  public:
    Keyword() : Keyword(KeywordTable<E>::kDefault) {}
    Keyword(E value) : value_(value), text_(KeywordOf(value)) {}  // NOLINT: set from values

    // The word as a file gives it, cut to the option's slot as the slot always cut it.
    static Keyword Parse(std::string_view word) {
        Keyword k(E::Unknown);
        k.text_ = word;
        for (std::size_t i = 0; i < kWords.size(); ++i) {
            if (k.text_ == kWords[i]) k.value_ = static_cast<E>(i);
        }
        return k;
    }

    E Value() const { return value_; }
    std::string_view View() const { return text_.View(); }

    friend bool operator==(const Keyword& k, E value) { return k.value_ == value; }

  private:
    E value_;
    Text<KeywordTable<E>::kWidth> text_;
};

// A category without options of its own runs one minute or one lap, after a five-second
// countdown, with no delay before the next run.
inline constexpr std::int32_t kDefaultRunMinutes = 1;
inline constexpr std::int32_t kDefaultRunLaps = 1;
inline constexpr std::int32_t kDefaultCountdownSeconds = 5;
inline constexpr std::int32_t kDefaultDelayMinutes = 0;
// Shorter laps are not counted, unless the track sets its own minimum.
inline constexpr std::int32_t kDefaultMinimumLapSeconds = 2;

// The options of the run in the race panel, set when a heat or final is loaded.
struct RunOptions {
    Keyword<Classification> classification;
    Keyword<DurationKind> durationKind;
    Keyword<StartMode> startMode;
    Keyword<StartingOrder> startingOrder;
    Keyword<TimeEnd> timeEnd;
    Keyword<LapsEnd> lapsEnd;
    std::int32_t durationHours = kDefaultRunMinutes / 60;
    std::int32_t durationMinutes = kDefaultRunMinutes % 60;
    std::int32_t durationTotalMinutes = kDefaultRunMinutes;  // hours x 60 + minutes
    std::int32_t laps = kDefaultRunLaps;
    std::int32_t countdownSeconds = kDefaultCountdownSeconds;
    std::int32_t delayMinutes = kDefaultDelayMinutes;  // between this run and the next
    std::int32_t minimumLapSeconds = kDefaultMinimumLapSeconds;
    std::int32_t circuitIndex = kNoCircuit;
    std::int32_t passingLimit = 150;  // 300 for a final
    std::int32_t safetyHours = 2;     // longest a lap-limited run may last; 3 for a final
};

}  // namespace velkaro
