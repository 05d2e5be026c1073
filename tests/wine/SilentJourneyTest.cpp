// The setup program and the uninstaller as deployment tools start them:
// /S with no window at any moment (the process's top-level windows polled
// while it runs), the exit codes, /D= with blanks, the installed folder
// taken by a later /S, an unwritable folder, and QuietUninstallString
// removing everything but the user's data. /? and a switch not understood
// with a person at the desk.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

#include "installer/SetupCommandLine.h"
#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/WineSupport.h"
#include "ui/WindowIds.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
const std::string SilentLog = "C:\\zarn-silent.log";
const std::string ShortcutAnswer = "Create shortcuts on the Desktop and Programs menu ? -> Yes";

// The wizard's question for a missing folder, as the silent run answers it.
std::string OneLineQuestion(const std::string& folder)
{
    return "The directory: " + folder + " does not exist.  Do you want to create it ? -> Yes";
}

struct TWindowSearch {
    DWORD ProcessId;
    std::vector<std::string> Seen;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->ProcessId && IsWindowVisible(window)) {
        char caption[256] = {}, className[256] = {};
        GetWindowTextA(window, caption, sizeof caption);
        GetClassNameA(window, className, sizeof className);
        search->Seen.push_back(std::string(className) + " \"" + caption + "\"");
    }
    return TRUE;
}

struct TQuietRun {
    int ExitCode = -1;
    std::vector<std::string> VisibleWindows; // every visible top-level window the process showed
};

// Starts commandLine and looks at the process's top-level windows until it
// ends; onLook (when given) runs after every look.
TQuietRun RunWatched(std::string commandLine, const std::function<void()>& onLook = nullptr)
{
    TQuietRun result;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &startup, &process))
        return result;
    TWindowSearch search{process.dwProcessId, {}};
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT) {
        EnumWindows(&NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (onLook)
            onLook();
        if (GetTickCount() - start > 120000) {
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.ExitCode = static_cast<int>(code);
    result.VisibleWindows = search.Seen;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::string SetupCommand(const std::string& arguments)
{
    return "\"" + HostPath(ZARN_SETUP_PROGRAM) + "\" " + arguments;
}

std::string ValueText(const char* name)
{
    const TRegValue value = QueryValue(HKEY_LOCAL_MACHINE, UninstallKey, name);
    return value.Data.substr(0, value.Data.find('\0'));
}

bool KeyExists(HKEY root, const std::string& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// Removes what an install put down, through the quiet command, as a tool would.
void QuietUninstall()
{
    const std::string command = ValueText("QuietUninstallString");
    ASSERT_FALSE(command.empty());
    const TQuietRun run = RunWatched(command);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.VisibleWindows, std::vector<std::string>{});
}

class SilentJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override { DeleteFileA(SilentLog.c_str()); }
};

TEST_F(SilentJourney, SlashSInstallsWithNoWindowAndTheQuietUninstallStringRemovesAllButTheUsersData)
{
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey)) << "a fresh prefix";
    const bool destinationThere = GetFileAttributesA(Dest.c_str()) != INVALID_FILE_ATTRIBUTES;
    const TQuietRun install = RunWatched(SetupCommand("/S /LOG=" + SilentLog));
    EXPECT_EQ(install.ExitCode, 0);
    EXPECT_EQ(install.VisibleWindows, std::vector<std::string>{});

    ExpectFirstInstall(); // files, install.log, every registry value, the five links
    std::vector<std::string> answered;
    if (!destinationThere)
        answered.push_back(OneLineQuestion(Dest.substr(0, Dest.size() - 1)));
    answered.push_back(ShortcutAnswer);
    EXPECT_EQ(ReadLines(SilentLog), answered);

    // The user's settings, as the program writes them when it runs.
    const std::string settings = "[Options]\r\nPassive=1\r\n";
    WriteText(Dest + "zarnftp.ini", settings);
    const std::vector<std::string> links = LinkFiles();
    QuietUninstall();

    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt", "install.log"})
        EXPECT_FALSE(FileExists(Dest + name)) << name;
    for (const std::string& link : links)
        EXPECT_FALSE(FileExists(link)) << link;
    // The user's settings and site list stay, as Enter through the boxes keeps them.
    EXPECT_EQ(TextOfFile(Dest + "zarnftp.ini"), settings);
    EXPECT_EQ(ReadWholeFile(Dest + "sites.ini"), ReadWholeFile(HostPath(std::string(ZARN_PAYLOAD_DIR) + "/SITES.INI")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe"));

    DeleteFileA((Dest + "zarnftp.ini").c_str());
    DeleteFileA((Dest + "sites.ini").c_str());
    RemoveDirectoryA(Dest.substr(0, Dest.size() - 1).c_str());
}

TEST_F(SilentJourney, SlashDInstallsIntoAFolderWithBlanksThatALaterSlashSFindsAgain)
{
    const std::string folder = "C:\\Tools\\Zarn FTP";
    const TQuietRun install = RunWatched(SetupCommand("/S /D=" + folder));
    EXPECT_EQ(install.ExitCode, 0);
    EXPECT_EQ(install.VisibleWindows, std::vector<std::string>{});
    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "SITES.INI", "whatsnew.txt", "install.log"})
        EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(Dest + "install.log"));
    EXPECT_EQ(ValueText("UninstallString"), WinDir() + "unzarn.exe " + folder + "\\install.log");
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe",
                         "Path")
                  .Data,
              Sz(folder));

    // An update without /D= goes where the product is.
    WriteText(folder + "\\README.TXT", "edited");
    const TQuietRun update = RunWatched(SetupCommand("/S /LOG=" + SilentLog));
    EXPECT_EQ(update.ExitCode, 0);
    EXPECT_EQ(update.VisibleWindows, std::vector<std::string>{});
    EXPECT_NE(TextOfFile(folder + "\\README.TXT"), "edited");
    EXPECT_FALSE(FileExists(folder + "\\Backup\\README.TXT")); // no backup
    EXPECT_FALSE(FileExists(Dest + "install.log"));
    EXPECT_EQ(ReadLines(SilentLog), std::vector<std::string>{ShortcutAnswer});

    QuietUninstall();
    EXPECT_FALSE(FileExists(folder + "\\install.log"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_TRUE(FileExists(folder + "\\sites.ini")); // the user's
    DeleteFileA((folder + "\\sites.ini").c_str());
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    RemoveDirectoryA("C:\\Tools");
}

TEST_F(SilentJourney, AFolderThatCannotBeWrittenExits1603AndLeavesNothing)
{
    // Beneath a file no directory can be made.
    const std::string unwritable = WinDir() + "win.ini\\ZarnFTP";
    const TQuietRun run = RunWatched(SetupCommand("/S /LOG=" + SilentLog + " /D=" + unwritable));
    EXPECT_EQ(run.ExitCode, 1603);
    EXPECT_EQ(run.VisibleWindows, std::vector<std::string>{});
    const std::vector<std::string> lines = ReadLines(SilentLog);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], OneLineQuestion(unwritable));
    EXPECT_NE(lines[1].find(unwritable + "\\install.log"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].back(), '.');
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe"));
    EXPECT_FALSE(FileExists(LinkFiles()[0]));
}

TEST_F(SilentJourney, ASwitchNotUnderstoodIsRefusedBeforeAnythingHappens)
{
    const TQuietRun silent = RunWatched(SetupCommand("/S /LOG=" + SilentLog + " /X"));
    EXPECT_EQ(silent.ExitCode, 87);
    EXPECT_EQ(silent.VisibleWindows, std::vector<std::string>{});
    // The error display's rule: no full stop after a quotation mark.
    EXPECT_EQ(ReadLines(SilentLog), std::vector<std::string>{"Unknown switch \"/X\""});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));

    // With a person at the desk: a box, the switches below the reason.
    TProgramRun refused(HostPath(ZARN_SETUP_PROGRAM), "", "/X");
    std::string text;
    HWND box = WaitForBox("Setup", &text, 30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(text, "Unknown switch \"/X\"\n\n" + SetupSwitchesText());
    Answer(box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(refused.WaitForExit(30000, &code));
    EXPECT_EQ(code, 87u);

    // Watched as the silent runs are: the box is seen, so their watch would see one too.
    std::string helpText;
    HWND seenVisible = nullptr; // answered only after a whole look found it on screen
    const TQuietRun help = RunWatched(SetupCommand("/?"), [&] {
        if (seenVisible) {
            Answer(seenVisible, IDOK);
            seenVisible = nullptr;
        } else if (const HWND shown = WaitForBox("Setup", &helpText, 0); shown && IsWindowVisible(shown)) {
            seenVisible = shown;
        }
    });
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_EQ(helpText, SetupSwitchesText());
    ASSERT_FALSE(help.VisibleWindows.empty());
    EXPECT_EQ(help.VisibleWindows[0], "#32770 \"Setup\"");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

TEST_F(SilentJourney, WithoutSlashSTheWizardStartsOnTheFolderOfSlashD)
{
    const std::string folder = "C:\\Tools\\Zarn FTP";
    TProgramRun run(HostPath(ZARN_SETUP_PROGRAM), "", "/D=" + folder);
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return Visible(wizard = FindWindowA(WizardWindowClass, "ZarnFTP 2.7.4 Setup")); },
                          30000));
    Click(FindControl(wizard, idNext));
    ASSERT_TRUE(WaitUntil([&] { return Visible(FindControl(wizard, idPagePath)); }));
    EXPECT_EQ(TextOf(FindControl(wizard, idDestPath)), folder);
    Click(FindControl(wizard, idWizardCancel));
    EXPECT_EQ(AnswerConfirm(IDYES), "Are you sure you want to cancel Setup?");
    DWORD code = 0;
    ASSERT_TRUE(run.WaitForExit(30000, &code));
    EXPECT_EQ(code, 1602u); // cancelled
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
