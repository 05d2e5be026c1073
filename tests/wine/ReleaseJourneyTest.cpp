// Setup programs made by mksetup rather than by the build: a 2.8.0 release
// of another payload (made by the native mksetup with nothing on PATH), the
// same release signed, and the stub itself started bare.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
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

// The version information of a program, or an empty block.
std::vector<char> VersionBlock(const std::string& program)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

// The names of a directory's files, as the system spells them in UTF-16.
std::vector<std::wstring> NamesIn(const std::string& dir)
{
    std::wstring pattern(dir.size(), L'\0');
    pattern.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, dir.c_str(), static_cast<int>(dir.size()), pattern.data(),
                            static_cast<int>(pattern.size()))));
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW((pattern + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

int64_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
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
    EXPECT_EQ(VersionString(block, "ProductName"), "ZarnFTP");

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

// A payload named in UTF-8 on the build machine, with a read-only file and an
// empty file last, installed and then installed again over itself: the
// names come back as Windows spells them, and the uninstaller, the setup
// program and the Uninstall key say the release.
TEST_F(SetupJourney, ReleaseOfUtf8NamesInstallsTwiceAndSaysItsVersion)
{
    const std::string program = HostPath(ZARN_NAMES_SETUP);
    const std::string dir = Dest.substr(0, Dest.size() - std::string("ZarnFTP\\").size()) + "ZarnFTP 3.1\\";
    for (const char* run : {"first install", "reinstall over it"}) {
        SCOPED_TRACE(run);
        std::vector<std::string> questions;
        ASSERT_TRUE(InstallThroughWizard(program, &questions));
        EXPECT_EQ(NamesIn(dir), (std::vector<std::wstring>{L"LOCKED.TXT", L"ZarnFTP.exe", L"Z\u00E4rn.txt",
                                                          L"install.log", L"whatsnew.txt", L"zz-empty.txt"}));
        EXPECT_EQ(TextOfFile(dir + "Z\xC3\xA4rn.txt"), "Gr\xC3\xBC\xC3\x9F" "e aus Z\xC3\xA4rn.\r\n"); // bytes as they were
        EXPECT_EQ(TextOfFile(dir + "LOCKED.TXT"), "Read only.\r\n");
        EXPECT_NE(GetFileAttributesA((dir + "LOCKED.TXT").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
        EXPECT_EQ(FileSize(dir + "zz-empty.txt"), 0);
        // The log in code page 1252, as every line fits it.
        EXPECT_NE(TextOfFile(dir + "install.log").find("Copy: " + dir + "Z\xE4rn.txt"), std::string::npos);
    }

    const std::string uninstaller = WinDir() + "unzarn.exe";
    for (const auto& [path, description] : {std::pair{uninstaller, "ZarnFTP 3.1.0 Uninstall"},
                                            std::pair{HostPath(ZARN_NAMES_SETUP), "ZarnFTP 3.1.0 Setup"}}) {
        SCOPED_TRACE(path);
        const std::vector<char> block = VersionBlock(path);
        ASSERT_FALSE(block.empty());
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00030001u);
        EXPECT_EQ(VersionString(block, "FileVersion"), "3.1.0");
        EXPECT_EQ(VersionString(block, "ProductVersion"), "3.1.0");
        EXPECT_EQ(VersionString(block, "ProductName"), "ZarnFTP Names");
        EXPECT_EQ(VersionString(block, "FileDescription"), description);
        EXPECT_EQ(VersionString(block, "CompanyName"), "Z\xE4rn Software");
        EXPECT_EQ(VersionString(block, "LegalCopyright"), "Copyright 2026 Z\xE4rn Software");
    }

    // The Uninstall key, as the system's list of programs reads it.
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP Names";
    int64_t bytes = FileSize(uninstaller);
    for (const std::wstring& name : NamesIn(dir))
        if (name != L"install.log") {
            std::string ansi; // the names are Latin-1 here: code page 1252's bytes
            for (const wchar_t c : name)
                ansi += static_cast<char>(c);
            bytes += FileSize(dir + ansi);
        }
    const std::string sizeKB = [&] {
        const DWORD kb = static_cast<DWORD>((bytes + 1023) / 1024);
        return std::string(reinterpret_cast<const char*>(&kb), sizeof kb);
    }();
    const std::string one("\1\0\0\0", 4);
    const std::vector<std::tuple<std::string, DWORD, std::string>> values = {
        {"DisplayName", REG_SZ, Sz("ZarnFTP Names")},
        {"DisplayVersion", REG_SZ, Sz("3.1.0")},
        {"Publisher", REG_SZ, Sz("Z\xC3\xA4rn Software")}, // read back in UTF-8
        {"DisplayIcon", REG_SZ, Sz(dir + "ZarnFTP.exe")},
        {"InstallLocation", REG_SZ, Sz(dir)},
        {"EstimatedSize", REG_DWORD, sizeKB},
        {"NoModify", REG_DWORD, one},
        {"NoRepair", REG_DWORD, one},
        {"URLInfoAbout", REG_SZ, Sz("https://zarn.example/ftp")},
    };
    for (const auto& [name, type, data] : values) {
        const TRegValue value = QueryValue(HKEY_LOCAL_MACHINE, key, name);
        ASSERT_TRUE(value.Found) << name;
        EXPECT_EQ(value.Type, type) << name;
        EXPECT_EQ(value.Data, data) << name;
    }
}
