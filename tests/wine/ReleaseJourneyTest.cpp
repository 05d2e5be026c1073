// Setup programs made by mksetup rather than by the build: a 2.8.0 release
// of another payload (made by the native mksetup with nothing on PATH), the
// same release signed, and the stub itself started bare.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/SetupJourney.h"
#include "tests/wine/WineSupport.h"
#include "ui/WindowIds.h"

namespace {

const char* const ReleaseCaption = "ZarnFTP 2.8.0 Setup";

// The release's destination: "%\ZarnFTP 2.8" below this prefix's Program Files.
std::string ReleaseDir() { return Dest.substr(0, Dest.size() - std::string("ZarnFTP\\").size()) + "ZarnFTP 2.8\\"; }

// A string of the version resource's US English / Windows-1252 table.
std::string VersionString(const std::vector<char>& block, const std::string& name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904E4\\" + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr)
        return "(none)";
    return std::string(value);
}

void ExpectReleaseInstalled()
{
    const std::string dir = ReleaseDir();
    EXPECT_EQ(TextOfFile(dir + "CHANGES.TXT"), "2.8.0: made by mksetup.\r\n");
    EXPECT_EQ(TextOfFile(dir + "README.TXT"), "ZarnFTP 2.8.0\r\nRead me first: what is new in 2.8.0.\r\n");
    EXPECT_EQ(TextOfFile(dir + "ZarnFTP.HLP"), "Help of ZarnFTP 2.8.0\r\n");
    EXPECT_TRUE(FileExists(dir + "ZarnFTP.exe"));
    // The uninstaller came from beside the stub: the payload had none.
    EXPECT_TRUE(FileExists(WinDir() + "unzarn.exe"));
    EXPECT_NE(TextOfFile(dir + "install.log").find("CHANGES.TXT"), std::string::npos);
}

} // namespace

TEST_F(SetupJourney, ReleaseMadeByMksetupSaysItsVersionAndInstallsItsFiles)
{
    const std::string program = HostPath(ZARN_RELEASE_SETUP);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020008u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020008u);
    EXPECT_EQ(VersionString(block, "FileVersion"), "2.8.0");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "2.8.0");
    EXPECT_EQ(VersionString(block, "FileDescription"), ReleaseCaption);
    EXPECT_EQ(VersionString(block, "ProductName"), ReleaseCaption);

    {
        // The wizard's caption comes from the settings record mksetup stored.
        TProgramRun run(program);
        const HWND wizard = WaitForWindow(WizardWindowClass, ReleaseCaption, 30000);
        ASSERT_TRUE(wizard) << "no wizard captioned " << ReleaseCaption;
        EXPECT_EQ(TextOf(wizard), ReleaseCaption);
        Click(FindControl(wizard, idWizardCancel));
        std::string question;
        const HWND box = WaitForConfirm(&question);
        ASSERT_TRUE(box);
        Answer(box, IDYES);
        EXPECT_TRUE(run.WaitForExit(30000));
    }
    // Into its own default directory, not into an installation an earlier journey left.
    ForgetInstalledProduct();
    std::vector<std::string> questions;
    ASSERT_TRUE(InstallThroughWizard(program, &questions));
    ExpectReleaseInstalled();
    ForgetInstalledProduct(); // the journeys after this one start at their own defaults
}

// The signed copy installs as the unsigned one does (over it: a reinstall).
TEST_F(SetupJourney, SignedReleaseInstalls)
{
    const std::string program = HostPath(ZARN_SIGNED_SETUP);
    ASSERT_TRUE(FileExists(program)) << "mksetup.sign made no signed program";
    DeleteFileA((ReleaseDir() + "CHANGES.TXT").c_str());
    // Into its own default directory, not into an installation an earlier journey left.
    ForgetInstalledProduct();
    std::vector<std::string> questions;
    ASSERT_TRUE(InstallThroughWizard(program, &questions));
    ExpectReleaseInstalled();
    ForgetInstalledProduct(); // the journeys after this one start at their own defaults
}

TEST_F(SetupJourney, StubStartedBareSaysSoAndEnds)
{
    TProgramRun run(HostPath(ZARN_SETUP_STUB));
    std::string text;
    const HWND box = WaitForBox("ZarnFTP Setup", &text, 30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(text, "This is the setup stub of ZarnFTP Setup; mksetup makes a setup program of it.");
    Answer(box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(run.WaitForExit(30000, &code));
    EXPECT_EQ(code, 2u);
}
