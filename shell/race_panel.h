#pragma once

#include <array>
#include <string_view>

#include "common/commands.h"
#include "platform/canvas.h"

namespace velkaro {

enum class ControlKind {
    BitmapButton,
    CentredText,
    GroupFrame,
    PushButton,
    RadioFirst,
    Radio,
    DropDown,
    PushLikeCheck,
    BorderedText,
    AlertText,   // red, hidden while it has nothing to say
    NoticeLine,  // the newest notice, cut to its width; the log holds it whole
};

// The newest notice; the "Notices" button beside it opens the log of the last ones.
inline constexpr int kNoticeLine = 2232;

struct PanelControlDef {
    int id;  // 0 for the unnamed frame around the car buttons
    ControlKind kind;
    std::string_view text;
    Rect rect;
};

inline constexpr int kPanelControls = 22 + 20;

// The race panel's controls, placed from the screen size (w x h) as the window is created.
std::array<PanelControlDef, kPanelControls> RacePanelLayout(int w, int h);

// The event tree's rectangle in a client area of the given height.
inline Rect EventTreeRect(int clientHeight) {
    return {10, 54, 10 + 190, clientHeight - 80 + 54};
}

}  // namespace velkaro
