#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "event/settings_files.h"
#include "platform/canvas.h"

// The rules of the "Display options" form: its painted areas, the column widths, the fonts as
// the chooser shows them, and which display files may be taken.

namespace velkaro {

inline constexpr int kReliefRadio = 3801;
inline constexpr int kGradientRadio = 3802;
inline constexpr int kColumnList = 3803;
inline constexpr int kWidthField = 3804;
inline constexpr int kWidthPlus = 3805;
inline constexpr int kWidthMinus = 3806;
inline constexpr int kLoadDisplayButton = 3807;
inline constexpr int kSaveDisplayButton = 3808;
inline constexpr int kRaceScreenList = 3827;  // where the race screen shows

inline constexpr std::string_view kDisplayFileFilter = "Display file (.scrn)";
inline constexpr std::string_view kDisplayFilePattern = "*.scrn";
inline constexpr std::string_view kFontSample = "AaBbYyZz";
inline constexpr std::int32_t kMaxDisplayWidth = 999;
// Far above the chooser's largest size of 50: a file from a projector set-up may hold more.
inline constexpr std::int32_t kMaxDisplayFontSize = 400;

// The form's painted areas, in client pixels: the 13 colours, then the four font samples.
inline constexpr int kColourAreas = 13;
inline constexpr int kFontSamples = 4;
inline constexpr std::array<Rect, kColourAreas + kFontSamples> kDisplayAreas{{
    {200, 85, 240, 105},
    {200, 115, 240, 135},
    {200, 145, 240, 165},
    {200, 215, 240, 235},
    {200, 245, 240, 265},
    {200, 275, 240, 295},
    {200, 305, 240, 325},
    {200, 335, 240, 355},
    {200, 405, 240, 425},
    {250, 405, 290, 425},
    {200, 435, 240, 455},
    {250, 435, 290, 455},
    {300, 435, 390, 455},
    {250, 215, 340, 235},
    {250, 245, 340, 265},
    {300, 405, 390, 425},
    {300, 500, 390, 520},
}};

// The area strictly containing the point (a frame line is outside), colours first; -1 when none.
int DisplayAreaAt(int x, int y);
// The text style a font sample shows: the fourth follows the chosen column.
int SampleStyle(int sample, int column);

// "+" and "-" on a width, and a typed width, kept within 0 to 999.
std::int32_t WidthPlus(std::int32_t width);
std::int32_t WidthMinus(std::int32_t width);
std::int32_t TypedWidth(std::string_view text);

// A text style as the font chooser takes it: its stored size is the pixel height on a screen
// 1600 pixels wide.
Font ChooserFont(const TextStyleSetting& style);
void TakeChosenFont(TextStyleSetting& style, const Font& chosen);

// The name a "Save" writes to: ".scrn" added when the name lacks it.
std::string WithDisplayExtension(std::string name);

// A display file checked whole before anything is taken from it: 11 lines, 12 face names that
// fit their slots, 110 numbers within their ranges. On refusal `why` says what is wrong and the
// settings are untouched.
enum class DisplayFileRead { Taken, NotFound, Refused };
DisplayFileRead ReadDisplayFileChecked(std::string_view fileName, DisplaySettings& settings,
                                       CustomColours& custom, std::string& why, Disk& disk);

}  // namespace velkaro
