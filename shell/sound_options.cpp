#include "shell/sound_options.h"

#include <type_traits>

namespace velkaro {

namespace {

template <typename Settings, typename Visit>
auto OnLine(Settings& s, int line, Visit visit) {
    switch (line) {
        case 1:
            return visit(s.language);
        case 2:
            return visit(s.countdown);
        case 3:
            return visit(s.start);
        case 4:
            return visit(s.passing);
        case 5:
            return visit(s.bestLap);
        case 6:
            return visit(s.clock);
        case 7:
            return visit(s.endOfRace);
        case 8:
            return visit(s.carFinish);
        default:
            return visit(nullptr);
    }
}

}  // namespace

std::string_view SoundKeyword(const SoundSettings& s, int line) {
    return OnLine(s, line, [](const auto& slot) -> std::string_view {
        if constexpr (std::is_null_pointer_v<std::decay_t<decltype(slot)>>) {
            return {};
        } else {
            return slot.View();
        }
    });
}

void SetSoundKeyword(SoundSettings& s, int line, std::string_view keyword) {
    OnLine(s, line, [keyword](auto&& slot) {
        if constexpr (!std::is_null_pointer_v<std::decay_t<decltype(slot)>>) slot = keyword;
    });
}

bool EnglishChecked(const SoundSettings& s) {
    return s.language == kLanguageEnglish;
}

bool SoundChecked(const SoundSettings& s, const SoundCheck& check) {
    return SoundKeyword(s, check.line) == check.on;
}

void ClickSoundControl(SoundSettings& s, int id, bool checked) {
    if (id == kSoundEnglishRadio && checked) s.language = kLanguageEnglish;
    if (id == kSoundFrenchRadio && checked) s.language = kLanguageFrench;
    for (const SoundCheck& c : kSoundChecks) {
        if (c.id == id) SetSoundKeyword(s, c.line, checked ? c.on : c.off);
    }
}

}  // namespace velkaro
