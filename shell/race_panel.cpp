#include "shell/race_panel.h"

namespace velkaro {

namespace {
constexpr std::array<std::string_view, 20> kCarLabels{"1",  "2",  "3",  "4",  "5",  "6",  "7",
                                                      "8",  "9",  "10", "11", "12", "13", "14",
                                                      "15", "16", "17", "18", "19", "20"};

Rect At(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}
}  // namespace

std::array<PanelControlDef, kPanelControls> RacePanelLayout(int W, int H) {
    const int A = (42 * W - 8400) / 100;
    const int C = (W - 200) / 2 + 200;
    const int D = 720 * W / 1600;
    const int half = 525 * W / 1600;
    std::array<PanelControlDef, kPanelControls> c{{
        {ToInt(CommandId::Start), ControlKind::BitmapButton, "Start",
         At(A + 100, 40 * H / 900, 80, H / 20)},
        {kStartCaption, ControlKind::CentredText, "Start", At(A + 105, 86 * H / 900, 70, H / 45)},
        {ToInt(CommandId::Stop), ControlKind::BitmapButton, "Stop",
         At(A + 200, 40 * H / 900, 80, H / 20)},
        {kStopCaption, ControlKind::CentredText, "Stop", At(A + 205, 86 * H / 900, 70, H / 45)},
        {ToInt(CommandId::Clear), ControlKind::BitmapButton, "Clear",
         At(A + 300, 40 * H / 900, 80, H / 20)},
        {kClearCaption, ControlKind::CentredText, "Clear", At(A + 305, 86 * H / 900, 70, H / 45)},
        {ToInt(CommandId::Results), ControlKind::BitmapButton, "Results",
         At(W - 120, H / 15, 40, 40)},
        {ToInt(CommandId::Print), ControlKind::BitmapButton, "Print", At(W - 70, H / 15, 40, 40)},
        {0, ControlKind::GroupFrame, "", At(C - half, 606 * H / 900, 2 * half, H / 18)},
        {kClockFrame, ControlKind::GroupFrame, "Race duration / Clock",
         At(45 * W / 1600 + 200, 710 * H / 900, W / 4, H / 12)},
        {kCountdownFrame, ControlKind::GroupFrame, "Countdown",
         At(440 * W / 1600 + 220, 710 * H / 900, 100, H / 12)},
        {kTranspondersModeFrame, ControlKind::GroupFrame, "Transponders mode",
         At(D + 200, 700 * H / 900, 330, 85 * H / 900)},
        {kPersonalChipsRadio, ControlKind::RadioFirst, "Personal chips",
         At(D + 205, 727 * H / 900, 118, H / 45)},
        {kClubChipsRadio, ControlKind::Radio, "Club chips", At(D + 335, 727 * H / 900, 95, H / 45)},
        {kMixedScanRadio, ControlKind::Radio, "Mixed (scan)",
         At(D + 205, 760 * H / 900, 105, H / 45)},
        {kTransponderSetList, ControlKind::DropDown, "SetTransponders",
         At(D + 435, 725 * H / 900, 72, 600 * H / 900)},
        {ToInt(CommandId::Scan), ControlKind::PushLikeCheck, "Scan",
         At(D + 320, 757 * H / 900, 60, 23 * H / 900)},
        {kScanStatus, ControlKind::BorderedText, "", At(D + 390, 757 * H / 900, 125, 23 * H / 900)},
        {kLinkDownText, ControlKind::AlertText, "Decoder link",
         At(D + 550, 705 * H / 900, W - D - 570, 56 * H / 900)},
        {kSoundOffText, ControlKind::AlertText, "Sound",
         At(D + 550, 763 * H / 900, W - D - 570, 22 * H / 900)},
        {kNoticeLine, ControlKind::NoticeLine, "Newest notice",
         At(D + 200, 666 * H / 900, W - D - 310, 24 * H / 900)},
        {ToInt(CommandId::Notices), ControlKind::PushButton, "Notices",
         At(W - 100, 665 * H / 900, 80, 26 * H / 900)},
    }};
    for (int k = 1; k <= 20; ++k) {
        c[std::size_t(kPanelControls - 21 + k)] = {
            kFirstCarButton - 1 + k, ControlKind::PushButton, kCarLabels[std::size_t(k - 1)],
            At(C + (k - 11) * 50 * W / 1600, 625 * H / 900, W / 40, H / 45)};
    }
    return c;
}

}  // namespace velkaro
