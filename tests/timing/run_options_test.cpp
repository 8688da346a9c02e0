#include "common/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "event/sections.h"
#include "tests/event/fields.h"

namespace velkaro {
namespace {

using test::Fields;

// Each word reads as its value and keeps its bytes; a known value gives its word back.
template <typename E>
void ExpectReadAs(std::initializer_list<std::pair<std::string_view, E>> cases) {
    for (const auto& [word, value] : cases) {
        SCOPED_TRACE(word);
        Keyword<E> read = Keyword<E>::Parse(word);
        EXPECT_EQ(read.Value(), value);
        EXPECT_EQ(read.View(), word);
        EXPECT_EQ(Keyword<E>(value).View(), value == E::Unknown ? "" : word);
    }
}

TEST(RunOptions, KeywordsAndValuesRoundTrip) {
    using C = Classification;
    ExpectReadAs<C>({{"CLASSEMENTToursTemps", C::ByLapsAndTime},
                     {"CLASSEMENTMeilleurTour", C::ByBestLap},
                     {"classementtourstemps", C::Unknown},
                     {"CLASSEMENTToursTemps ", C::Unknown},
                     {"", C::Unknown}});
    ExpectReadAs<DurationKind>({{"DUREESERIETemps", DurationKind::ByTime},
                                {"DUREESERIETours", DurationKind::ByLaps},
                                {"DUREESERIE", DurationKind::Unknown}});
    ExpectReadAs<StartMode>({{"DEPARTSignalSonore", StartMode::AtSignal},
                             {"DEPARTDecale", StartMode::Staggered},
                             {"DEPARTPremiereVoiture", StartMode::FirstCar},
                             {"FINTEMPSFinirTour", StartMode::Unknown}});
    ExpectReadAs<TimeEnd>({{"FINTEMPSSignalSonore", TimeEnd::AtSignal},
                           {"FINTEMPSFinirTour", TimeEnd::FinishLap},
                           {"FINTOURFinirTour", TimeEnd::Unknown}});
    ExpectReadAs<LapsEnd>({{"FINTOURSignalSonore", LapsEnd::AtSignal},
                           {"FINTOURFinirTour", LapsEnd::FinishLap},
                           {"FINTOURFaireTousLesTours", LapsEnd::AllLaps},
                           {"FINTOUR\xC9", LapsEnd::Unknown}});
    ExpectReadAs<StartingOrder>({{"ORDREDEPARTFixe", StartingOrder::Fixed},
                                 {"ORDREDEPARTModifiable", StartingOrder::Editable},
                                 {"ORDREDEPART", StartingOrder::Unknown}});
    // A word is cut to its slot before it is recognised.
    Keyword<StartMode> cut =
        Keyword<StartMode>::Parse(std::string(kStartStaggered) + "0123456789X");
    EXPECT_EQ(Fields(cut.View(), cut.Value() == StartMode::Unknown), "DEPARTDecale0123456789|1");
}

TEST(RunOptions, EveryRecordStartsFromTheOptionsOfACategoryWithoutAny) {
    const std::string keywords =
        "CLASSEMENTToursTemps|DUREESERIETemps|DEPARTSignalSonore|ORDREDEPARTFixe|"
        "FINTEMPSFinirTour|FINTOURFinirTour|";
    RunOptions r;
    EXPECT_EQ(Fields(r.classification, r.durationKind, r.startMode, r.startingOrder, r.timeEnd,
                     r.lapsEnd, r.durationTotalMinutes, r.laps, r.countdownSeconds, r.delayMinutes),
              keywords + "1|1|5|0");
    QualifOptions q;
    EXPECT_EQ(Fields(q.placing, q.durationKind, q.start, q.startingOrder, q.endAtTime, q.endAtLaps,
                     q.runMinutes, q.runLaps, q.countdownSeconds, q.delayMinutes),
              keywords + "1|1|5|0");
    FinalsOptions f;
    EXPECT_EQ(Fields(f.start, f.endAtTime, f.countdownSeconds),
              "DEPARTSignalSonore|FINTEMPSFinirTour|5");
}

}  // namespace
}  // namespace velkaro
