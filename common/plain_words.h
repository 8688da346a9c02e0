#pragma once

#include <cstdint>
#include <string_view>

#include "platform/text.h"

// What people read on paper and on screen where the files keep their own words: a run's
// description, a document's name.

namespace velkaro {

// A run's stored description ("Duration 5:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start
// 14/06/2026 9:05") in words, its parts joined by " \xB7 ". Parts the program never wrote stay
// as they are; empty parts are left out.
Text<160> RunDescriptionInWords(std::string_view stored);

// "Winter Cup - Touring - Closure report": the parts that are not empty.
Text<160> DocumentName(std::string_view eventName, std::string_view category,
                       std::string_view document);

// The run sheet's name from the panel's three heading lines ("Event : Winter Cup - Lille",
// "CATEGORY : Touring", "Qualification : Round1 - Heat2"): "Winter Cup - Touring -
// Round1 - Heat2 results". The circuit is left out, as the reports leave it out of theirs.
Text<160> RunDocumentName(std::string_view eventLine, std::string_view categoryLine,
                          std::string_view runLine);

}  // namespace velkaro
