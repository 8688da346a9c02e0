#pragma once

#include <array>
#include <string_view>

#include "common/commands.h"
#include "common/drawing.h"
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

// The race panel's controls, placed over the race area: again whenever its size changes.
std::array<PanelControlDef, kPanelControls> RacePanelLayout(const ScreenSize& screen);

}  // namespace velkaro
