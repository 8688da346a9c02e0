#include "event/event_model.h"

namespace velkaro {

namespace {

bool SlotInUse(const RunCar& car) {
    return !car.driverName.Empty() && car.driverName.View() != kEmptySlotName;
}

}  // namespace

bool RunHoldsResult(const RunCars& cars) {
    for (const RunCar& car : cars) {
        if (SlotInUse(car) &&
            (car.passingCount != 0 || car.laps != 0 || car.totalTime != 0 || car.bestLap != 0)) {
            return true;
        }
    }
    return false;
}

int CarsInUse(const RunCars& cars) {
    int n = 0;
    for (const RunCar& car : cars) n += SlotInUse(car) ? 1 : 0;
    return n;
}

namespace {

// A title built from its format and numbers.
template <typename... Numbers>
SectionTitle Title(CheckedFormat<std::type_identity_t<Numbers>...> format, Numbers... numbers) {
    SectionTitle t;
    Format(t, format, numbers...);
    return t;
}

}  // namespace

SectionTitle ParticipantsTitle(int category) {
    return Title("Cat\xE9gorie%dListeParticipants", category);
}

SectionTitle HeatSlotListTitle(int category) {
    return Title("Cat\xE9gorie%dR\xE9partitionQualifs", category);
}

SectionTitle QualifOptionsTitle(int category) {
    return Title("Cat\xE9gorie%dQualifsParam\xE8tres", category);
}

SectionTitle StartingGridsTitle(int category) {
    return Title("Cat\xE9gorie%dGrilleD\xE9partQualifs", category);
}

SectionTitle HeatTitle(int category, int round, int heat) {
    return Title("Cat\xE9gorie%dM%dS%d", category, round, heat);
}

SectionTitle RoundClassificationTitle(int category, int round) {
    return Title("Cat\xE9gorie%dM%dClassement", category, round);
}

SectionTitle OverallClassificationTitle(int category) {
    return Title("Cat\xE9gorie%dClassementFinalQualifs", category);
}

// "\xE9" is split from a following "es": "\xE9es" would read as one hexadecimal escape.
SectionTitle FinalsOptionsTitle(int category) {
    return Title(
        "Cat\xE9gorie%dRemont\xE9"
        "esParam\xE8tres",
        category);
}

SectionTitle FinalsLadderTitle(int category) {
    return Title(
        "Cat\xE9gorie%dR\xE9partitionRemont\xE9"
        "es",
        category);
}

SectionTitle FinalsGridsTitle(int category) {
    return Title(
        "Cat\xE9gorie%dGrilleD\xE9partRemont\xE9"
        "es",
        category);
}

SectionTitle FinalsRunTitle(int category, int level, char letter) {
    SectionTitle t;
    if (level == 0) {
        Format(t,
               "Cat\xE9gorie%dRemont\xE9"
               "esFinale",
               category);
    } else {
        Format(t,
               "Cat\xE9gorie%dRemont\xE9"
               "es%d%c",
               category, level >= 1 && level <= 30 ? 1 << level : 0, letter);
    }
    return t;
}

}  // namespace velkaro
