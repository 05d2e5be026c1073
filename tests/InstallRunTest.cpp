// The install run on in-memory services: install.log line by line for the
// run's variants, where the files end up, backups, the copy dialog, and the
// log when an error ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/CodePage.h"
#include "platform/PathRules.h"
#include "tests/support/InstallBench.h"
#include "tests/support/ArchiveBuilder.h"

namespace {

const std::string Started = "*** Install started: 2024-03-09 14:05:07";
const std::string Completed = "*** Install Completed: 2024-03-09 14:06:30";
const std::string CommandKey = "ftp\\shell\\open\\command";
const std::vector<std::string> AllCopied = {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "SITES.INI", "whatsnew.txt"};

std::vector<std::string> ShortcutLines()
{
    const std::string group = UserDir + "Start Menu\\Programs\\ZarnFTP\\";
    return {"CreateFile: " + UserDir + "Desktop\\ZarnFTP.lnk", "CreateFile: " + UserDir + "SendTo\\ZarnFTP.lnk",
            "CreateFile: " + group + "ZarnFTP.lnk", "CreateFile: " + group + "whatsnew.lnk",
            "CreateFile: " + group + "Uninstall ZarnFTP.lnk"};
}

struct TExpectedLog {
    std::vector<std::string> Copied = AllCopied;
    std::string RegKey = CommandKey;
    bool Shortcuts = true;
    std::string First = Started;
    std::string Last = Completed;
};

// dirName as chosen; the engine names the files after it, the run's own
// lines after dirName + "\".
std::vector<std::string> BuildLog(const std::string& dirName, const TExpectedLog& e)
{
    const std::string D = dirName + "\\";
    std::string engineDir = ToNativePath(dirName);
    if (engineDir.back() != PathDelim)
        engineDir += PathDelim;
    std::vector<std::string> lines = {e.First, "AppName: ZarnFTP"};
    for (const std::string& name : e.Copied)
        lines.push_back("Copy: " + engineDir + name);
    lines.push_back("RegKey: " + e.RegKey);
    if (e.Shortcuts)
        for (const std::string& line : ShortcutLines())
            lines.push_back(line);
    for (const char* name : {"zarnftp.ini", "zarnftp.log", "stats.dat", "sites.ini"})
        lines.push_back("CreateFile: " + D + name);
    lines.push_back(e.Last);
    return lines;
}

struct TRunCase {
    const char* Name;
    std::function<void(TInstallBench&)> Arrange;
    std::string DirName;
    TExpectedLog Expected;
};

TEST(InstallRunTest, LogLineByLine)
{
    const std::vector<TRunCase> cases = {
        {"first install", [](TInstallBench&) {}, DestDir, {}},
        {"shortcuts declined", [](TInstallBench& b) { b.Answers.Answers = {false}; }, DestDir,
         {.Shortcuts = false}},
        {"no protocol registration", [](TInstallBench& b) { b.Settings.RegisterExt = false; }, DestDir,
         {.RegKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe"}},
        {"no ftp\\DefaultIcon key", [](TInstallBench& b) { b.Registry.RemoveKey(rkClassesRoot, "ftp\\DefaultIcon"); },
         DestDir, {}},
        {"drive root",
         [](TInstallBench& b) {
             b.AddDirectory("C:");
             b.AddDirectory("C:\\");
         },
         "C:\\", {}},
        {"preserved sites.ini, entry in mixed case",
         [](TInstallBench& b) {
             b.Payload[3].first = "Sites.Ini";
             b.AddFile(DestDir + "\\sites.ini", "mine");
         },
         DestDir, {.Copied = {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt"}}},
        {"uninstaller in mixed case", [](TInstallBench& b) { b.Payload[4].first = "UnZarn.EXE"; }, DestDir, {}},
        {"started at midnight",
         [](TInstallBench& b) { b.Clock.Times = {{2024, 3, 9, 0, 0, 0, 0}, {2024, 3, 10, 0, 0, 0, 1}}; }, DestDir,
         {.First = "*** Install started: 2024-03-09", .Last = "*** Install Completed: 2024-03-10 00:00:00"}},
    };
    for (const TRunCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        c.Arrange(bench);
        bench.Install(c.DirName);
        EXPECT_EQ(bench.Lines(c.DirName + "\\install.log"), BuildLog(c.DirName, c.Expected));
        EXPECT_FALSE(bench.Run.LogFile.IsOpen());
        EXPECT_EQ(bench.Run.FInstallDir, c.DirName + "\\");
    }
}

TEST(InstallRunTest, FilesGoToTheDestinationAndTheUninstallerToWindows)
{
    TInstallBench bench;
    bench.Payload[4].first = "UnZarn.EXE";
    bench.Run.FBackup = true;
    bench.Install();
    for (const auto& [name, bytes] : bench.Payload) {
        const std::string path = (name == "UnZarn.EXE" ? WindowsDir : DestDir + "\\") + name;
        EXPECT_EQ(bench.Disk.Contents(ToNativePath(path)), bytes) << path;
    }
    EXPECT_FALSE(bench.Exists(DestDir + "\\UnZarn.EXE"));
    EXPECT_FALSE(bench.Exists(DestDir + "\\unzarn.exe"));
    EXPECT_TRUE(bench.Files.ListDirectory(DestDir + "\\Backup").empty()); // nothing to replace on a first install
}

TEST(InstallRunTest, ReinstallBacksUpReplacedFilesOnlyWhenAsked)
{
    for (const bool backup : {true, false}) {
        SCOPED_TRACE(backup ? "with backup" : "without backup");
        TInstallBench bench;
        bench.AddFile(DestDir + "\\ZarnFTP.exe", "old program");
        bench.AddFile(DestDir + "\\README.TXT", "old readme");
        bench.AddFile(DestDir + "\\sites.ini", "my sites");
        bench.AddFile(DestDir + "\\notes.txt", "not ours");
        bench.AddFile(DestDir + "\\Backup\\README.TXT", "older readme");
        bench.Run.FBackup = backup;
        bench.Install();

        EXPECT_EQ(bench.Disk.Contents(ToNativePath(DestDir + "\\ZarnFTP.exe")), bench.Payload[0].second);
        EXPECT_EQ(bench.Text(DestDir + "\\README.TXT"), "readme");
        EXPECT_EQ(bench.Text(DestDir + "\\sites.ini"), "my sites");
        EXPECT_FALSE(bench.Exists(DestDir + "\\SITES.INI"));
        EXPECT_EQ(bench.Text(DestDir + "\\notes.txt"), "not ours");
        std::vector<std::string> backedUp;
        for (const TDirectoryEntry& e : bench.Files.ListDirectory(DestDir + "\\Backup"))
            backedUp.push_back(e.Name + "=" + bench.Text(DestDir + "\\Backup\\" + e.Name));
        const std::vector<std::string> expected =
            backup ? std::vector<std::string>{"README.TXT=old readme", "ZarnFTP.exe=old program"}
                   : std::vector<std::string>{"README.TXT=older readme"};
        EXPECT_EQ(backedUp, expected);
    }
}

// A payload file kept read-only, hidden or system by a first install is
// replaced by the next one without a question; an empty last file is
// written like any other.
TEST(InstallRunTest, ReinstallReplacesGuardedFilesAndWritesAnEmptyLastFile)
{
    TInstallBench bench;
    bench.Payload.push_back({"zz-empty.txt", {}});
    bench.AddFile(DestDir + "\\ZarnFTP.HLP", "old help");
    bench.AddFile(DestDir + "\\zz-empty.txt", "old bytes");
    bench.Disk.Files[ToNativePath(DestDir + "\\ZarnFTP.HLP")].Attributes = faReadOnly | faHidden | faSysFile;
    bench.Disk.Files[ToNativePath(DestDir + "\\zz-empty.txt")].Attributes = faReadOnly;
    bench.Install();
    EXPECT_EQ(bench.Disk.Contents(ToNativePath(DestDir + "\\ZarnFTP.HLP")), bench.Payload[1].second);
    EXPECT_EQ(bench.Disk.Files[ToNativePath(DestDir + "\\ZarnFTP.HLP")].Attributes, faArchive);
    EXPECT_EQ(bench.Text(DestDir + "\\zz-empty.txt"), "");
    EXPECT_EQ(bench.Answers.Asked.size(), 1u) << "only the shortcuts question";
    const std::vector<std::string> log = bench.LogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "Copy: " + ToNativePath(DestDir + "\\zz-empty.txt")), log.end());
}

TEST(InstallRunTest, CopyDialogFollowsTheRun)
{
    TInstallBench bench;
    bench.Answers.OnAsk = [&] {
        EXPECT_TRUE(bench.Progress.Visible);
        EXPECT_EQ(bench.Progress.Status, "Creating Registry Entries...");
    };
    bench.Install();
    const std::vector<std::string>& j = bench.Progress.Journal;
    ASSERT_GE(j.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(j.begin(), j.begin() + 3),
              (std::vector<std::string>{"status Copying Files", "show", "messages"}));
    EXPECT_EQ(std::vector<std::string>(j.end() - 4, j.end()),
              (std::vector<std::string>{"file ", "status Creating Registry Entries...", "messages", "hide"}));
    // Each file's name, then its gauge rising from 0 to 100, each step
    // followed by a round of messages.
    std::vector<std::string> files;
    std::vector<std::vector<int>> gauges;
    for (size_t i = 3; i + 4 < j.size();) {
        if (j[i].rfind("file ", 0) == 0) {
            files.push_back(j[i].substr(5));
            gauges.emplace_back();
            ++i;
            continue;
        }
        ASSERT_EQ(j[i].rfind("progress ", 0), 0u) << i << ": " << j[i];
        ASSERT_EQ(j[i + 1], "messages") << i;
        ASSERT_FALSE(gauges.empty());
        gauges.back().push_back(std::stoi(j[i].substr(9)));
        i += 2;
    }
    EXPECT_EQ(files, (std::vector<std::string>{"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "SITES.INI",
                                               "unzarn.exe", "whatsnew.txt"}));
    for (const std::vector<int>& g : gauges) {
        ASSERT_GE(g.size(), 2u);
        EXPECT_EQ(g.front(), 0);
        EXPECT_EQ(g.back(), 100);
        EXPECT_TRUE(std::is_sorted(g.begin(), g.end()));
    }
    EXPECT_GT(gauges[0].size(), 4u); // the 20,000-byte program also reports between its ends
}

TEST(InstallRunTest, FailingLogIsAnErrorAndLeavesNothing)
{
    struct TCase {
        const char* Name;
        int FailCreateAt, FailWriteAt;
        std::string Message;
    };
    const std::string log = ToNativePath(DestDir + "\\install.log");
    const std::string nothing = ".\n\nNothing was installed.";
    const std::vector<TCase> cases = {
        {"log cannot be created", 1, 0, "Cannot create file \"" + log + "\"" + nothing},
        {"first Copy line cannot be written", 0, 3, "Cannot write \"" + log + "\": " + DiskFullReason +
                                                        "\n\nNothing was installed."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        bench.Disk.FailCreateAt = c.FailCreateAt;
        bench.Disk.FailWriteAt = c.FailWriteAt;
        try {
            bench.Install();
            ADD_FAILURE() << "no error";
        } catch (const EInstallFailed& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_FALSE(bench.Run.LogFile.IsOpen());
        EXPECT_FALSE(bench.Exists(DestDir + "\\install.log"));
        EXPECT_FALSE(bench.Exists(DestDir + "\\ZarnFTP.exe"));
        EXPECT_TRUE(bench.Registry.Writes.empty());
        EXPECT_EQ(bench.Run.Outcome(), ioFailed);
    }
}

TEST(InstallRunTest, ARegistryErrorUndoesTheRunAndTheCopyDialogStaysUp)
{
    TInstallBench bench;
    bench.AddFile(DestDir + "\\install.log", "the old log\r\n");
    bench.Registry.RefusedKeys = {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP"};
    const auto registryBefore = bench.Registry.Keys();
    try {
        bench.Install();
        ADD_FAILURE() << "no error";
    } catch (const EInstallFailed& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisplayName'.\n\nThe previous installation of ZarnFTP is unchanged.");
    }
    EXPECT_FALSE(bench.Run.LogFile.IsOpen());
    EXPECT_EQ(bench.Text(DestDir + "\\install.log"), "the old log\r\n");
    EXPECT_FALSE(bench.Exists(DestDir + "\\README.TXT"));
    EXPECT_FALSE(bench.Exists(WindowsDir + "unzarn.exe"));
    EXPECT_EQ(bench.Registry.Keys(), registryBefore);
    EXPECT_TRUE(bench.Answers.Asked.empty());
    EXPECT_TRUE(bench.Progress.Visible); // the copy dialog stays up; its Cancel is the way out
    EXPECT_EQ(bench.Progress.Journal.back(), "pending"); // showing the last file before the box
}

// A standard user: every key is read-only. The run fails at its first
// registry write; the keys were never changed, so none is reported as not put back.
TEST(InstallRunTest, RegistryWithoutWriteAccessFailsTheRunWithNothingLeft)
{
    TInstallBench bench;
    bench.Registry.SetValue(rkLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP",
                            "DisplayName", "ZarnFTP");
    bench.Registry.RefuseFullAccess = true;
    const auto registryBefore = bench.Registry.Keys();
    try {
        bench.Install();
        ADD_FAILURE() << "no error";
    } catch (const EInstallFailed& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisplayName'.\n\nNothing was installed.");
    }
    EXPECT_EQ(bench.Registry.Keys(), registryBefore);
    EXPECT_TRUE(bench.Disk.Files.empty());
}

} // namespace

// The archive keeps names in the system's ANSI code page: they are installed
// under the names they stand for (a double-byte name whose second byte is
// "\" stays one name), and a name the code page does not define ends the run
// before anything is installed.
TEST(InstallRunTest, ArchiveNamesAreReadInTheSystemsCodePage)
{
    TInstallBench japanese;
    japanese.Run.FCodePage = cpJapanese;
    japanese.Payload.push_back({"\x83\x5C\x83\x74\x83\x67.txt", Bytes("soft")}); // ソフト.txt
    japanese.Install();
    const std::string soft = DestDir + "\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.txt";
    EXPECT_EQ(japanese.Text(soft), "soft");
    EXPECT_FALSE(japanese.Files.IsDirectory(DestDir + "\\\xE3\x82\xBD"));
    // The log is the ANSI text it always was: every line fits code page 932.
    const std::string log = japanese.Text(DestDir + "\\install.log");
    std::string ansiSoft;
    ASSERT_TRUE(Utf8ToAnsi(ToNativePath(soft), cpJapanese, ansiSoft));
    EXPECT_NE(log.find("Copy: " + ansiSoft + "\r\n"), std::string::npos);
    EXPECT_NE(log.substr(0, 3), "\xEF\xBB\xBF");

    TInstallBench undefined;
    undefined.Run.FCodePage = cpJapanese;
    undefined.Payload.push_back({"\x83.txt", Bytes("half a character")});
    try {
        undefined.Install();
        ADD_FAILURE() << "no error";
    } catch (const EInstallFailed& e) {
        EXPECT_EQ(e.Message(), std::string("Name not valid in this system's code page: \x83.txt.\n\nNothing was installed."));
    }
    EXPECT_FALSE(undefined.Exists(DestDir + "\\install.log"));
    EXPECT_FALSE(undefined.Exists(DestDir + "\\ZarnFTP.exe"));
    EXPECT_TRUE(undefined.Registry.Writes.empty());
}

// A setup program made for Western systems installs the same names on a
// Japanese one: the record names the archive's code page.
TEST(InstallRunTest, ArchiveNamesAreReadInTheCodePageTheSettingsName)
{
    TInstallBench bench;
    bench.Run.FCodePage = cpJapanese; // the system's
    bench.Settings.CodePage = cpWestern;
    bench.Payload.push_back({"Z\xE4rn.txt", Bytes("umlaut")});
    bench.Install();
    EXPECT_EQ(bench.Text(DestDir + "\\Z\xC3\xA4rn.txt"), "umlaut");
    // The log is for this system: "ä" has no form in 932, so it is UTF-8.
    EXPECT_EQ(bench.Text(DestDir + "\\install.log").substr(0, 3), "\xEF\xBB\xBF");
}
