#pragma once

#include <cstdint>

#include "platform/canvas.h"

// Drawing helpers that the live screen and the printed pages share.

namespace velkaro {

// The club's logo, top left of the live screen and of every printed page.
inline constexpr const char* kLogoFile = "images/logo.bmp";

// The screen size the geometry is scaled from: lengths in 1/1600 of the width, heights in 1/900
// of the height.
struct ScreenSize {
    int w = 1600;
    int h = 900;
    int X(int units) const { return units * w / 1600; }
    int Y(int units) const { return units * h / 900; }
};

// A colour of the settings files, 0x00BBGGRR.
inline Rgb ColourOf(std::uint32_t colorref) {
    return {std::uint8_t(colorref & 0xFF), std::uint8_t((colorref >> 8) & 0xFF),
            std::uint8_t((colorref >> 16) & 0xFF)};
}

}  // namespace velkaro
