// Install through the wizard, then uninstall as Windows starts the
// uninstaller: from the "Uninstall ZarnFTP" shortcut's target and arguments,
// and from "UninstallString" through CreateProcessA. Its boxes are answered by
// pressing their buttons, and drive C: and the registry (HKLM Software and
// System, HKCU Software) are compared with a snapshot taken before the install.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/InstallChecks.h"
#include "tests/wine/SetupDriver.h"
#include "tests/wine/WineSupport.h"

namespace {

// What each entry of a tree is: "dir", "file <size>", "key", or a value's type and bytes.
using TTree = std::map<std::string, std::string>;

// The one install step of these journeys: through the wizard, as a person installs.
void InstallForUninstall()
{
    std::vector<std::string> questions;
    ASSERT_TRUE(InstallThroughWizard(HostPath(ZARN_SETUP_PROGRAM), &questions));
    // Into a destination that an earlier journey's user files kept, nobody asks to create it.
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions.back(), "Create shortcuts on the Desktop and Programs menu ?");
}

std::string Upper(std::string text)
{
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void WalkDirectory(const std::string& directory, TTree& tree)
{
    WIN32_FIND_DATAA found;
    const HANDLE h = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = directory + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "dir";
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                WalkDirectory(path, tree);
        } else {
            tree[path] = "file " + std::to_string((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

void WalkKey(HKEY root, const std::string& rootName, const std::string& path, TTree& tree)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    tree[rootName + path] = "key";
    char name[16384];
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        tree[rootName + path + "\\:" + name] =
            std::to_string(type) + " " + std::string(reinterpret_cast<char*>(data.data()), dataSize);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& subkey : subkeys)
        WalkKey(root, rootName, path + "\\" + subkey, tree);
}

struct TSystemSnapshot {
    TTree Files, Registry;
};

TSystemSnapshot TakeSnapshot()
{
    TSystemSnapshot s;
    WalkDirectory("C:", s.Files);
    WalkKey(HKEY_LOCAL_MACHINE, "HKLM\\", "Software", s.Registry);
    WalkKey(HKEY_LOCAL_MACHINE, "HKLM\\", "System", s.Registry);
    WalkKey(HKEY_CURRENT_USER, "HKCU\\", "Software", s.Registry);
    // Wine's own state of the session, which any program with a window changes.
    std::erase_if(s.Registry, [](const auto& entry) { return entry.first.rfind("HKCU\\Software\\Wine\\", 0) == 0; });
    return s;
}

// The entries that differ, each as "+ path", "- path" or "~ path".
std::vector<std::string> Differences(const TTree& before, const TTree& after)
{
    std::vector<std::string> found;
    for (const auto& [path, what] : before) {
        const auto now = after.find(path);
        if (now == after.end())
            found.push_back("- " + path);
        else if (now->second != what)
            found.push_back("~ " + path);
    }
    for (const auto& [path, what] : after)
        if (!before.count(path))
            found.push_back("+ " + path);
    return found;
}

// What an uninstall leaves changed in the registry: the uninstaller's own
// file put down for removal at the next start of Windows. The protocol
// values the install took over are given back as they were.
std::vector<std::string> RegistryLeft(const TSystemSnapshot& before)
{
    std::vector<std::string> left;
    const std::string pending = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\:PendingFileRenameOperations";
    left.push_back((before.Registry.count(pending) ? "~ " : "+ ") + pending);
    std::sort(left.begin(), left.end());
    return left;
}

std::vector<std::string> Sorted(std::vector<std::string> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The uninstaller itself stays where the install put it, unless an earlier install had.
std::vector<std::string> UninstallerLeft(const TSystemSnapshot& before)
{
    const std::string uninstaller = WinDir() + "unzarn.exe";
    return before.Files.count(uninstaller) ? std::vector<std::string>{} : std::vector<std::string>{"+ " + uninstaller};
}

// Presses a button of the box captioned caption; the box's text, or "" when none came.
std::string AnswerBox(const char* caption, int button)
{
    std::string text;
    const HWND box = WaitForBox(caption, &text, 30000);
    if (!box)
        return std::string();
    Answer(box, button);
    WaitGone(box);
    return text;
}

struct TUninstaller {
    PROCESS_INFORMATION Process{};
    bool Started = false;

    explicit TUninstaller(std::string commandLine)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        Started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &Process) != 0;
    }
    ~TUninstaller()
    {
        if (Started) {
            if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(Process.hProcess, 99);
            CloseHandle(Process.hThread);
            CloseHandle(Process.hProcess);
        }
    }
    int ExitCode()
    {
        if (WaitForSingleObject(Process.hProcess, 60000) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(Process.hProcess, &code);
        return static_cast<int>(code);
    }
};

const std::string Question = "Are you sure you want to remove ZarnFTP and all of its components?";
const std::string KeepQuestion = "Do you want to keep your ZarnFTP settings and site list?";

std::string UninstallString()
{
    const TRegValue value =
        QueryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP",
                   "UninstallString");
    return value.Data.substr(0, value.Data.find('\0'));
}

class UninstallJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(UninstallJourney, TheShortcutRemovesEverythingButTheUninstallerItself)
{
    const TSystemSnapshot before = TakeSnapshot();
    InstallForUninstall();
    const std::vector<std::string> logged = ReadLines(Dest + "install.log");
    const TLinkFields link = LoadLink(LinkFiles()[4]);
    ASSERT_TRUE(link.Loaded);

    // As the shell starts a link: its target quoted, its arguments as stored.
    TUninstaller uninstaller("\"" + link.Path + "\" " + link.Arguments);
    ASSERT_TRUE(uninstaller.Started);
    EXPECT_EQ(AnswerBox("Confirm", IDYES), Question);
    EXPECT_EQ(AnswerBox("Confirm", IDNO), KeepQuestion);
    EXPECT_EQ(AnswerBox("Setup", IDOK), "ZarnFTP has been removed.");
    EXPECT_EQ(uninstaller.ExitCode(), 0);

    const TSystemSnapshot after = TakeSnapshot();
    EXPECT_EQ(Differences(before.Files, after.Files), UninstallerLeft(before));
    EXPECT_EQ(Sorted(Differences(before.Registry, after.Registry)), RegistryLeft(before));
    for (const std::string& line : logged) {
        if (line.rfind("CreateFile: ", 0) == 0 || line.rfind("Copy: ", 0) == 0) {
            EXPECT_EQ(GetFileAttributesA(line.substr(line.find(' ') + 1).c_str()), INVALID_FILE_ATTRIBUTES) << line;
        }
    }
    // Its own file goes at the next start of Windows.
    const TRegValue pending = QueryValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                                         "PendingFileRenameOperations");
    EXPECT_NE(Upper(pending.Data).find("\\WINDOWS\\UNZARN.EXE"), std::string::npos);
}

TEST_F(UninstallJourney, UninstallStringKeepsTheUsersFilesAndTheirFolder)
{
    const TSystemSnapshot before = TakeSnapshot();
    InstallForUninstall();
    const std::string notes = Dest + "notes.txt", sitesDir = Dest + "My Sites", home = sitesDir + "\\home.ini";
    CreateDirectoryA(sitesDir.c_str(), nullptr);
    for (const std::string& path : {notes, home}) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "mine", 4, &written, nullptr);
        CloseHandle(file);
    }
    const TSystemSnapshot installed = TakeSnapshot();
    const std::string command = UninstallString();
    ASSERT_EQ(command, WinDir() + "unzarn.exe " + Dest + "install.log");

    {
        TUninstaller declined(command);
        ASSERT_TRUE(declined.Started);
        EXPECT_EQ(AnswerBox("Confirm", IDNO), Question);
        EXPECT_EQ(declined.ExitCode(), 2);
        const TSystemSnapshot unchanged = TakeSnapshot();
        EXPECT_EQ(Differences(installed.Files, unchanged.Files), std::vector<std::string>{});
        EXPECT_EQ(Differences(installed.Registry, unchanged.Registry), std::vector<std::string>{});
    }

    TUninstaller uninstaller(command);
    ASSERT_TRUE(uninstaller.Started);
    EXPECT_EQ(AnswerBox("Confirm", IDYES), Question);
    EXPECT_EQ(AnswerBox("Confirm", IDNO), KeepQuestion);
    EXPECT_EQ(AnswerBox("Setup", IDOK), "ZarnFTP has been removed.\n\nThese folders hold files of your own and were "
                                     "left in place:\n" + Dest.substr(0, Dest.size() - 1));
    EXPECT_EQ(uninstaller.ExitCode(), 0);

    const TSystemSnapshot after = TakeSnapshot();
    std::vector<std::string> added;
    for (const std::string& path : {Dest.substr(0, Dest.size() - 1), sitesDir, home, notes})
        added.push_back("+ " + path);
    for (const std::string& left : UninstallerLeft(before))
        added.push_back(left);
    EXPECT_EQ(Differences(before.Files, after.Files), added);
    EXPECT_EQ(Sorted(Differences(before.Registry, after.Registry)), RegistryLeft(before));
    EXPECT_EQ(ReadWholeFile(home), std::vector<char>({'m', 'i', 'n', 'e'}));
}

TEST_F(UninstallJourney, AFileInUseKeepsTheLogAndTheEntryForASecondRun)
{
    InstallForUninstall();
    const std::string command = UninstallString(), help = Dest + "ZarnFTP.HLP", log = Dest + "install.log";
    const auto pendingRenames = [] {
        return QueryValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                          "PendingFileRenameOperations")
            .Data;
    };
    const std::string pendingBefore = pendingRenames();
    // Open as a running help viewer holds it: no sharing of delete.
    const HANDLE held = CreateFileA(help.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        TUninstaller first(command);
        ASSERT_TRUE(first.Started);
        EXPECT_EQ(AnswerBox("Confirm", IDYES), Question);
        EXPECT_EQ(AnswerBox("Confirm", IDNO), KeepQuestion);
        const std::string summary = AnswerBox("Setup", IDOK);
        EXPECT_EQ(first.ExitCode(), 1);
        CloseHandle(held);
        EXPECT_EQ(summary.rfind("ZarnFTP has been removed, but not completely.\n\nThese could not be removed:\n" + help +
                                    "\n\n",
                                0),
                  0u)
            << summary;
        EXPECT_NE(summary.find("Close the programs that use them and remove ZarnFTP again to finish."),
                  std::string::npos)
            << summary;
    }
    EXPECT_FALSE(FileExists(Dest + "ZarnFTP.exe"));
    EXPECT_TRUE(FileExists(help));
    // What the second run needs stays: the log, the entry, and the uninstaller itself.
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(UninstallString(), command);
    EXPECT_EQ(pendingRenames(), pendingBefore);

    TUninstaller second(command);
    ASSERT_TRUE(second.Started);
    EXPECT_EQ(AnswerBox("Confirm", IDYES), Question);
    const std::string summary = AnswerBox("Setup", IDOK);
    EXPECT_EQ(summary.rfind("ZarnFTP has been removed.", 0), 0u) << summary;
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_FALSE(FileExists(help));
    EXPECT_FALSE(FileExists(log));
    EXPECT_EQ(UninstallString(), "");
}

// Presses Enter in a box as the person at the desktop does: the box's own
// keyboard handling takes it to the button that has the focus, or the default.
void PressEnter(HWND box)
{
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(box, WM_KEYUP, VK_RETURN, 0xC0000001);
}

// A user's machine: shortcuts from the first install, a reinstall without
// them over an edited site list, settings the program wrote, and a line
// planted in the log by someone who can write the destination. Enter through
// every box keeps the user's data and touches nothing outside the installation.
TEST_F(UninstallJourney, EnterThroughEveryBoxKeepsTheUsersDataAndTouchesNothingElse)
{
    const TRegValue ftpBefore = QueryValue(HKEY_CLASSES_ROOT, "ftp\\shell\\open\\command", "");
    InstallForUninstall();
    const std::vector<std::string> links = LinkFiles();
    for (const std::string& link : links)
        ASSERT_TRUE(FileExists(link)) << link;
    const std::string sites = "; my own sites\r\n[Home]\r\nHost=ftp.home.example\r\nPassword=secret\r\n";
    WriteUserSites(sites);
    ASSERT_EQ(RunAndWait("\"" + HostPath(ZARN_INSTALL_DRIVER) + "\" --shortcuts no"), 0);
    for (const std::string& line : ReadLines(Dest + "install.log"))
        ASSERT_EQ(line.find(".lnk"), std::string::npos) << line;
    const std::string settings = "[Options]\r\nPassive=1\r\n";
    WriteText(Dest + "zarnftp.ini", settings);

    // Outside the installation, named through it.
    const std::string planted = "C:\\zarn-planted.txt", plantedText = "not the installation's\r\n";
    const std::string plantedLine = "Copy: " + Dest + "..\\..\\zarn-planted.txt";
    WriteText(planted, plantedText);
    std::vector<std::string> log = ReadLines(Dest + "install.log");
    ASSERT_GE(log.size(), 2u);
    log.insert(log.end() - 1, plantedLine);
    std::string text;
    for (const std::string& line : log)
        text += line + "\r\n";
    WriteText(Dest + "install.log", text);

    TUninstaller uninstaller(UninstallString());
    ASSERT_TRUE(uninstaller.Started);
    std::vector<std::string> boxes;
    WaitUntil(
        [&] {
            for (const char* caption : {"Confirm", "Setup"}) {
                std::string question;
                if (const HWND box = WaitForBox(caption, &question, 100)) {
                    boxes.push_back(std::string(caption) + ": " + question);
                    PressEnter(box);
                    WaitGone(box);
                }
            }
            return WaitForSingleObject(uninstaller.Process.hProcess, 0) == WAIT_OBJECT_0;
        },
        60000);
    EXPECT_EQ(uninstaller.ExitCode(), 0);
    const std::string destination = Dest.substr(0, Dest.size() - 1);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "Confirm: " + Question);
    EXPECT_EQ(boxes[1], "Confirm: " + KeepQuestion);
    EXPECT_EQ(boxes[2].rfind("Setup: ZarnFTP has been removed.\n\nYour settings and site list were kept in " +
                                 destination + ":\nzarnftp.ini\nsites.ini\n\n",
                             0),
              0u)
        << boxes[2];
    EXPECT_NE(boxes[2].find("These are outside the installation and were not removed:\n" + Dest +
                            "..\\..\\zarn-planted.txt"),
              std::string::npos)
        << boxes[2];

    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt", "install.log"})
        EXPECT_FALSE(FileExists(Dest + name)) << name;
    for (const std::string& link : links)
        EXPECT_FALSE(FileExists(link)) << link;
    EXPECT_EQ(GetFileAttributesA((ShellFolder("Programs") + "\\ZarnFTP").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(TextOfFile(Dest + "sites.ini"), sites);
    EXPECT_EQ(TextOfFile(Dest + "zarnftp.ini"), settings);
    EXPECT_EQ(TextOfFile(planted), plantedText);
    const TRegValue ftpAfter = QueryValue(HKEY_CLASSES_ROOT, "ftp\\shell\\open\\command", "");
    EXPECT_EQ(ftpAfter.Found, ftpBefore.Found);
    EXPECT_EQ(ftpAfter.Data, ftpBefore.Data);
    EXPECT_EQ(UninstallString(), "");

    // The prefix as the other journeys expect it.
    for (const std::string& path : {Dest + "sites.ini", Dest + "zarnftp.ini", planted})
        DeleteFileA(path.c_str());
    RemoveDirectoryA(destination.c_str());
}

// Another user swaps a folder the uninstall acts in for a link to the Windows
// directory while the first question is on screen, and Yes is answered:
// what the link leads to stays untouched, and the uninstall either removes
// the installation's own files or refuses with its box.
TEST_F(UninstallJourney, AFolderSwappedForALinkWhileTheQuestionIsOpenLeadsNowhere)
{
    const std::string destination = Dest.substr(0, Dest.size() - 1);
    for (const std::string& swapped : {Dest + "plugins", destination}) {
        SCOPED_TRACE(swapped);
        InstallForUninstall();
        const std::string command = UninstallString();
        // A file of the installation in a folder of its own, and files of the same names where a link will lead.
        CreateDirectoryA((Dest + "plugins").c_str(), nullptr);
        WriteText(Dest + "plugins\\zarn-victim.dll", "installed");
        std::vector<std::string> log = ReadLines(Dest + "install.log");
        log.insert(log.end() - 1, "Copy: " + Dest + "plugins\\zarn-victim.dll");
        log.insert(log.end() - 1, "Copy: " + Dest + "zarn-victim.dll");
        std::string text;
        for (const std::string& line : log)
            text += line + "\r\n";
        WriteText(Dest + "install.log", text);
        WriteText(Dest + "zarn-victim.dll", "installed");
        const std::string victim = WinDir() + "zarn-victim.dll";
        WriteText(victim, "the system's");

        TUninstaller uninstaller(command);
        ASSERT_TRUE(uninstaller.Started);
        std::string question;
        const HWND box = WaitForBox("Confirm", &question, 30000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(question, Question);
        const std::string away = swapped + "-away";
        const bool moved = MoveFileA(swapped.c_str(), away.c_str()) != 0;
        const bool linked = moved && CreateSymbolicLinkA(swapped.c_str(), WinDir().c_str(),
                                                         SYMBOLIC_LINK_FLAG_DIRECTORY) != 0;
        const DWORD why = GetLastError();
        if (!linked) {
            Answer(box, IDNO);
            WaitGone(box);
            EXPECT_EQ(uninstaller.ExitCode(), 2);
            if (moved)
                MoveFileA(away.c_str(), swapped.c_str());
            DeleteFileA(victim.c_str());
            TUninstaller cleanup(command);
            AnswerBox("Confirm", IDYES);
            AnswerBox("Setup", IDOK);
            cleanup.ExitCode();
            GTEST_SKIP() << "this system makes no symbolic link to a folder (error " << why << ")";
        }
        Answer(box, IDYES);
        WaitGone(box);
        WaitUntil(
            [&] {
                for (const char* caption : {"Confirm", "Setup"})
                    if (const HWND next = WaitForBox(caption, nullptr, 100)) {
                        Answer(next, caption == std::string("Confirm") ? IDNO : IDOK);
                        WaitGone(next);
                    }
                return WaitForSingleObject(uninstaller.Process.hProcess, 0) == WAIT_OBJECT_0;
            },
            60000);
        const int code = uninstaller.ExitCode();
        EXPECT_TRUE(code == 0 || code == 1 || code == 4) << code;
        EXPECT_EQ(TextOfFile(victim), "the system's");
        RemoveDirectoryA(swapped.c_str());
        MoveFileA(away.c_str(), swapped.c_str());
        DeleteFileA(victim.c_str());
        TUninstaller cleanup(command);
        AnswerBox("Confirm", IDYES);
        AnswerBox("Setup", IDOK);
        cleanup.ExitCode();
    }
}

} // namespace
