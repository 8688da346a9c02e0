#include "shell/race_panel.h"

#include "shell/live_screen.h"

namespace velkaro {

namespace {
constexpr std::array<std::string_view, 20> kCarLabels{"1",  "2",  "3",  "4",  "5",  "6",  "7",
                                                      "8",  "9",  "10", "11", "12", "13", "14",
                                                      "15", "16", "17", "18", "19", "20"};

Rect At(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}
}  // namespace

std::array<PanelControlDef, kPanelControls> RacePanelLayout(const ScreenSize& sc) {
    const int W = sc.w, H = sc.h, L = sc.left;
    // The classic places put the tree in the first 200 pixels; they are kept relative to the
    // race area's own left edge, and sizes once drawn in pixels follow the height.
    const int C = (W - L) / 2 + L;
    // Start, Stop and Clear a little left of the middle, where 1600 x 900 had them; from the
    // middle rather than the width, so that the run's title beside them keeps its room.
    const int start = C - sc.P(212);
    const int D = 720 * W / 1600 + L;
    const int half = 525 * W / 1600;
    auto P = [&sc](int pixels) { return sc.P(pixels); };
    auto clock = ClockFrame(sc), count = CountdownFrame(sc);
    std::array<PanelControlDef, kPanelControls> c{{
        {ToInt(CommandId::Start), ControlKind::BitmapButton, "Start",
         At(start, 40 * H / 900, P(80), H / 20)},
        {kStartCaption, ControlKind::CentredText, "Start",
         At(start + P(5), 86 * H / 900, P(70), H / 45)},
        {ToInt(CommandId::Stop), ControlKind::BitmapButton, "Stop",
         At(start + P(100), 40 * H / 900, P(80), H / 20)},
        {kStopCaption, ControlKind::CentredText, "Stop",
         At(start + P(105), 86 * H / 900, P(70), H / 45)},
        {ToInt(CommandId::Clear), ControlKind::BitmapButton, "Clear",
         At(start + P(200), 40 * H / 900, P(80), H / 20)},
        {kClearCaption, ControlKind::CentredText, "Clear",
         At(start + P(205), 86 * H / 900, P(70), H / 45)},
        {ToInt(CommandId::Results), ControlKind::BitmapButton, "Results",
         At(W - P(120), H / 15, P(40), P(40))},
        {ToInt(CommandId::Print), ControlKind::BitmapButton, "Print",
         At(W - P(70), H / 15, P(40), P(40))},
        {0, ControlKind::GroupFrame, "", At(C - half, 606 * H / 900, 2 * half, H / 18)},
        {kClockFrame,
         ControlKind::GroupFrame,
         "Race duration / Clock",
         {clock.left, clock.top, clock.right, clock.bottom}},
        {kCountdownFrame,
         ControlKind::GroupFrame,
         "Countdown",
         {count.left, count.top, count.right, count.bottom}},
        {kTranspondersModeFrame, ControlKind::GroupFrame, "Transponders mode",
         At(D, 700 * H / 900, P(330), 85 * H / 900)},
        {kPersonalChipsRadio, ControlKind::RadioFirst, "Personal chips",
         At(D + P(5), 727 * H / 900, P(118), H / 45)},
        {kClubChipsRadio, ControlKind::Radio, "Club chips",
         At(D + P(135), 727 * H / 900, P(95), H / 45)},
        {kMixedScanRadio, ControlKind::Radio, "Mixed (scan)",
         At(D + P(5), 760 * H / 900, P(105), H / 45)},
        {kTransponderSetList, ControlKind::DropDown, "SetTransponders",
         At(D + P(235), 725 * H / 900, P(72), 600 * H / 900)},
        {ToInt(CommandId::Scan), ControlKind::PushLikeCheck, "Scan",
         At(D + P(120), 757 * H / 900, P(60), 23 * H / 900)},
        {kScanStatus, ControlKind::BorderedText, "",
         At(D + P(190), 757 * H / 900, P(125), 23 * H / 900)},
        {kLinkDownText, ControlKind::AlertText, "Decoder link",
         At(D + P(350), 705 * H / 900, W - D - P(370), 56 * H / 900)},
        {kSoundOffText, ControlKind::AlertText, "Sound",
         At(D + P(350), 763 * H / 900, W - D - P(370), 22 * H / 900)},
        {kNoticeLine, ControlKind::NoticeLine, "Newest notice",
         At(D, 666 * H / 900, W - D - P(110), 24 * H / 900)},
        {ToInt(CommandId::Notices), ControlKind::PushButton, "Notices",
         At(W - P(100), 665 * H / 900, P(80), 26 * H / 900)},
    }};
    for (int k = 1; k <= 20; ++k) {
        c[std::size_t(kPanelControls - 21 + k)] = {
            kFirstCarButton - 1 + k, ControlKind::PushButton, kCarLabels[std::size_t(k - 1)],
            At(C + (k - 11) * 50 * W / 1600, 625 * H / 900, W / 40, H / 45)};
    }
    return c;
}

}  // namespace velkaro
