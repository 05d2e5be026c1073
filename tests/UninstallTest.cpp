// The uninstaller: the log read back, the command line, the plan of what to
// remove, and whole runs over an installation made by the install run on
// in-memory services, compared with the system as it was before.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "installer/Shortcuts.h"
#include "installer/UninstallCommandLine.h"
#include "platform/CodePage.h"
#include "uninstaller/UninstallLog.h"
#include "uninstaller/UninstallPlan.h"
#include "uninstaller/UninstallRun.h"
#include "platform/PathRules.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/InstallBench.h"

namespace {

const std::string D = DestDir + "\\";
const std::string LogPath = D + "install.log";
const std::string Group = UserDir + "Start Menu\\Programs\\ZarnFTP";
const std::string GoodLog = "*** Install started: 2024-03-09 14:05:07\r\nAppName: ZarnFTP\r\n"
                            "Copy: " + D + "ZarnFTP.exe\r\nRegKey: ftp\\shell\\open\\command\r\n"
                            "CreateFile: " + Group + "\\Uninstall ZarnFTP.lnk\r\n"
                            "*** Install Completed: 2024-03-09 14:06:30\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

TEST(UninstallLogTest, ReadsCompletedAndPartialLogsWithEitherLineEnd)
{
    const std::string longPath = D + std::string(40000, 'x') + ".dat";
    const std::string completed = "*** Install Completed: ";
    const std::string text =
        Replaced(GoodLog, completed, "CreateFile: " + longPath + "\r\n" + completed);
    for (const std::string& variant : {text, Replaced(text, "\r\n", "\n")}) {
        const TUninstallLog log = ParseUninstallLog(variant);
        EXPECT_EQ(log.AppName, "ZarnFTP");
        EXPECT_EQ(log.Copied, std::vector<std::string>{D + "ZarnFTP.exe"});
        EXPECT_EQ(log.RegKeys, std::vector<std::string>{"ftp\\shell\\open\\command"});
        EXPECT_EQ(log.Created, (std::vector<std::string>{Group + "\\Uninstall ZarnFTP.lnk", longPath}));
        EXPECT_TRUE(log.Completed);
    }
    // A run that ended in an error leaves no completed line; its lines still count.
    const TUninstallLog partial = ParseUninstallLog(GoodLog.substr(0, GoodLog.find("*** Install Completed")));
    EXPECT_FALSE(partial.Completed);
    EXPECT_EQ(partial.Created.size(), 1u);
}

TEST(UninstallLogTest, RejectsWhatIsNotALog)
{
    const std::string head = "*** Install started: x\r\nAppName: ZarnFTP\r\n";
    for (const std::string& text : std::vector<std::string>{std::string(), std::string("MZ\x90\0\x03\0\0\0", 8), "[sites]\r\nHost=ftp.example\r\n",
          "*** Install started: x\r\nCopy: C:\\a\r\n", "*** Install started: x\r\nAppName: \r\n",
          "*** Install started: x\r\nAppName: ..\\Run\r\n", "*** Install started: x\r\nAppName: ..\r\n",
          "*** Install started: x\r\nAppName: Zarn/FTP\r\n", "*** Install started: x\r\nAppName: C:\r\n",
          "*** Install started: x\r\nAppName: ZarnFTP.\r\n", head + "Delete: C:\\Windows\\win.ini\r\n",
          head + "Copy: \r\n", head + "*** Install Completed: y\r\nCopy: C:\\a\r\n",
          head + std::string("Copy: C:\\a\0b\r\n", 14)})
        EXPECT_THROW(ParseUninstallLog(text), EUninstallLogError) << text;
}

TEST(UninstallLogTest, ReadingNamesTheFileAndWhyNothingWasRemoved)
{
    TMemoryFileSystem disk;
    TNativeSpellingFileSystem files(disk);
    const auto message = [&](const std::string& path) {
        try {
            ReadUninstallLog(files, path, cpWestern);
        } catch (const EUninstallLogError& e) {
            return e.Message();
        }
        return std::string("read");
    };
    EXPECT_EQ(message("C:\\gone\\install.log"),
              "The install log \"C:\\gone\\install.log\" was not found. Nothing has been removed");
    disk.AddFile(ToNativePath("C:\\sites.ini"), Bytes("[sites]\r\n"));
    EXPECT_EQ(message("C:\\sites.ini"),
              "\"C:\\sites.ini\" is not an install log: line 1 is not an install log line. Nothing has been removed");
    disk.AddFile(ToNativePath("C:\\big.log"), std::vector<uint8_t>(MaxUninstallLogSize + 1, 'A'));
    EXPECT_NE(message("C:\\big.log").find("far too large"), std::string::npos);
    disk.AddFile(ToNativePath("C:\\half.log"), Bytes("\xEF\xBB\xBF" + GoodLog + "Copy: C:\\Z\xE4rn\r\n"));
    EXPECT_EQ(message("C:\\half.log"), "\"C:\\half.log\" is not an install log: it is neither UTF-8 nor text of this "
                                       "system's code page. Nothing has been removed");
}

// The log is ANSI text of the system's code page, or UTF-8 after a byte-order
// mark; either way the paths come out in UTF-8, the same paths.
TEST(UninstallLogTest, ReadsAnsiAndUtf8LogsToTheSamePaths)
{
    TMemoryFileSystem disk;
    TNativeSpellingFileSystem files(disk);
    const auto copied = [&](const std::string& bytes, unsigned codePage) {
        disk.AddFile(ToNativePath("C:\\install.log"), Bytes(bytes));
        return ReadUninstallLog(files, "C:\\install.log", codePage).Copied;
    };
    const std::string head = "*** Install started: x\r\nAppName: ZarnFTP\r\n";
    const std::vector<std::string> zarn = {"C:\\Z\xC3\xA4rn\\a.exe"};
    EXPECT_EQ(copied(head + "Copy: C:\\Z\xE4rn\\a.exe\r\n", cpWestern), zarn);
    EXPECT_EQ(copied("\xEF\xBB\xBF" + head + "Copy: C:\\Z\xC3\xA4rn\\a.exe\r\n", cpWestern), zarn);
    EXPECT_EQ(copied("\xEF\xBB\xBF" + head + "Copy: C:\\Z\xC3\xA4rn\\a.exe\r\n", cpJapanese), zarn);
    // ソフト in code page 932: its "\" second byte separates nothing.
    EXPECT_EQ(copied(head + "Copy: C:\\\x83\x5C\x83\x74\x83\x67\\a.exe\r\n", cpJapanese),
              std::vector<std::string>{"C:\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\\a.exe"});
}

TEST(UninstallCommandLineTest, TheRestOfTheLineIsTheLogPath)
{
    const std::string self = "C:\\My Windows\\unzarn.exe";
    struct TCase {
        std::string CommandLine, Log;
    } cases[] = {
        {"C:\\WINDOWS\\unzarn.exe C:\\Program Files\\ZarnFTP\\install.log", "C:\\Program Files\\ZarnFTP\\install.log"},
        {"\"C:\\WINDOWS\\unzarn.exe\" C:\\Program Files\\Zarn  FTP\\install.log ", "C:\\Program Files\\Zarn  FTP\\install.log"},
        {"unzarn.exe \"C:\\Program Files\\ZarnFTP\\install.log\"", "C:\\Program Files\\ZarnFTP\\install.log"},
        {"c:\\my windows\\UNZARN.EXE D:\\A B\\install.log", "D:\\A B\\install.log"},
        {"C:\\WINDOWS\\unzarn.exe", ""},
        {"\"C:\\WINDOWS\\unzarn.exe\"   ", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(LogPathFromArguments(ArgumentsAfterProgram(c.CommandLine, self)), c.Log) << c.CommandLine;
}

TEST(UninstallPlanTest, OnlyExistingLoggedFilesOnceEachAndTheirBackups)
{
    TMemoryFileSystem disk;
    TNativeSpellingFileSystem files(disk);
    TRecordedShellLinks links;
    const std::string uninstallLink = Group + "\\Uninstall ZarnFTP.lnk";
    links.Links = {{uninstallLink, WindowsDir + "unzarn.exe", LogPath},
                   {UserDir + "Desktop\\Uninstall ZarnFTP.lnk", WindowsDir + "unzarn.exe", LogPath}};
    for (const std::string& path : {D + "ZarnFTP.exe", D + "SITES.INI", D + "Backup\\ZarnFTP.exe", D + "zarnftp.ini",
                                    D + "Backup\\notes.txt", UserDir + "Desktop\\Uninstall ZarnFTP.lnk", uninstallLink,
                                    LogPath}) {
        disk.AddFile(ToNativePath(path), Bytes("x"));
        for (std::string dir = path; !(dir = ExtractFilePath(ToNativePath(dir))).empty();) {
            dir.pop_back();
            disk.Directories.insert(dir);
        }
    }
    TUninstallLog log;
    log.AppName = "ZarnFTP";
    log.Copied = {D + "ZarnFTP.exe", D + "README.TXT", D + "SITES.INI", D + ".\\ZarnFTP.EXE"};
    log.Created = {UserDir + "Desktop\\Uninstall ZarnFTP.lnk", uninstallLink, D + "sites.ini", D + "zarnftp.ini",
                   D + "stats.dat", LogPath};
    const TUninstallPlan plan = MakeUninstallPlan(log, LogPath, "ZarnFTP", "ZarnFTP.exe", files, links, {});
    EXPECT_EQ(plan.Files, std::vector<std::string>{D + "ZarnFTP.exe"});
    // The site list the payload started is the user's, like what the program wrote.
    EXPECT_EQ(plan.DataFiles, (std::vector<std::string>{D + "SITES.INI", D + "zarnftp.ini"}));
    EXPECT_EQ(plan.Links, std::vector<std::string>{uninstallLink});
    // An uninstall link is made in the program group only.
    EXPECT_EQ(plan.LeftAlone, std::vector<std::string>{UserDir + "Desktop\\Uninstall ZarnFTP.lnk"});
    ASSERT_EQ(plan.Restores.size(), 1u);
    EXPECT_EQ(plan.Restores[0].From, D + "Backup\\ZarnFTP.exe");
    EXPECT_EQ(plan.Restores[0].To, D + "ZarnFTP.exe");
    EXPECT_EQ(plan.GroupDirs, std::vector<std::string>{Group}); // never the desktop
    EXPECT_EQ(plan.BackupDir, D + "Backup");
    EXPECT_EQ(plan.DestinationDir, DestDir);
    EXPECT_EQ(plan.AppPathsKey, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe");

    EXPECT_THROW(MakeUninstallPlan(log, "install.log", "ZarnFTP", "ZarnFTP.exe", files, links, {}), EUninstallLogError);
}

class TRecordingReport : public TUninstallReport {
public:
    std::vector<std::string> Errors, Summaries;
    void ShowError(const std::string& message) override { Errors.push_back(message); }
    void ShowSummary(const std::string& text) override { Summaries.push_back(text); }
};

// Refuses to delete files in use and read-only ones, as Windows does.
class TLockingDisk : public TNativeSpellingFileSystem {
public:
    using TNativeSpellingFileSystem::TNativeSpellingFileSystem;
    std::set<std::string> InUse;
    bool RemoveFile(const std::string& path) override
    {
        if (InUse.count(ToNativePath(path)) || (GetAttributes(path) >= 0 && (GetAttributes(path) & faReadOnly)))
            return false;
        return TNativeSpellingFileSystem::RemoveFile(path);
    }
    bool RemoveFileAt(TDirectoryHandle& directory, const std::string& name) override
    {
        return InUse.count(directory.Path() + PathDelim + name) == 0 &&
               TNativeSpellingFileSystem::RemoveFileAt(directory, name);
    }
};

struct TSnapshot {
    std::map<std::string, std::vector<uint8_t>> Files;
    std::set<std::string> Directories;
    std::map<std::string, std::map<std::string, TMemoryRegistry::TValue>> Keys;
    bool operator==(const TSnapshot&) const = default;
};

class UninstallRunTest : public ::testing::Test {
protected:
    UninstallRunTest()
    {
        // Folders that a configured system has before any install.
        for (const char* dir : {"C:", "C:\\Users", "C:\\Users\\ann", "C:\\Users\\ann\\Start Menu",
                                "C:\\Users\\ann\\Start Menu\\Programs"})
            Bench.AddDirectory(dir);
    }

    TSnapshot Snapshot() const
    {
        TSnapshot s{{}, Bench.Disk.Directories, Bench.Registry.Keys()};
        for (const auto& [path, file] : Bench.Disk.Files)
            s.Files[path] = *file.Bytes;
        return s;
    }
    // The system before the wizard made the destination and its Backup.
    TSnapshot Before()
    {
        TSnapshot s = Snapshot();
        s.Directories.erase(ToNativePath(DestDir));
        s.Directories.erase(ToNativePath(D + "Backup"));
        return s;
    }
    // The install run, with the shell saving each link it is given.
    void Install(bool backup = false, bool shortcuts = true)
    {
        const size_t saved = Bench.Links.Links.size();
        Bench.Answers.Answers = {shortcuts};
        Bench.Run.FBackup = backup;
        Bench.Install();
        for (size_t i = saved; i < Bench.Links.Links.size(); ++i)
            Bench.AddFile(Bench.Links.Links[i].LinkFile, "link to " + Bench.Links.Links[i].Target);
    }
    TUninstallOutcome Uninstall(std::deque<bool> answers, const std::string& logPath = LogPath)
    {
        Bench.Answers.Answers = std::move(answers);
        Bench.Answers.Asked.clear();
        TUninstallRun run("ZarnFTP", "ZarnFTP.exe", {Disk, Bench.Registry, Bench.Links, Bench.Answers, Report});
        return run.Execute(logPath);
    }

    TInstallBench Bench;
    TLockingDisk Disk{Bench.Disk};
    TRecordingReport Report;
};

TEST_F(UninstallRunTest, InstallThenUninstallLeavesTheSystemAsItWas)
{
    TSnapshot expected = Before();
    // Every value of the Uninstall key goes with it.
    Bench.Settings.Version = "3.1.0";
    Bench.Settings.Publisher = "Zarn Software";
    Bench.Settings.URL = "https://zarn.example/ftp";
    Install();
    ASSERT_NE(Bench.Registry.Value(rkLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP",
                                   "URLInfoAbout"),
              nullptr);
    const TUninstallOutcome outcome = Uninstall({true, false});

    EXPECT_EQ(Bench.Answers.Asked,
              (std::vector<std::string>{"Are you sure you want to remove ZarnFTP and all of its components?",
                                        "Do you want to keep your ZarnFTP settings and site list?"}));
    EXPECT_EQ(outcome.Result, urRemoved);
    EXPECT_EQ(Report.Summaries, std::vector<std::string>{"ZarnFTP has been removed."});
    // What remains is the uninstaller; the protocol values the install kept are back.
    expected.Files[ToNativePath(WindowsDir + "unzarn.exe")] = Bytes("uninstall");
    EXPECT_EQ(Snapshot(), expected);
}

TEST_F(UninstallRunTest, UserFilesAndTheirFoldersSurviveAndNothingUnloggedIsTouched)
{
    Install();
    const std::vector<std::string> mine = {D + "notes.txt", D + "ZarnFTP.exe.bak", D + "Backup\\old.txt",
                                           Group + "\\Mine.lnk", UserDir + "Desktop\\Other.lnk"};
    for (const std::string& path : mine)
        Bench.AddFile(path, "mine " + path);
    const TUninstallOutcome outcome = Uninstall({true, false});

    for (const std::string& path : mine)
        EXPECT_EQ(Bench.Text(path), "mine " + path);
    EXPECT_FALSE(Bench.Exists(D + "ZarnFTP.exe"));
    EXPECT_FALSE(Bench.Exists(LogPath));
    EXPECT_EQ(outcome.Kept, (std::vector<std::string>{Group, D + "Backup", DestDir}));
    EXPECT_EQ(outcome.Result, urRemoved);
    EXPECT_NE(Report.Summaries.at(0).find("left in place:\n" + Group + "\n" + D + "Backup\n" + DestDir),
              std::string::npos);
}

TEST_F(UninstallRunTest, NoAnswerOrAnUnusableLogChangesNothing)
{
    Install();
    const TSnapshot installed = Snapshot();
    EXPECT_EQ(Uninstall({false}).Result, urDeclined);
    EXPECT_EQ(Snapshot(), installed);
    EXPECT_TRUE(Report.Summaries.empty());

    Bench.AddFile(D + "README.TXT", "not a log");
    const TSnapshot foreign = Snapshot();
    EXPECT_EQ(Uninstall({}, D + "README.TXT").Result, urUnusableLog);
    EXPECT_EQ(Uninstall({}, "").Result, urUnusableLog);
    EXPECT_TRUE(Bench.Answers.Asked.empty());
    EXPECT_EQ(Report.Errors.size(), 2u);
    EXPECT_EQ(Snapshot(), foreign);
}

TEST_F(UninstallRunTest, BackupsOfAReinstallComeBackOnYesAndStayOnNo)
{
    for (bool restore : {true, false}) {
        Bench.Disk.Files.clear();
        Bench.AddDirectory(DestDir);
        Bench.AddDirectory(D + "Backup");
        Bench.AddFile(D + "README.TXT", "old readme");
        Install(true);
        ASSERT_EQ(Bench.Text(D + "Backup\\README.TXT"), "old readme");
        const TUninstallOutcome outcome = Uninstall({true, false, restore});
        EXPECT_EQ(Bench.Answers.Asked.back(), "Restore the files saved in Backup?");
        EXPECT_EQ(Bench.Text(D + "README.TXT"), restore ? "old readme" : "");
        EXPECT_EQ(Bench.Exists(D + "Backup\\README.TXT"), !restore);
        const std::vector<std::string> kept =
            restore ? std::vector<std::string>{DestDir} : std::vector<std::string>{D + "Backup", DestDir};
        EXPECT_EQ(outcome.Kept, kept);
    }
}

TEST_F(UninstallRunTest, AFileInUseIsNamedAndTheRestGoesOn)
{
    Install();
    Disk.InUse.insert(ToNativePath(D + "ZarnFTP.HLP"));
    Bench.Files.SetAttributes(D + "README.TXT", faReadOnly | faArchive); // removed all the same
    const TUninstallOutcome outcome = Uninstall({true, false});

    EXPECT_EQ(outcome.Result, urIncomplete);
    // Named as it was removed: resolved as Windows resolves the log's spelling.
    const std::string help = D + "ZarnFTP.HLP";
    EXPECT_EQ(outcome.NotRemoved, std::vector<std::string>{help});
    EXPECT_FALSE(Bench.Exists(D + "README.TXT"));
    EXPECT_FALSE(Bench.Exists(D + "whatsnew.txt"));
    // The log and the uninstall entry stay for a second run once the file is free.
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
    EXPECT_TRUE(Bench.Exists(LogPath));
    EXPECT_TRUE(Bench.Registry.KeyExists(rkLocalMachine, uninstall));
    EXPECT_FALSE(Bench.Registry.KeyExists(rkLocalMachine,
                                          "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe"));
    EXPECT_EQ(Report.Summaries.at(0), "ZarnFTP has been removed, but not completely.\n\nThese could not be removed:\n" +
                                          help + "\n\nThese folders hold files of your own and were left "
                                              "in place:\n" + DestDir +
                                          "\n\nClose the programs that use them and remove ZarnFTP again to finish.");

    Disk.InUse.clear();
    const TUninstallOutcome again = Uninstall({true});
    EXPECT_EQ(again.Result, urRemoved);
    EXPECT_FALSE(Bench.Exists(help));
    EXPECT_FALSE(Bench.Exists(LogPath));
    EXPECT_FALSE(Bench.Exists(DestDir));
    EXPECT_FALSE(Bench.Registry.KeyExists(rkLocalMachine, uninstall));
}

TEST_F(UninstallRunTest, EntriesThatAnotherInstallationTookOverAreKept)
{
    Install();
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe";
    Bench.Registry.SetValue(rkLocalMachine, uninstall, "UninstallString", "C:\\WINDOWS\\unzarn.exe D:\\Z\\install.log");
    Bench.Registry.SetValue(rkLocalMachine, appPaths, "", "D:\\Z\\ZarnFTP.exe");
    Bench.Registry.SetValue(rkClassesRoot, "ftp\\DefaultIcon", "", "D:\\Z\\ZarnFTP.exe,0");
    Uninstall({true, false});

    EXPECT_TRUE(Bench.Registry.KeyExists(rkLocalMachine, uninstall));
    EXPECT_TRUE(Bench.Registry.KeyExists(rkLocalMachine, appPaths));
    ASSERT_NE(Bench.Registry.Value(rkClassesRoot, "ftp\\DefaultIcon", ""), nullptr);
    EXPECT_EQ(Bench.Registry.Value(rkClassesRoot, "ftp\\shell\\open\\command", ""), nullptr);
}

// The Uninstall key is the product's own, and ours only when its command
// names this log; the log's AppName picks nothing.
TEST_F(UninstallRunTest, OnlyTheProductsKeyThatNamesThisLogGoes)
{
    const std::string keys = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    struct TCase {
        const char* Name;
        std::string UninstallString; // "" for none
        bool Removed;
    };
    const std::vector<TCase> cases = {
        {"this log", "C:\\WINDOWS\\unzarn.exe " + LogPath, true},
        {"this log, other case and quotes", "c:\\windows\\UNZARN.EXE \"" + LogPath + "\"", true},
        {"no command", "", false},
        {"another log", "C:\\WINDOWS\\unzarn.exe D:\\Z\\install.log", false},
        {"this log, another program", "C:\\WINDOWS\\other.exe " + LogPath, false},
        {"the log's path as a suffix of another", "C:\\WINDOWS\\unzarn.exe X" + LogPath, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // The wizard makes the destination and its Backup before each install.
        Bench.AddDirectory(DestDir);
        Bench.AddDirectory(D + "Backup");
        Install();
        if (c.UninstallString.empty())
            Bench.Registry.RemoveKey(rkLocalMachine, keys + "ZarnFTP");
        // A Windows component's key without a command, named by a log that says it is that program.
        Bench.Registry.SetValue(rkLocalMachine, keys + "AddressBook", "DisplayName", "Address Book");
        Bench.Registry.SetValue(rkLocalMachine, keys + "ZarnFTP", "DisplayName", "ZarnFTP");
        if (!c.UninstallString.empty())
            Bench.Registry.SetValue(rkLocalMachine, keys + "ZarnFTP", "UninstallString", c.UninstallString);
        std::string log = Bench.Text(LogPath);
        log.replace(log.find("AppName: ZarnFTP"), 16, "AppName: AddressBook");
        Bench.AddFile(LogPath, log);
        Uninstall({true, false});
        EXPECT_TRUE(Bench.Registry.KeyExists(rkLocalMachine, keys + "AddressBook"));
        EXPECT_EQ(Bench.Registry.KeyExists(rkLocalMachine, keys + "ZarnFTP"), !c.Removed);
        Bench.Registry.RemoveKey(rkLocalMachine, keys + "AddressBook");
        Bench.Registry.RemoveKey(rkLocalMachine, keys + "ZarnFTP");
    }
}

TEST_F(UninstallRunTest, TheSettingsAndSiteListStayUnlessTheUserSaysNo)
{
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept" : "removed");
        Install();
        // Once installed, the payload's site list is the user's; the program wrote its settings.
        Bench.AddFile(D + "SITES.INI", "[Home]\r\nPassword=secret\r\n");
        Bench.AddFile(D + "zarnftp.ini", "[Options]\r\n");
        const TUninstallOutcome outcome = Uninstall({true, keep});

        EXPECT_EQ(Bench.Answers.Asked.at(1), "Do you want to keep your ZarnFTP settings and site list?");
        EXPECT_EQ(outcome.Result, urRemoved);
        EXPECT_FALSE(Bench.Exists(D + "ZarnFTP.exe"));
        EXPECT_FALSE(Bench.Exists(LogPath));
        EXPECT_EQ(Bench.Text(D + "SITES.INI"), keep ? "[Home]\r\nPassword=secret\r\n" : "");
        EXPECT_EQ(Bench.Exists(D + "zarnftp.ini"), keep);
        EXPECT_EQ(Bench.Files.IsDirectory(DestDir), keep);
        const std::string kept = "\n\nYour settings and site list were kept in " + DestDir + ":\nSITES.INI\nzarnftp.ini";
        EXPECT_EQ(Report.Summaries.back().find(kept) != std::string::npos, keep) << Report.Summaries.back();
    }
    // Without them there is nothing to ask about.
    Bench.AddDirectory(DestDir); // as the wizard makes it
    Install();
    Bench.Files.RemoveFile(D + "SITES.INI");
    Uninstall({true});
    EXPECT_EQ(Bench.Answers.Asked.size(), 1u);
}

TEST_F(UninstallRunTest, LinksOfAnEarlierInstallGoThoughTheLogNoLongerNamesThem)
{
    Install();
    Install(false, false); // a reinstall that declines the shortcuts
    for (const std::string& line : Bench.LogLines())
        ASSERT_EQ(line.find(".lnk"), std::string::npos) << line;
    const std::vector<std::string> links = ShortcutFiles(Bench.Registry);
    ASSERT_EQ(links.size(), 5u);
    // One of the five places holds a link to another installation: someone else's.
    const std::string other = UserDir + "SendTo\\ZarnFTP.lnk";
    Bench.Links.Links.push_back({other, "D:\\Z\\ZarnFTP.exe"});
    const TUninstallOutcome outcome = Uninstall({true, false});

    for (const std::string& link : links)
        EXPECT_EQ(Bench.Exists(link), link == other) << link;
    EXPECT_FALSE(Bench.Files.IsDirectory(Group));
    EXPECT_TRUE(outcome.LeftAlone.empty());
    EXPECT_EQ(outcome.Result, urRemoved);
}

TEST_F(UninstallRunTest, TheFtpProtocolGetsBackWhatItHadBeforeTheInstall)
{
    const std::string icon = "ftp\\DefaultIcon", command = "ftp\\shell\\open\\command";
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
    const auto value = [&](TRootKey root, const std::string& key, const std::string& name) {
        const TMemoryRegistry::TValue* v = Bench.Registry.Value(root, key, name);
        return v ? v->Data : std::string("(none)");
    };
    const auto type = [&](TRootKey root, const std::string& key, const std::string& name) {
        const TMemoryRegistry::TValue* v = Bench.Registry.Value(root, key, name);
        return v ? v->Type : rdUnknown;
    };
    // An icon that names the system's directory expands when it is read; it must come back expandable.
    const std::string systemIcon = "%SystemRoot%\\system32\\url.dll,0";
    Bench.Registry.SetValue(rkClassesRoot, icon, "", systemIcon, rdExpandString);
    Install();
    Install(); // finds its own values there and keeps the first ones
    EXPECT_EQ(value(rkLocalMachine, uninstall, "PreviousFtpIcon"), systemIcon);
    EXPECT_EQ(type(rkLocalMachine, uninstall, "PreviousFtpIcon"), rdExpandString);
    EXPECT_EQ(value(rkLocalMachine, uninstall, "PreviousFtpCommand"), "C:\\old\\ftp.exe %1");
    EXPECT_EQ(value(rkClassesRoot, command, ""), "\"" + D + "ZarnFTP.exe\" \"%1\"");
    Uninstall({true, false});
    EXPECT_EQ(value(rkClassesRoot, icon, ""), systemIcon);
    EXPECT_EQ(type(rkClassesRoot, icon, ""), rdExpandString);
    EXPECT_EQ(value(rkClassesRoot, command, ""), "C:\\old\\ftp.exe %1");
    EXPECT_EQ(type(rkClassesRoot, command, ""), rdString);
    EXPECT_FALSE(Bench.Registry.KeyExists(rkLocalMachine, uninstall));
}

TEST_F(UninstallRunTest, AnFtpHandlerChosenSinceStaysAndOneNeverThereIsCleared)
{
    const std::string icon = "ftp\\DefaultIcon", command = "ftp\\shell\\open\\command";
    Bench.Registry.RemoveKey(rkClassesRoot, icon);
    Bench.Registry.AddKey(rkClassesRoot, icon); // the key, but no icon before the install
    Install();
    Bench.Registry.SetValue(rkClassesRoot, command, "", "\"C:\\New\\ftp.exe\" \"%1\"");
    Uninstall({true, false});
    EXPECT_EQ(Bench.Registry.Value(rkClassesRoot, icon, ""), nullptr);
    ASSERT_NE(Bench.Registry.Value(rkClassesRoot, command, ""), nullptr);
    EXPECT_EQ(Bench.Registry.Value(rkClassesRoot, command, "")->Data, "\"C:\\New\\ftp.exe\" \"%1\"");
}

} // namespace

// A profile and a destination the ANSI code page cannot hold: every file,
// link and registry value is at the real name, the log is UTF-8, and the
// uninstall finds and removes all of it.
TEST_F(UninstallRunTest, AUnicodeProfileAndDestinationInstallAndUninstallCompletely)
{
    const std::string user = "C:\\Users\\\xC5\x81ukasz\\";                                // Łukasz
    const std::string dest = "C:\\Programy\\Zarn \xC5\x81\xC3\x93" "D\xC5\xB9";             // Zarn ŁÓDŹ
    for (const std::string& dir : {std::string("C:\\Programy"), user.substr(0, user.size() - 1), user + "Desktop",
                                   user + "SendTo", user + "Start Menu", user + "Start Menu\\Programs"})
        Bench.AddDirectory(dir);
    Bench.Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Desktop", user + "Desktop");
    Bench.Registry.SetValue(rkCurrentUser, ShellFoldersKey, "SendTo", user + "SendTo");
    Bench.Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Programs", user + "Start Menu\\Programs");
    Bench.Payload.push_back({"Z\xE4rn.txt", Bytes("stored in code page 1252")}); // Zärn.txt
    TSnapshot before = Snapshot();
    Bench.AddDirectory(dest);

    Bench.Answers.Answers = {true};
    Bench.Install(dest);
    for (const TShellLinkInfo& link : Bench.Links.Links)
        Bench.AddFile(link.LinkFile, "link to " + link.Target);

    EXPECT_EQ(Bench.Text(dest + "\\Z\xC3\xA4rn.txt"), "stored in code page 1252");
    const std::vector<std::string> links = ShortcutFiles(Bench.Registry);
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0], user + "Desktop\\ZarnFTP.lnk");
    const std::string log = Bench.Text(dest + "\\install.log");
    ASSERT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
    for (const std::string& link : links) {
        EXPECT_TRUE(Bench.Exists(link)) << link;
        EXPECT_NE(log.find("\r\nCreateFile: " + link + "\r\n"), std::string::npos) << link;
    }
    EXPECT_NE(log.find("\r\nCopy: " + ToNativePath(dest + "\\Z\xC3\xA4rn.txt") + "\r\n"), std::string::npos);
    const auto* uninstall = Bench.Registry.Value(
        rkLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP", "UninstallString");
    ASSERT_NE(uninstall, nullptr);
    EXPECT_EQ(uninstall->Data, WindowsDir + "unzarn.exe " + dest + "\\install.log");

    const TUninstallOutcome outcome = Uninstall({true, false}, dest + "\\install.log");
    EXPECT_EQ(outcome.Result, urRemoved);
    EXPECT_TRUE(outcome.LeftAlone.empty());
    EXPECT_TRUE(Report.Errors.empty());
    before.Files[ToNativePath(WindowsDir + "unzarn.exe")] = Bytes("uninstall");
    EXPECT_EQ(Snapshot(), before);
}
