// A reinstall that does not complete, and an upgrade, each followed by the
// uninstall, through the real programs: a reinstall with backup that meets
// the help file held open and is cancelled leaves the old installation able
// to start and to uninstall completely; an upgrade over a release that
// brought a file this one does not, then the uninstall with Enter in every
// box, leaves nothing of either release but the user's data.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installer/ExitCodes.h"
#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/WineSupport.h"
#include "ui/WindowIds.h"

namespace {

const char* const Caption = "ZarnFTP 2.7.4 Setup";
const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";

class UpgradeJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
};

// The setup program through the welcome and destination pages and the backup question (Yes).
struct TReinstallWithBackup {
    TProgramRun Run{HostPath(ZARN_SETUP_PROGRAM)};
    HWND Wizard = WaitForWindow(WizardWindowClass, Caption, 30000);

    bool OnPage(int page) const { return Visible(Wizard) && Visible(FindControl(Wizard, page)); }
    bool ToTheRun()
    {
        Click(FindControl(Wizard, idNext));
        if (!WaitUntil([&] { return OnPage(idPagePath); }))
            return false;
        Click(FindControl(Wizard, idNext));
        return AnswerConfirm(IDYES) == "Do you want to backup replaced files ?  ";
    }
};

// The uninstall as the Uninstall key starts it, Enter in every box; the boxes' texts.
std::vector<std::string> UninstallPressingEnter()
{
    const TRegValue value = QueryValue(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString");
    std::string command = value.Data.substr(0, value.Data.find('\0'));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<std::string> boxes;
    if (command.empty() ||
        !CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return boxes;
    WaitUntil(
        [&] {
            for (const char* caption : {"Confirm", "Setup"}) {
                std::string text;
                if (const HWND box = WaitForBox(caption, &text, 100)) {
                    boxes.push_back(text);
                    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
                    PostMessageA(box, WM_KEYUP, VK_RETURN, 0xC0000001);
                    WaitGone(box);
                }
            }
            return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        },
        60000);
    TerminateProcess(process.hProcess, 99); // ended already, unless it hung
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return boxes;
}

// What is left of the installation: the destination's files, Backup's, and the group's links.
std::vector<std::string> InstallationLeft()
{
    std::vector<std::string> left;
    for (const std::string& dir : {Dest, Dest + "Backup\\"}) {
        WIN32_FIND_DATAA found;
        const HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                left.push_back(dir + found.cFileName);
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    for (const std::string& link : LinkFiles())
        if (FileExists(link))
            left.push_back(link);
    std::sort(left.begin(), left.end());
    return left;
}

// Leaves the prefix without the destination for the journeys after this one.
void RemoveUsersData()
{
    for (const char* name : {"zarnftp.ini", "SITES.INI"})
        DeleteFileA((Dest + name).c_str());
    RemoveDirectoryA((Dest + "Backup").c_str());
    RemoveDirectoryA(Dest.substr(0, Dest.size() - 1).c_str());
}

TEST_F(UpgradeJourney, CancelledReinstallWithTheHelpHeldOpenLeavesTheOldInstallationWhole)
{
    ASSERT_TRUE(InstallThroughWizard(HostPath(ZARN_SETUP_PROGRAM)));
    const std::string program = TextOfFile(Dest + "ZarnFTP.exe");
    const std::vector<std::string> log = ReadLines(Dest + "install.log");
    const std::vector<std::string> installed = InstallationLeft();
    THeldFile help(Dest + "ZarnFTP.HLP");
    ASSERT_TRUE(help.Held());

    {
        TReinstallWithBackup setup;
        ASSERT_TRUE(setup.Wizard);
        ASSERT_TRUE(setup.ToTheRun());
        // ZarnFTP.exe went into Backup; the help cannot.
        std::string text;
        HWND box = WaitForBox("Setup", &text, 30000);
        ASSERT_TRUE(box);
        EXPECT_EQ(text.rfind("Cannot move \"" + Dest + "ZarnFTP.HLP\" to \"" + Dest + "Backup\\ZarnFTP.HLP\"", 0), 0u)
            << text;
        EXPECT_NE(text.find("Close the program that uses it, then choose Retry."), std::string::npos) << text;
        Answer(box, IDCANCEL);
        ASSERT_TRUE(WaitGone(box));
        box = WaitForBox("Setup", &text, 30000);
        ASSERT_TRUE(box);
        EXPECT_EQ(text, "Setup was cancelled.\n\nThe previous installation of ZarnFTP is unchanged.");
        Answer(box, IDOK);
        ASSERT_TRUE(WaitGone(box));
        const HWND copy = WaitForWindow(CopyDialogClass, CopyDialogCaption);
        ASSERT_TRUE(copy);
        Click(FindControl(copy, idCopyCancel));
        ASSERT_EQ(AnswerConfirm(IDYES), "Are you sure you want to cancel Setup?");
        DWORD code = 0;
        ASSERT_TRUE(setup.Run.WaitForExit(30000, &code));
        EXPECT_EQ(code, static_cast<DWORD>(ExitCodeCancelled));
    }
    help.Release();

    EXPECT_EQ(TextOfFile(Dest + "ZarnFTP.exe"), program);
    EXPECT_EQ(ReadLines(Dest + "install.log"), log);
    EXPECT_EQ(InstallationLeft(), installed);
    // The old program still starts.
    {
        TProgramRun started(Dest + "ZarnFTP.exe");
        EXPECT_TRUE(started.Started());
    }
    UninstallPressingEnter();
    EXPECT_EQ(InstallationLeft(), std::vector<std::string>{Dest + "SITES.INI"}) << "only the user's site list";
    EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString").Found);
    RemoveUsersData();
}

TEST_F(UpgradeJourney, UpgradeOverAReleaseWithAnExtraFileThenUninstallLeavesOnlyTheUsersData)
{
    ASSERT_TRUE(InstallThroughWizard(HostPath(ZARN_SETUP_PROGRAM)));
    // The earlier release brought a file of its own, which this one does not carry.
    const std::string extra = Dest + "zarnplug.dll";
    WriteText(extra, "the earlier release's plug-in");
    std::vector<std::string> log = ReadLines(Dest + "install.log");
    ASSERT_GE(log.size(), 3u);
    log.insert(log.begin() + 2, "Copy: " + extra);
    std::string text;
    for (const std::string& line : log)
        text += line + "\r\n";
    WriteText(Dest + "install.log", text);
    WriteText(Dest + "zarnftp.ini", "[Options]\r\nPassive=1\r\n");

    {
        TReinstallWithBackup setup;
        ASSERT_TRUE(setup.Wizard);
        ASSERT_TRUE(setup.ToTheRun());
        ASSERT_EQ(AnswerConfirm(IDYES, 30000), "Create shortcuts on the Desktop and Programs menu ?");
        ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageFinish); }, 30000));
        for (int check : {idReadme, idRunProgram}) {
            const HWND box = FindControl(setup.Wizard, check);
            if (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED)
                Click(box);
            ASSERT_TRUE(WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
        }
        Click(FindControl(setup.Wizard, idNext));
        DWORD code = 1;
        ASSERT_TRUE(setup.Run.WaitForExit(30000, &code));
        EXPECT_EQ(code, static_cast<DWORD>(ExitCodeSuccess));
    }
    EXPECT_TRUE(FileExists(Dest + "Backup\\ZarnFTP.exe"));
    const std::vector<std::string> upgraded = ReadLines(Dest + "install.log");
    EXPECT_NE(std::find(upgraded.begin(), upgraded.end(), "Copy: " + extra), upgraded.end());

    const std::vector<std::string> boxes = UninstallPressingEnter();
    for (const std::string& box : boxes)
        EXPECT_EQ(box.find("Restore the files saved in Backup?"), std::string::npos) << "a restore offered";
    // Enter keeps the settings and the site list; nothing of either release stays.
    EXPECT_EQ(InstallationLeft(), (std::vector<std::string>{Dest + "SITES.INI", Dest + "zarnftp.ini"}));
    RemoveUsersData();
}

} // namespace
