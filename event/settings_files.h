#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/drawing.h"
#include "platform/disk.h"
#include "platform/text.h"

// Settings that outlive an event: which sounds are played, and how the live screen looks.

namespace velkaro {

inline constexpr std::string_view kSoundSettingsFile = "R\xE9glagesSons.rg";
inline constexpr std::string_view kDisplaySettingsFile = "Private/R\xE9glagesAffichage.rgsc";

inline constexpr std::string_view kSoundSettingsFileNotFound =
    "Error: Sound settings file not found";
inline constexpr std::string_view kDisplaySettingsFileNotFound =
    "Error: Display settings file not found";

// Each setting is its keyword, in a slot sized for the longest keyword of its line; a setting
// is on when it holds its "oui" keyword.
struct SoundSettings {
    Text<18> language;   // "SONLANGUEAnglais" or "SONLANGUEFrancais"
    Text<15> countdown;  // "SONDECOMPTEoui" / "SONDECOMPTEnon"
    Text<13> start;      // "SONDEPARToui" / ...non
    Text<14> passing;    // "SONPASSAGEoui" / ...non
    Text<19> bestLap;    // "SONMEILLEURTOURoui" / ...non
    Text<14> clock;      // "SONHORLOGEoui" / ...non
    Text<16> endOfRace;  // "SONFINCOURSEoui" / ...non
    Text<17> carFinish;  // "SONFINVOITUREoui" / ...non
};

inline constexpr std::string_view kLanguageEnglish = "SONLANGUEAnglais";
inline constexpr std::string_view kLanguageFrench = "SONLANGUEFrancais";
inline constexpr std::string_view kCountdownOn = "SONDECOMPTEoui";
inline constexpr std::string_view kCountdownOff = "SONDECOMPTEnon";
inline constexpr std::string_view kStartOn = "SONDEPARToui";
inline constexpr std::string_view kStartOff = "SONDEPARTnon";
inline constexpr std::string_view kPassingOn = "SONPASSAGEoui";
inline constexpr std::string_view kPassingOff = "SONPASSAGEnon";
inline constexpr std::string_view kBestLapOn = "SONMEILLEURTOURoui";
inline constexpr std::string_view kBestLapOff = "SONMEILLEURTOURnon";
inline constexpr std::string_view kClockOn = "SONHORLOGEoui";
inline constexpr std::string_view kClockOff = "SONHORLOGEnon";
inline constexpr std::string_view kEndOfRaceOn = "SONFINCOURSEoui";
inline constexpr std::string_view kEndOfRaceOff = "SONFINCOURSEnon";
inline constexpr std::string_view kCarFinishOn = "SONFINVOITUREoui";
inline constexpr std::string_view kCarFinishOff = "SONFINVOITUREnon";

// Eight words separated by white space; settings beyond the words found keep their values.
// False, with nothing changed, when the file cannot be opened.
bool ReadSoundSettings(SoundSettings& settings, Disk& disk);
bool WriteSoundSettings(const SoundSettings& settings, Disk& disk);

struct TextStyleSetting {
    Text<32> faceName;
    std::int32_t size = 0;  // in 1/1600 of the screen width
    std::int32_t weight = 0;
    std::int32_t italic = 0;
    std::int32_t underline = 0;
    std::int32_t strikeOut = 0;
    friend bool operator==(const TextStyleSetting&, const TextStyleSetting&) = default;
};

// A colour is 0x00BBGGRR.
struct DisplaySettings {
    std::int32_t style = 0;  // 1 relief, 0 gradient
    std::array<std::int32_t, 9> columnWidths{};
    std::array<TextStyleSetting, 12> textStyles{};
    std::array<std::uint32_t, 12> textColours{};
    std::array<std::uint32_t, 13> colours{};
    friend bool operator==(const DisplaySettings&, const DisplaySettings&) = default;
};
using CustomColours = std::array<std::uint32_t, 16>;

// Also the display files "*.scrn". Values beyond what the file holds keep theirs; the caller
// clears the face names first.
bool ReadDisplaySettings(std::string_view fileName, DisplaySettings& settings,
                         CustomColours& custom, Disk& disk);
bool WriteDisplaySettings(std::string_view fileName, const DisplaySettings& settings,
                          const CustomColours& custom, Disk& disk);

// The font of text style `style` (0 to 7) on a screen of this size.
Font StyleFont(const DisplaySettings& settings, int style, const ScreenSize& screen);

}  // namespace velkaro
