// The built unzarn.exe as Windows sees it before it runs: a manifest that
// asks for administrator rights (it removes files in Program Files and keys
// below HKLM; without it, UAC starts it unelevated), common controls 6 and
// the setup program's DPI awareness, read through the portable PE resource
// reader; and its icon and version information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/PEFileResources.h"
#include "tests/wine/WineSupport.h"

namespace {

std::vector<uint8_t> ProgramImage(const char* program)
{
    const std::vector<char> bytes = ReadWholeFile(HostPath(program));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string Manifest(const std::vector<uint8_t>& image)
{
    const std::vector<uint8_t> bytes = ReadPEResource(image, "#24", "#1");
    return std::string(bytes.begin(), bytes.end());
}

// The text between open and close, both included ("" when absent).
std::string Element(const std::string& text, const std::string& open, const std::string& close)
{
    const size_t start = text.find(open);
    const size_t end = start == std::string::npos ? start : text.find(close, start);
    return end == std::string::npos ? std::string() : text.substr(start, end + close.size() - start);
}

TEST(UninstallProgram, TheManifestAsksForAdministratorRightsLikeTheSetupProgram)
{
    const std::vector<uint8_t> unzarn = ProgramImage(ZARN_UNINSTALL_PROGRAM);
    ASSERT_TRUE(LooksLikePEImage(unzarn));
    const std::string manifest = Manifest(unzarn);
    const std::string setup = Manifest(ProgramImage(ZARN_SETUP_PROGRAM));

    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
              std::string::npos)
        << manifest;
    const std::string controls = Element(manifest, "<dependency>", "</dependency>");
    EXPECT_NE(controls.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
        << manifest;
    const std::string dpi = Element(manifest, "<windowsSettings>", "</windowsSettings>");
    EXPECT_NE(dpi.find("PerMonitorV2"), std::string::npos) << manifest;
    EXPECT_EQ(dpi, Element(setup, "<windowsSettings>", "</windowsSettings>"));
    EXPECT_EQ(controls, Element(setup, "<dependency>", "</dependency>"));
}

TEST(UninstallProgram, HasAnIconAndVersionInformation)
{
    const std::vector<uint8_t> unzarn = ProgramImage(ZARN_UNINSTALL_PROGRAM);
    // RT_GROUP_ICON 14 and RT_VERSION 16, number 1 each.
    EXPECT_FALSE(ReadPEResource(unzarn, "#14", "#1").empty());
    const std::vector<uint8_t> version = ReadPEResource(unzarn, "#16", "#1");
    std::string ascii;
    for (size_t i = 0; i + 1 < version.size(); i += 2)
        ascii += version[i + 1] == 0 ? static_cast<char>(version[i]) : '?';
    EXPECT_NE(ascii.find("unzarn.exe"), std::string::npos);
    EXPECT_NE(ascii.find("ZarnFTP 2.7.4 Uninstall"), std::string::npos);
}

} // namespace
