// The run without a person at the desk on in-memory services: the silent
// answers and the lines that stand for the boxes, the install into a
// missing folder and over an earlier one, the installed folder read back
// from the Uninstall key and its log, and the exit codes.
#include <gtest/gtest.h>

#include "installer/ExitCodes.h"
#include "installer/InstalledFolder.h"
#include "installer/SetupOutcome.h"
#include "installer/SilentInstall.h"
#include "installer/SilentQuestions.h"
#include "platform/PathRules.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/InstallBench.h"
#include "tests/support/TestData.h"
#include "platform/CodePage.h"

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";
const std::string SilentLogPath = "C:\\Users\\ann\\setup.log";
const std::string ShortcutAnswer = "Create shortcuts on the Desktop and Programs menu ? -> Yes";

TEST(SilentRunTest, EachBoxBecomesOneLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},
        {"The directory: \r\rC:\\Zarn\r\r does not exist.", "The directory: C:\\Zarn does not exist."},
        {"removed.\n\nKept in C:\\Z:\nzarnftp.ini\nsites.ini", "removed. Kept in C:\\Z: zarnftp.ini sites.ini"},
        {"trailing \r\n", "trailing"},
        {"\r\nleading", "leading"},
        {"two  blanks\tand a tab", "two  blanks\tand a tab"},
        {"", ""},
    };
    for (const auto& [message, line] : cases)
        EXPECT_EQ(OneLine(message), line) << message;
}

// The silent questions writing into a file of the in-memory disk.
struct TSilentBench {
    TInstallBench Bench;
    TSilentLog Log;
    TSilentQuestions Questions{Log};
    TStringList FileList;
    TInstallRun Run{Bench.Settings, WindowsDir, FileList,
                    {Bench.Files, Bench.Resources, Bench.Registry, Bench.Links, Questions, Bench.Clock,
                     Bench.Progress}};

    TSilentBench()
    {
        TArchiveBuilder archive;
        for (const auto& [name, bytes] : Bench.Payload)
            archive.Add(StoredEntry(name, bytes));
        Bench.Resources.Add("ARCHIVE", "DATA", archive.Build());
        Log.Open(Bench.Files, SilentLogPath, cpWestern);
    }
    void Install(const std::string& dirName)
    {
        SilentInstall(dirName, Bench.Files, Questions, InstallThrough(Run));
    }
    std::vector<std::string> SilentLines()
    {
        Log.Close();
        return Bench.Lines(SilentLogPath);
    }
};

TEST(SilentRunTest, AnswersYesToEveryQuestionAndCancelToARetryWritingEach)
{
    TSilentBench s;
    EXPECT_TRUE(s.Questions.Confirm("Are you sure?"));
    EXPECT_TRUE(s.Questions.Confirm("The directory: \r\rC:\\Z\r\r does not exist.  Do you want to create it ? "));
    EXPECT_FALSE(s.Questions.Retry("Cannot write \"C:\\Z\\a.exe\". Close the program that uses it, then choose Retry."));
    EXPECT_EQ(s.SilentLines(),
              (std::vector<std::string>{
                  "Are you sure? -> Yes",
                  "The directory: C:\\Z does not exist.  Do you want to create it ? -> Yes",
                  "Cannot write \"C:\\Z\\a.exe\". Close the program that uses it, then choose Retry. -> Cancel"}));
}

TEST(SilentRunTest, CreatesAMissingFolderAndInstallsWithEveryShortcutAndNoBackup)
{
    TSilentBench s;
    const std::string folder = "C:\\Tools\\Zarn FTP";
    s.Install(folder);

    EXPECT_TRUE(s.Bench.Files.IsDirectory(folder));
    EXPECT_FALSE(s.Bench.Files.IsDirectory(folder + "\\Backup"));
    EXPECT_EQ(s.Bench.Text(folder + "\\README.TXT"), "readme");
    EXPECT_EQ(s.Bench.Links.Links.size(), 5u);
    const std::vector<std::string> log = s.Bench.Lines(folder + "\\install.log");
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back().rfind("*** Install Completed: ", 0), 0u);
    EXPECT_EQ(s.Run.FBackup, false);
    EXPECT_EQ(s.SilentLines(),
              (std::vector<std::string>{"The directory: " + folder + " does not exist.  Do you want to create it ? -> Yes",
                                        ShortcutAnswer}));
}

TEST(SilentRunTest, OverAnEarlierInstallReplacesFilesWithoutBackupAndKeepsTheSiteList)
{
    TSilentBench s;
    s.Bench.AddFile(DestDir + "\\README.TXT", "old readme");
    s.Bench.AddFile(DestDir + "\\sites.ini", "[my sites]");
    const size_t backupBefore = s.Bench.Files.ListDirectory(DestDir + "\\Backup").size();
    s.Install(DestDir);

    EXPECT_EQ(s.Bench.Text(DestDir + "\\README.TXT"), "readme");
    EXPECT_EQ(s.Bench.Text(DestDir + "\\sites.ini"), "[my sites]");
    EXPECT_EQ(s.Bench.Files.ListDirectory(DestDir + "\\Backup").size(), backupBefore);
    EXPECT_EQ(s.SilentLines(), std::vector<std::string>{ShortcutAnswer}); // the folder was there
}

TEST(SilentRunTest, AFileThatCannotBeWrittenEndsTheRunWithoutWaiting)
{
    TSilentBench s;
    const std::string program = ToNativePath(DestDir + "\\ZarnFTP.exe");
    s.Bench.Disk.FailCreate.insert(program);
    EXPECT_THROW(s.Install(DestDir), EInstallCancelled);
    EXPECT_EQ(s.SilentLines(),
              std::vector<std::string>{"Cannot write \"" + program +
                                       "\". Close the program that uses it, then choose Retry. -> Cancel"});
}

struct TInstalledCase {
    const char* Name;
    std::function<void(TInstallBench&)> Arrange;
    std::string Folder;
};

TEST(SilentRunTest, InstalledFolderComesFromTheUninstallKeyAndAnInstallLogThatIsThere)
{
    const std::string log = DestDir + "\\install.log";
    const auto command = [](const std::string& text) {
        return [text](TInstallBench& b) { b.Registry.SetValue(rkLocalMachine, UninstallKey, "UninstallString", text); };
    };
    const std::vector<TInstalledCase> cases = {
        {"not installed", [](TInstallBench&) {}, ""},
        {"installed by this program", [](TInstallBench& b) { b.Install(); }, DestDir},
        {"installed into a drive's root",
         [](TInstallBench& b) {
             b.AddDirectory("C:");
             b.AddDirectory("C:\\");
             b.Install("C:");
         },
         "C:"},
        {"the log is gone",
         [](TInstallBench& b) {
             b.Install();
             b.Disk.RemoveFile(ToNativePath(DestDir + "\\install.log"));
         },
         ""},
        {"the log is another product's",
         [&](TInstallBench& b) {
             command("C:\\WINDOWS\\unzarn.exe " + log)(b);
             b.AddFile(log, "*** Install started: x\r\nAppName: Other\r\n");
         },
         ""},
        {"quoted, with a Windows directory holding blanks",
         [&](TInstallBench& b) {
             command("\"C:\\WIN DIR\\unzarn.exe\" \"" + log + "\"")(b);
             b.AddFile(log, "*** Install started: x\r\nAppName: ZarnFTP\r\n");
         },
         DestDir},
        {"a file not named install.log",
         [&](TInstallBench& b) {
             command("C:\\WINDOWS\\unzarn.exe " + DestDir + "\\other.log")(b);
             b.AddFile(DestDir + "\\other.log", "*** Install started: x\r\nAppName: ZarnFTP\r\n");
         },
         ""},
        {"a relative log", command("C:\\WINDOWS\\unzarn.exe install.log"), ""},
        {"no program in the command", command(log), ""},
        {"an empty value", command(""), ""},
    };
    for (const TInstalledCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        c.Arrange(bench);
        EXPECT_EQ(InstalledFolder(bench.Registry, bench.Files, "ZarnFTP"), c.Folder);
        EXPECT_FALSE(bench.Registry.HasOpenKey());
    }
}

struct TOutcomeCase {
    const char* Name;
    std::function<std::string()> Install; // nothing: the run never started
    int ExitCode;
};

TEST(SilentRunTest, ExitCodeFollowsHowTheRunEnded)
{
    const std::vector<TOutcomeCase> cases = {
        {"installed", [] { return std::string("C:\\Z\\"); }, ExitCodeSuccess},
        {"never started: the wizard was cancelled", nullptr, ExitCodeCancelled},
        {"Cancel where the run offered a retry",
         []() -> std::string { throw EInstallCancelled("Setup was cancelled"); }, ExitCodeCancelled},
        {"an error", []() -> std::string { throw EInOutError("Cannot create file"); }, ExitCodeFailed},
    };
    for (const TOutcomeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRunSeen seen;
        const TInstallFilesProc watched = Watched([&](const std::string&, bool, const std::vector<std::string>&) { return c.Install(); }, seen);
        if (c.Install) {
            try {
                EXPECT_EQ(watched("C:\\Z", false, {}), "C:\\Z\\");
                EXPECT_EQ(c.ExitCode, ExitCodeSuccess);
            } catch (const Exception&) {
                // Passed on, as the wizard's error display needs it.
                EXPECT_NE(c.ExitCode, ExitCodeSuccess);
            }
        }
        EXPECT_EQ(SetupExitCode(OutcomeOf(seen)), c.ExitCode);
    }
}

} // namespace
