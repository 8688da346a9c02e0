#pragma once

#include <string_view>

#include "timing/decoder_link.h"
#include "timing/interface_settings.h"

namespace velkaro {

// What the Interface form says about the decoder: when it opens, from the settings file...
std::string_view InterfaceStatusOnOpen(const InterfaceSettings& settings);
// ...while "Connect" tries the port...
inline constexpr std::string_view kConnectAttemptStatus = " COM Port opening attempt :\r\n";
// ...and once the attempt is over.
std::string_view ConnectStatus(DetectResult result);

// What the race panel says while the MK2 link is down and being restored, two lines; empty
// once it is back (or was never lost).
Text<80> LinkDownText(const DecoderLinkState& state, std::uint32_t now);

// The race panel's link state: the link lost, or no decoder on the port and what to do about it;
// empty while the decoder is there.
Text<120> LinkStateText(const DecoderLink& link, std::uint32_t now);

// The status light of the form.
inline constexpr const char* kReadyLight = "images/voyantVert.bmp";
inline constexpr const char* kNotReadyLight = "images/voyantRouge.bmp";
inline const char* StatusLight(const InterfaceSettings& s) {
    return s.ready == 1 ? kReadyLight : kNotReadyLight;
}

}  // namespace velkaro
