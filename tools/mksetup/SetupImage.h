// A setup program made of a setup stub: the stub's resources with the
// archive, the settings record, the icon, the version and the manifest made
// to follow the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/SetupControl.h"
#include "platform/Exception.h"

// What mksetup refuses; the message is shown as it is.
DECLARE_EXCEPTION(EMkSetupError);

// The resource that marks a setup stub; setup-stub.exe carries it.
inline constexpr const char* StubMarkerType = "SETUPSTUB";
inline constexpr const char* StubMarkerName = "DATA";

struct TSetupImageInput {
    std::vector<uint8_t> Stub;
    std::string StubName; // for messages
    TSetupControl Settings;
    std::string Version;  // "X.Y.Z.W" (1 to 4 numbers); empty: the last word of CaptionName
    std::vector<uint8_t> Archive;
    std::vector<uint8_t> Icon; // an .ico file; empty keeps the stub's icon
};

// The version's four numbers and its text. EMkSetupError when the text is not
// 1 to 4 numbers up to 65535 between dots.
std::array<uint16_t, 4> ParseVersion(const std::string& text);
// The version text for the settings: given, or the last word of CaptionName.
std::string VersionText(const TSetupImageInput& input);

std::vector<uint8_t> MakeSetupImage(const TSetupImageInput& input);
