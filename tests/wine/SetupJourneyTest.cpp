// The setup program end to end, as a person uses it: each journey starts
// setup.exe on this prefix, walks the wizard through its real windows, and
// then checks what the install left on the system. Every page is
// photographed, cropped to the windows it shows, into the build tree's
// screenshots directory.
#include <gtest/gtest.h>

#include "installer/ExitCodes.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "installer/WizardSteps.h"
#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/SetupJourney.h"
#include "tests/wine/WineSupport.h"
#include "ui/BrowseDialog.h"
#include "ui/WindowIds.h"

namespace {

const char* const Caption = "ZarnFTP 2.7.4 Setup";

// The default destination, as the destination page shows it (no trailing "\").
std::string DefaultDir()
{
    return Dest.substr(0, Dest.size() - 1);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// The texts of a window's descendants, sorted: the fixed texts of a page.
std::vector<std::string> TextsWithin(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> texts;
    for (const HWND child : children)
        texts.push_back(TextOf(child));
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}


std::string ShotDir(const std::string& journey)
{
    const std::string root = HostPath(ZARN_SCREENSHOT_DIR);
    CreateDirectoryA(root.c_str(), nullptr);
    return root + "\\" + journey;
}

// One run of the setup program with its windows at hand.
class TSetupRun {
public:
    explicit TSetupRun(const char* program, const std::string& journey, const std::string& environment = "")
        : Run(HostPath(program), environment), Shots(ShotDir(journey))
    {
        // Polled from the start, the wizard first, so that a background seen
        // visible was on screen before the wizard.
        const DWORD start = GetTickCount();
        while (!Wizard && GetTickCount() - start < 30000) {
            const HWND wizard = FindWindowA(WizardWindowClass, Caption);
            if (Visible(wizard))
                Wizard = wizard;
            else if (!BackgroundShownFirst)
                BackgroundShownFirst = Visible(FindWindowA(MainWindowClass, Caption));
            Sleep(1);
        }
    }

    HWND Control(int id) const { return FindControl(Wizard, id); }
    bool OnPage(int pageId) const { return Visible(Wizard) && Visible(Control(pageId)); }
    // Photographs the given windows (the wizard when none are given) at their size.
    void Shot(const std::string& name, std::vector<HWND> windows = {})
    {
        char number[8];
        std::snprintf(number, sizeof number, "%02d-", ++FShotNumber);
        if (windows.empty())
            windows.push_back(Wizard);
        EXPECT_TRUE(ScreenshotOf(Shots, number + name, windows)) << name;
    }
    void Next() { Click(Control(idNext)); }
    // Tab at the focused control; true once expected has the focus.
    bool TabTo(HWND expected)
    {
        PressKey(FocusOf(Wizard), VK_TAB);
        return WaitUntil([&] { return FocusOf(Wizard) == expected; });
    }
    // Cancel, and the cancel question it brings up.
    HWND Cancel(HWND button = nullptr)
    {
        Click(button ? button : Control(idWizardCancel));
        std::string question;
        const HWND box = WaitForConfirm(&question);
        EXPECT_EQ(question, "Are you sure you want to cancel Setup?");
        return box;
    }
    // The program ended, with its exit code (0 installed, 1602 cancelled,
    // 1603 failed), once control was back in its event loop.
    void ExpectEnded(DWORD expected = ExitCodeSuccess)
    {
        DWORD code = 1;
        EXPECT_TRUE(Run.WaitForExit(30000, &code));
        EXPECT_EQ(code, expected);
    }

    TProgramRun Run;
    std::string Shots;
    HWND Wizard = nullptr;
    bool BackgroundShownFirst = false; // the background was on screen before the wizard

private:
    int FShotNumber = 0;
};

TEST_F(SetupJourney, FirstInstallThenReinstallWithBackup)
{
    ASSERT_FALSE(FileExists(Dest + "install.log")) << "the journey needs a fresh prefix";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string record = std::string(temp) + "zarnftp-finish.txt";
    DeleteFileA(record.c_str());
    {
        TSetupRun setup(ZARN_SETUP_PROGRAM, "first-install", "ZARNFTP_RECORD=" + record);
        ASSERT_TRUE(setup.Wizard);
        EXPECT_TRUE(setup.BackgroundShownFirst) << "the wizard was on screen before the background";

        // The background covers the screen behind the wizard, which is always on top.
        const HWND background = FindWindowA(MainWindowClass, Caption);
        ASSERT_TRUE(Visible(background));
        RECT r;
        GetWindowRect(background, &r);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
        setup.Shot("screen", {background});
        EXPECT_TRUE(GetWindowLongA(setup.Wizard, GWL_EXSTYLE) & WS_EX_TOPMOST);
        GetClientRect(setup.Wizard, &r);
        EXPECT_EQ(r.right, 471);
        EXPECT_EQ(r.bottom, 330);

        EXPECT_TRUE(setup.OnPage(idPageStart));
        EXPECT_FALSE(setup.OnPage(idPageCustom) || setup.OnPage(idPagePath) || setup.OnPage(idPageFinish));
        EXPECT_EQ(TextOf(setup.Control(idWelcome)),
                  "Welcome to the ZarnFTP Setup program.  This program will install ZarnFTP on your computer.");
        EXPECT_EQ(TextsWithin(setup.Control(idPageStart)),
                  Sorted({"Welcome to the ZarnFTP Setup program.  This program will install ZarnFTP on your computer.",
                          "It is recommended that you close all other Windows programs before proceeding.  Select "
                          "Cancel to exit and close any programs that are running.",
                          "Click Next to continue"}));
        EXPECT_EQ(TextsWithin(setup.Control(idButtonPanel)), Sorted({"&Next >>", "&Cancel"}));
        setup.Shot("welcome");

        // Tab goes from Next to Cancel and back; Escape does nothing, Cancel being an ordinary button.
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(setup.Wizard) == setup.Control(idNext); }));
        EXPECT_TRUE(setup.TabTo(setup.Control(idWizardCancel)));
        EXPECT_TRUE(setup.TabTo(setup.Control(idNext)));
        PressKey(setup.Control(idNext), VK_ESCAPE);
        EXPECT_EQ(WaitForConfirm(nullptr, 1500), nullptr);
        EXPECT_TRUE(setup.OnPage(idPageStart));

        // Escape on the cancel question answers No.
        HWND box = setup.Cancel();
        setup.Shot("cancel-question", {setup.Wizard, box});
        Answer(box, 0);
        ASSERT_TRUE(WaitGone(box));
        EXPECT_TRUE(setup.OnPage(idPageStart));

        setup.Next();
        ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));
        EXPECT_FALSE(setup.OnPage(idPageStart) || setup.OnPage(idPageCustom));
        EXPECT_EQ(TextOf(setup.Control(idDestPath)), DefaultDir());
        EXPECT_EQ(TextsWithin(setup.Control(idPagePath)),
                  Sorted({"Select a directory for the program to be installed in.  It is recommended that you use the "
                          "default path.",
                          "To change the directory, click on Browse and select a new directory.",
                          "Click Next to continue", " Destination Pathname ", DefaultDir(), "&Browse"}));
        setup.Shot("destination");
        box = setup.Cancel();
        Answer(box, IDNO);
        ASSERT_TRUE(WaitGone(box));
        EXPECT_TRUE(setup.OnPage(idPagePath));

        setup.Next();
        std::string question;
        box = WaitForConfirm(&question);
        ASSERT_TRUE(box);
        EXPECT_EQ(question, CreateDirectoryQuestion(DefaultDir()));
        setup.Shot("create-directory", {setup.Wizard, box});
        Answer(box, IDYES);
        ASSERT_TRUE(WaitGone(box));

        // Asked with the wizard already hidden, over the background.
        box = WaitForConfirm(&question);
        ASSERT_TRUE(box);
        EXPECT_EQ(question, "Do you want to backup replaced files ?  ");
        EXPECT_FALSE(Visible(setup.Wizard));
        setup.Shot("backup-question", {box});
        Answer(box, IDNO);
        ASSERT_TRUE(WaitGone(box));

        // The shortcut question comes while the copy dialog is up.
        box = WaitForConfirm(&question);
        ASSERT_TRUE(box);
        EXPECT_EQ(question, "Create shortcuts on the Desktop and Programs menu ?");
        const HWND copy = FindWindowA(CopyDialogClass, CopyDialogCaption);
        EXPECT_TRUE(Visible(copy));
        EXPECT_EQ(TextOf(FindControl(copy, idCopyStatus)), "Creating Registry Entries...");
        EXPECT_EQ(TextOf(FindControl(copy, idCopyFilename)), "");
        EXPECT_EQ(TextOf(FindControl(copy, idCopyCancel)), "&Cancel");
        EXPECT_EQ(TextOf(copy), "Setup");
        setup.Shot("copy-dialog-and-shortcuts", {copy, box});
        Answer(box, IDYES);
        ASSERT_TRUE(WaitGone(box));

        ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageFinish); }));
        EXPECT_FALSE(Visible(copy));
        EXPECT_EQ(TextOf(setup.Control(idNext)), "Finish");
        EXPECT_EQ(TextsWithin(setup.Control(idPageFinish)),
                  Sorted({"ZarnFTP has been successfully installed on your computer.  You can run it by "
                          "double-clicking on its icon.",
                          "View the README file now", "Run ZarnFTP now", "Click Finish to complete Setup."}));
        EXPECT_EQ(TextsWithin(setup.Control(idButtonPanel)), Sorted({"Finish", "&Cancel"}));
        Click(setup.Control(idReadme));
        Click(setup.Control(idRunProgram));
        ASSERT_TRUE(WaitUntil([&] {
            return SendMessageA(setup.Control(idReadme), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                   SendMessageA(setup.Control(idRunProgram), BM_GETCHECK, 0, 0) == BST_CHECKED;
        }));
        setup.Shot("finish");
        setup.Next();
        setup.ExpectEnded();
    }
    ExpectFirstInstall();
    EXPECT_FALSE(FileExists(Dest + "Backup"));
    // Both started, with their paths quoted: the program, and the README in the editor.
    ASSERT_TRUE(WaitUntil([&] { return !ReadLines(record).empty(); }));
    EXPECT_EQ(ReadLines(record), std::vector<std::string>{"\"" + Dest + "ZarnFTP.exe\""});
    const HWND notepad = WaitForWindow("Notepad", nullptr);
    ASSERT_TRUE(notepad);
    EXPECT_NE(TextOf(notepad).find("readme"), std::string::npos) << TextOf(notepad);
    PostMessageA(notepad, WM_CLOSE, 0, 0);

    // Again over the first install, keeping the replaced files.
    const std::string sites = "; my own sites\r\n[Home]\r\nHost=ftp.home.example\r\n";
    WriteUserSites(sites);
    const std::vector<char> oldReadme = ReadWholeFile(Dest + "README.TXT");
    {
        TSetupRun setup(ZARN_SETUP_PROGRAM, "reinstall");
        ASSERT_TRUE(setup.Wizard);
        setup.Next();
        ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));
        setup.Next(); // the directory exists: no question about creating it
        ASSERT_EQ(AnswerConfirm(IDYES), "Do you want to backup replaced files ?  ");
        ASSERT_EQ(AnswerConfirm(IDNO), "Create shortcuts on the Desktop and Programs menu ?");
        ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageFinish); }));
        setup.Shot("finish");
        HWND box = setup.Cancel();
        Answer(box, IDNO);
        ASSERT_TRUE(WaitGone(box));
        EXPECT_TRUE(setup.OnPage(idPageFinish));
        setup.Next();
        setup.ExpectEnded();
    }
    ExpectReinstall(sites, oldReadme);
}

TEST_F(SetupJourney, BrowseToAnotherDriveRootAndDirectoryThenCancelAndOk)
{
    TSetupRun setup(ZARN_SETUP_PROGRAM, "browse");
    ASSERT_TRUE(setup.Wizard);
    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));

    // Drive D: of the test prefix holds Downloads, Projects and Tools.
    const auto browseToProjects = [&](bool shoot) {
        Click(setup.Control(idBrowse));
        const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
        EXPECT_TRUE(dialog);
        if (!dialog)
            return dialog;
        const HWND path = GetDlgItem(dialog, idBrowsePath);
        EXPECT_EQ(TextOf(path), DefaultDir());
        if (shoot)
            setup.Shot("browse", {dialog});
        // The drive list follows the typed letter; the root of D: has no doubled backslash.
        PostMessageA(GetDlgItem(dialog, idBrowseDrives), WM_CHAR, 'd', 1);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(path) == "D:\\ZarnFTP"; })) << TextOf(path);
        const HWND list = GetDlgItem(dialog, idBrowseDirectories);
        PostMessageA(list, WM_CHAR, 'p', 1); // "Projects", the first directory with a p
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(path) == "D:\\Projects\\ZarnFTP"; })) << TextOf(path);
        if (shoot)
            setup.Shot("browse-other-drive", {dialog});
        return dialog;
    };

    HWND dialog = browseToProjects(true);
    ASSERT_TRUE(dialog);
    Click(GetDlgItem(dialog, idBrowseCancel));
    ASSERT_TRUE(WaitGone(dialog));
    EXPECT_EQ(TextOf(setup.Control(idDestPath)), DefaultDir());

    dialog = browseToProjects(false);
    ASSERT_TRUE(dialog);
    Click(GetDlgItem(dialog, idBrowseOK));
    ASSERT_TRUE(WaitGone(dialog));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(setup.Control(idDestPath)) == "D:\\Projects\\ZarnFTP"; }));
    setup.Shot("destination-chosen");

    const HWND box = setup.Cancel();
    Answer(box, IDYES);
    setup.ExpectEnded(ExitCodeCancelled);
    EXPECT_FALSE(FileExists("D:\\Projects\\ZarnFTP"));
}

TEST_F(SetupJourney, CancelOnTheWelcomePageEndsTheProgram)
{
    TSetupRun setup(ZARN_SETUP_PROGRAM, "cancel");
    ASSERT_TRUE(setup.Wizard);
    const HWND box = setup.Cancel();
    ASSERT_TRUE(box);
    Answer(box, IDYES);
    setup.ExpectEnded(ExitCodeCancelled);
}

TEST_F(SetupJourney, CustomSettingsAskForCredentialsBeforeTheDestination)
{
    TSetupRun setup(ZARN_SETUP_CUSTOM_PROGRAM, "credentials");
    ASSERT_TRUE(setup.Wizard);
    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageCustom); }));
    EXPECT_FALSE(setup.OnPage(idPageStart) || setup.OnPage(idPagePath));
    const HWND next = setup.Control(idNext);
    const HWND user = setup.Control(idUser);
    const HWND pass = setup.Control(idPass);
    EXPECT_FALSE(IsWindowEnabled(next));
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(setup.Wizard, nullptr), &focus);
    EXPECT_EQ(focus.hwndFocus, user);
    EXPECT_EQ(SendMessageA(pass, EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_EQ(TextsWithin(setup.Control(idPageCustom)),
              Sorted({"Enter your username and password for the Dorvik FTP server", "Username:", "", "Password:", "",
                      "Click Next to continue"}));
    // Tab order: the boxes, then Cancel while Next is disabled, and round again.
    EXPECT_TRUE(setup.TabTo(pass));
    EXPECT_TRUE(setup.TabTo(setup.Control(idWizardCancel)));
    EXPECT_TRUE(setup.TabTo(user));

    Type(user, "anna");
    EXPECT_FALSE(IsWindowEnabled(next));
    Type(pass, "s");
    EXPECT_TRUE(IsWindowEnabled(next));
    EXPECT_TRUE(setup.TabTo(pass));
    EXPECT_TRUE(setup.TabTo(next));
    PressKey(next, VK_ESCAPE);
    EXPECT_EQ(WaitForConfirm(nullptr, 1500), nullptr);
    EXPECT_TRUE(setup.OnPage(idPageCustom));
    setup.Shot("credentials");
    Type(user, "");
    EXPECT_FALSE(IsWindowEnabled(next));
    Click(next); // disabled: nothing happens
    Sleep(500);
    EXPECT_TRUE(setup.OnPage(idPageCustom));
    Type(user, "a");
    EXPECT_TRUE(IsWindowEnabled(next));

    HWND box = setup.Cancel();
    Answer(box, IDNO);
    ASSERT_TRUE(WaitGone(box));
    EXPECT_TRUE(setup.OnPage(idPageCustom));
    EXPECT_EQ(TextOf(pass), "s"); // the page's state is intact

    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));
    box = setup.Cancel();
    Answer(box, IDYES);
    setup.ExpectEnded(ExitCodeCancelled);
}

TEST_F(SetupJourney, UnwritableDestinationShowsTheErrorThenCancelEnds)
{
    // Beneath a file no directory can be made.
    const std::string unwritable = WinDir() + "win.ini\\ZarnFTP";
    TSetupRun setup(ZARN_SETUP_PROGRAM, "unwritable");
    ASSERT_TRUE(setup.Wizard);
    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));
    Click(setup.Control(idBrowse));
    const HWND dialog = WaitForWindow(BrowseDialogClass, BrowseDialogCaption);
    ASSERT_TRUE(dialog);
    Type(GetDlgItem(dialog, idBrowsePath), unwritable);
    Click(GetDlgItem(dialog, idBrowseOK));
    ASSERT_TRUE(WaitGone(dialog));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(setup.Control(idDestPath)) == unwritable; }));

    setup.Next();
    ASSERT_EQ(AnswerConfirm(IDYES), CreateDirectoryQuestion(unwritable)); // that fails, unreported
    ASSERT_EQ(AnswerConfirm(IDNO), "Do you want to backup replaced files ?  ");

    std::string message;
    HWND box = WaitForBox("Setup", &message);
    ASSERT_TRUE(box);
    EXPECT_NE(message.find(unwritable + "\\install.log"), std::string::npos) << message;
    EXPECT_EQ(message.back(), '.');
    setup.Shot("error", {box});
    Answer(box, IDOK);
    ASSERT_TRUE(WaitGone(box));

    // The wizard stays hidden; the copy dialog's Cancel ends the program.
    const HWND copy = FindWindowA(CopyDialogClass, CopyDialogCaption);
    EXPECT_TRUE(Visible(copy));
    EXPECT_FALSE(Visible(setup.Wizard));
    setup.Shot("copy-dialog-after-error", {copy});
    box = setup.Cancel(FindControl(copy, idCopyCancel));
    ASSERT_TRUE(box);
    Answer(box, IDYES);
    setup.ExpectEnded(ExitCodeFailed);
    EXPECT_FALSE(FileExists(unwritable));
}

TEST_F(SetupJourney, CopyDialogShowsAFilePartWayThroughItsExpansion)
{
    // The custom build's help file is 8 MB: its expansion lasts long enough
    // to catch the dialog in the middle of it and hold the program there.
    const std::string dir = Dest.substr(0, Dest.size() - 1) + " Custom";
    ForgetInstalledProduct(); // its own default directory, whatever an earlier journey installed
    TSetupRun setup(ZARN_SETUP_CUSTOM_PROGRAM, "copy-dialog");
    ASSERT_TRUE(setup.Wizard);
    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageCustom); }));
    Type(setup.Control(idUser), "anna");
    Type(setup.Control(idPass), "s");
    setup.Next();
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPagePath); }));
    EXPECT_EQ(TextOf(setup.Control(idDestPath)), dir);
    setup.Next();
    ASSERT_EQ(AnswerConfirm(IDYES), CreateDirectoryQuestion(dir));
    ASSERT_EQ(AnswerConfirm(IDNO), "Do you want to backup replaced files ?  ");

    const HWND copy = WaitForWindow(CopyDialogClass, CopyDialogCaption);
    ASSERT_TRUE(copy);
    const HWND status = FindControl(copy, idCopyStatus), file = FindControl(copy, idCopyFilename),
               gauge = FindControl(copy, idCopyProgress);
    // Read without a message to the held program: the texts as the system keeps them.
    const auto heldText = [](HWND window) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        return std::string(text);
    };
    const auto partWay = [](const std::string& percent) {
        const int value = std::atoi(percent.c_str());
        return value > 0 && value < 100;
    };
    bool caught = false;
    WaitUntil(
        [&] {
            if (TextOf(file) != "ZarnFTP.HLP" || !partWay(TextOf(gauge)))
                return TextOf(status) != "Copying Files"; // too late: the expansion is over
            const TProcessHold hold(setup.Run.ProcessId());
            if (!hold.Holding() || heldText(file) != "ZarnFTP.HLP" || !partWay(heldText(gauge)))
                return false;
            EXPECT_EQ(heldText(status), "Copying Files");
            EXPECT_EQ(TextsWithin(copy).size(), 4u); // status, file name, gauge and Cancel
            setup.Shot("copy-dialog-part-way", {copy});
            caught = true;
            return true;
        },
        60000);
    EXPECT_TRUE(caught) << "the copy dialog was never seen part-way through ZarnFTP.HLP";

    EXPECT_EQ(AnswerConfirm(IDNO, 60000), "Create shortcuts on the Desktop and Programs menu ?");
    ASSERT_TRUE(WaitUntil([&] { return setup.OnPage(idPageFinish); }));
    setup.Next();
    setup.ExpectEnded();
    EXPECT_EQ(ReadWholeFile(dir + "\\ZarnFTP.HLP"),
              ReadWholeFile(HostPath(std::string(ZARN_LARGE_PAYLOAD_DIR) + "/ZarnFTP.HLP")));
    ForgetInstalledProduct(); // the journeys after this one start at their own defaults
}

} // namespace
