// A setup program made of a setup stub: the stub's resources with the
// archive, the settings record, the icon, the version and the manifest made
// to follow the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/SetupControl.h"
#include "platform/CodePage.h"
#include "platform/Exception.h"

// What mksetup refuses; the message is shown as it is.
DECLARE_EXCEPTION(EMkSetupError);

// The resource that marks a setup stub; setup-stub.exe carries it.
inline constexpr const char* StubMarkerType = "SETUPSTUB";
inline constexpr const char* StubMarkerName = "DATA";

struct TSetupImageInput {
    std::vector<uint8_t> Stub;
    std::string StubName; // for messages
    TSetupControl Settings; // its texts in CodePage, as the setup program reads them
    unsigned CodePage = cpWestern;
    // "X.Y.Z.W" (1 to 4 numbers); empty: the settings' Version, else the last word of CaptionName
    std::string Version;
    std::vector<uint8_t> Archive;
    std::vector<uint8_t> Icon; // an .ico file; empty keeps the stub's icon
};

// The version's four numbers and its text. EMkSetupError when the text is not
// 1 to 4 numbers up to 65535 between dots.
std::array<uint16_t, 4> ParseVersion(const std::string& text);
// The version text for the settings: given, the settings' Version, or the
// last word of CaptionName.
std::string VersionText(const TSetupImageInput& input);

std::vector<uint8_t> MakeSetupImage(const TSetupImageInput& input);
// The uninstaller the setup program carries, with version information that
// follows the settings as the setup program's does; programName (its path)
// names it in messages. EMkSetupError when it is not a Windows program.
std::vector<uint8_t> MakeUninstallerImage(const std::vector<uint8_t>& program, const std::string& programName,
                                          const TSetupImageInput& input);
