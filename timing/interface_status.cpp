#include "timing/interface_status.h"

namespace velkaro {

std::string_view InterfaceStatusOnOpen(const InterfaceSettings& settings) {
    if (settings.ready == 0) return " COM Port is not open !\r\n";
    if (settings.interfaceType == kMk1Type) return " Interface MK1 ready to operate.\r\n";
    if (settings.interfaceType == kMk2Type) return " Interface MK2 ready to operate.\r\n";
    return {};
}

std::string_view ConnectStatus(DetectResult result) {
    switch (result) {
        case DetectResult::PortNotOpened:
            return " COM Port opening attempt :\r\n Could not open the COM Port !\r\n";
        case DetectResult::Mk1:
            return " COM Port opening attempt :\r\n COM Port opened correctly, OK !\r\n Interface "
                   "MK1 ready to operate !\r\n";
        case DetectResult::Mk2:
            return " COM Port opening attempt :\r\n COM Port opened correctly, OK !\r\n Interface "
                   "MK2 ready to operate !\r\n";
    }
    return {};
}

Text<80> LinkDownText(const DecoderLinkState& state, std::uint32_t now) {
    Text<80> text;
    if (state.restoring == 0) return text;
    std::uint32_t down = (now - state.downSinceTick) / 1000;
    Format(text, "Decoder link lost at %s\nDown %u:%02u, retrying", state.downSinceTime.CStr(),
           down / 60, down % 60);
    return text;
}

Text<120> LinkStateText(const DecoderLink& link, std::uint32_t now) {
    Text<120> text;
    if (link.state.restoring != 0) {
        text = LinkDownText(link.state, now).View();
    } else if (link.settings.ready == 0) {
        // A first start has no decoder yet: the way on is the Interface form, or the simulator.
        Format(text,
               "No decoder on %s\nSet its port in Settings > Interface,\nor start the decoder "
               "simulator",
               link.settings.port.Empty() ? "its port" : link.settings.port.CStr());
    }
    return text;
}

}  // namespace velkaro
