// Reinstalls that meet a file they cannot replace, through the real setup
// program: a running ZarnFTP.exe (held open without sharing by this process)
// through a reinstall without backup, and a file named Backup in the way of a
// reinstall with backup. Each journey installs first when the prefix has no
// installation, so it does not depend on the journeys before it.
#include <gtest/gtest.h>

#include "installer/ExitCodes.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/SetupJourney.h"
#include "tests/wine/WineSupport.h"
#include "ui/WindowIds.h"

namespace {

const char* const Caption = "ZarnFTP 2.7.4 Setup";
const std::string BackupQuestion = "Do you want to backup replaced files ?  ";
const std::string ShortcutQuestion = "Create shortcuts on the Desktop and Programs menu ?";

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Removes a directory with its files and the directories below it.
void RemoveTree(const std::string& directory)
{
    WIN32_FIND_DATAA found;
    const HANDLE h = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(directory.c_str());
}

// An installation to reinstall over, whatever ran on this prefix before.
// The journeys of one suite run in an order the linker decides; one that
// finds no installation removes the one it made, so that the first-install
// journey still meets a prefix without the destination.
class TInstallation {
public:
    TInstallation() : FFound(IsDirectory(DestDir()))
    {
        if (!FileExists(Dest + "ZarnFTP.exe"))
            Made = InstallThroughWizard(HostPath(ZARN_SETUP_PROGRAM));
    }
    ~TInstallation()
    {
        if (!FFound)
            RemoveTree(DestDir());
    }
    bool Ready() const { return FileExists(Dest + "ZarnFTP.exe"); }
    bool Made = false;

private:
    static std::string DestDir() { return Dest.substr(0, Dest.size() - 1); }
    bool FFound;
};

// One reinstall through the wizard up to the backup question.
class TReinstall {
public:
    TReinstall() : Run(HostPath(ZARN_SETUP_PROGRAM)) { Wizard = WaitForWindow(WizardWindowClass, Caption, 30000); }

    bool OnPage(int pageId) const { return Visible(Wizard) && Visible(FindControl(Wizard, pageId)); }
    // Next on the welcome and the destination page, and the backup question answered.
    bool ToBackupAnswered(int answer)
    {
        Click(FindControl(Wizard, idNext));
        if (!WaitUntil([&] { return OnPage(idPagePath); }))
            return false;
        Click(FindControl(Wizard, idNext)); // the directory exists: no question about creating it
        return AnswerConfirm(answer) == BackupQuestion;
    }
    // The error display: a "Setup" box with OK only; its text.
    std::string ErrorShownAndClosed()
    {
        std::string text;
        const HWND box = WaitForBox("Setup", &text);
        EXPECT_TRUE(box);
        if (!box)
            return text;
        EXPECT_TRUE(GetDlgItem(box, IDOK));
        EXPECT_FALSE(GetDlgItem(box, IDRETRY));
        EXPECT_FALSE(OnPage(idPageFinish));
        Answer(box, IDOK);
        EXPECT_TRUE(WaitGone(box));
        return text;
    }
    // After an error the wizard stays hidden; the copy dialog's Cancel ends the program.
    void CancelThroughTheCopyDialog(DWORD expected)
    {
        const HWND copy = FindWindowA(CopyDialogClass, CopyDialogCaption);
        ASSERT_TRUE(Visible(copy));
        EXPECT_FALSE(Visible(Wizard));
        Click(FindControl(copy, idCopyCancel));
        ASSERT_EQ(AnswerConfirm(IDYES), "Are you sure you want to cancel Setup?");
        ExpectEnded(expected);
    }
    void FinishWithoutStartingAnything()
    {
        ASSERT_TRUE(WaitUntil([&] { return OnPage(idPageFinish); }, 30000));
        for (int box : {idReadme, idRunProgram}) {
            const HWND check = FindControl(Wizard, box);
            if (SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED)
                Click(check);
            ASSERT_TRUE(WaitUntil([&] { return SendMessageA(check, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
        }
        Click(FindControl(Wizard, idNext));
        ExpectEnded();
    }
    void ExpectEnded(DWORD expected = ExitCodeSuccess)
    {
        DWORD code = 1;
        EXPECT_TRUE(Run.WaitForExit(30000, &code));
        EXPECT_EQ(code, expected);
    }

    TProgramRun Run;
    HWND Wizard = nullptr;
};

// The Retry/Cancel box for a file the run could not write, and its text.
HWND WaitForRetryBox(std::string* text)
{
    const HWND box = WaitForBox("Setup", text, 60000);
    if (box) {
        EXPECT_TRUE(GetDlgItem(box, IDRETRY));
        EXPECT_TRUE(GetDlgItem(box, IDCANCEL));
        EXPECT_FALSE(GetDlgItem(box, IDOK));
    }
    return box;
}

TEST_F(SetupJourney, RunningProgramHeldThroughAReinstallIsWrittenOnRetryAfterItCloses)
{
    const TInstallation installation;
    ASSERT_TRUE(installation.Ready());
    // Links that are not links: the reinstall must replace all five.
    for (const std::string& link : LinkFiles())
        WriteText(link, "not a link");
    const std::string program = Dest + "ZarnFTP.exe";
    WriteText(program, "old program");
    THeldFile running(program);
    ASSERT_TRUE(running.Held());

    TReinstall setup;
    ASSERT_TRUE(setup.Wizard);
    ASSERT_TRUE(setup.ToBackupAnswered(IDNO));
    std::string text;
    const HWND box = WaitForRetryBox(&text);
    ASSERT_TRUE(box);
    EXPECT_EQ(text, "Cannot write \"" + program + "\". Close the program that uses it, then choose Retry.");
    EXPECT_FALSE(setup.OnPage(idPageFinish));

    running.Release();
    EXPECT_EQ(TextOfFile(program), "old program"); // skipped while it was held
    Answer(box, IDRETRY);
    ASSERT_TRUE(WaitGone(box));
    ASSERT_EQ(AnswerConfirm(IDYES), ShortcutQuestion);
    setup.FinishWithoutStartingAnything();

    const std::string installed = TextOfFile(program);
    EXPECT_EQ(installed.substr(0, 2), "MZ"); // the new program, not the old text
    const std::vector<std::string> log = UndatedLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "*** Install Completed: ");
    int copies = 0;
    for (const std::string& line : log)
        copies += line == "Copy: " + program ? 1 : 0;
    EXPECT_EQ(copies, 1) << "logged once, retried or not";
    const std::vector<std::string> links = LinkFiles();
    for (size_t i = 0; i < links.size(); ++i) {
        EXPECT_NE(std::find(log.begin(), log.end(), "CreateFile: " + links[i]), log.end()) << links[i];
        const TLinkFields link = LoadLink(links[i]);
        EXPECT_TRUE(link.Loaded) << links[i];
        EXPECT_EQ(link.Path, i == 4 ? WinDir() + "unzarn.exe" : i == 3 ? Dest + "whatsnew.txt" : program) << links[i];
    }
}

TEST_F(SetupJourney, RunningProgramHeldThroughAReinstallThenCancelLeavesTheOldInstallation)
{
    const TInstallation installation;
    ASSERT_TRUE(installation.Ready());
    const std::string program = Dest + "ZarnFTP.exe";
    const std::string oldProgram = TextOfFile(program);
    THeldFile running(program);
    ASSERT_TRUE(running.Held());

    TReinstall setup;
    ASSERT_TRUE(setup.Wizard);
    ASSERT_TRUE(setup.ToBackupAnswered(IDNO));
    std::string text;
    const HWND box = WaitForRetryBox(&text);
    ASSERT_TRUE(box);
    EXPECT_NE(text.find("\"" + program + "\""), std::string::npos) << text;
    Answer(box, IDCANCEL);
    ASSERT_TRUE(WaitGone(box));
    EXPECT_EQ(setup.ErrorShownAndClosed(),
              "Setup was cancelled.\n\nThe previous installation of ZarnFTP is unchanged.");
    setup.CancelThroughTheCopyDialog(ExitCodeCancelled);

    running.Release();
    EXPECT_EQ(TextOfFile(program), oldProgram);
    // The earlier installation's log, complete, back in place.
    const std::vector<std::string> log = UndatedLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "*** Install started: ");
    EXPECT_EQ(log.back().rfind("*** Install Completed: ", 0), 0u) << log.back();
}

TEST_F(SetupJourney, FileNamedBackupStopsAReinstallWithBackupAndLeavesTheOldInstallation)
{
    const TInstallation installation;
    ASSERT_TRUE(installation.Ready());
    const std::string backup = Dest + "Backup";
    // A Backup directory of an earlier reinstall goes, and a file takes its name.
    if (IsDirectory(backup)) {
        RemoveTree(backup);
        ASSERT_FALSE(IsDirectory(backup));
    }
    WriteText(backup, "in the way");
    WriteText(Dest + "README.TXT", "the old readme");
    const std::string oldProgram = TextOfFile(Dest + "ZarnFTP.exe");
    const std::vector<std::string> oldLog = UndatedLog();

    TReinstall setup;
    ASSERT_TRUE(setup.Wizard);
    ASSERT_TRUE(setup.ToBackupAnswered(IDYES));
    EXPECT_EQ(setup.ErrorShownAndClosed(), "Cannot create \"" + backup + "\": a file of that name is in the way." +
                                               "\n\nThe previous installation of ZarnFTP is unchanged.");
    setup.CancelThroughTheCopyDialog(ExitCodeFailed);

    EXPECT_EQ(TextOfFile(backup), "in the way");
    EXPECT_EQ(TextOfFile(Dest + "README.TXT"), "the old readme");
    EXPECT_EQ(TextOfFile(Dest + "ZarnFTP.exe"), oldProgram);
    EXPECT_EQ(UndatedLog(), oldLog);
    DeleteFileA(backup.c_str());
}

} // namespace
