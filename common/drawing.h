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
    // Where the race area begins: a screen whose first 200 pixels hold the event tree, or 0 for
    // an area of its own (the tree in a pane beside it, a projector).
    int left = 200;
    int X(int units) const { return units * w / 1600; }
    int Y(int units) const { return units * h / 900; }
    // A size that was drawn in pixels for a 900-pixel-high screen, grown or shrunk with the
    // height, so that controls and their texts keep their proportions on any screen.
    int P(int pixels) const { return pixels * h / 900; }
};

// A colour of the settings files, 0x00BBGGRR.
inline Rgb ColourOf(std::uint32_t colorref) {
    return {std::uint8_t(colorref & 0xFF), std::uint8_t((colorref >> 8) & 0xFF),
            std::uint8_t((colorref >> 16) & 0xFF)};
}

}  // namespace velkaro
