// An upgrade over an installed release: it starts in the installed folder,
// hands this release's uninstall the files the earlier release brought and
// this one does not, and keeps the user's own ftp handler, never an earlier
// install's.
#include <gtest/gtest.h>

#include <algorithm>

#include "uninstaller/UninstallLog.h"
#include "uninstaller/UninstallPlan.h"
#include "tests/support/TestData.h"
#include "platform/PathRules.h"
#include "tests/support/InstallBench.h"

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";

TEST(InstallUpgradeTest, FilesOfTheEarlierReleaseThatThisOneDropsStayInTheLog)
{
    TInstallBench bench;
    const std::string D = DestDir + "\\";
    const std::string engineD = ToNativePath(D);
    bench.AddFile(D + "ZarnFTP.exe", "old program");
    bench.AddFile(D + "plugin.dll", "dropped by this release");
    bench.AddFile("C:\\elsewhere.dll", "not the installation's");
    bench.AddFile(D + "install.log", "*** Install started: 2023-01-01\r\nAppName: ZarnFTP\r\n"
                                     "Copy: " + engineD + "ZarnFTP.exe\r\n"
                                     "Copy: " + D + "plugin.dll\r\n"
                                     "Copy: " + D + "gone.dll\r\n"
                                     "Copy: C:\\elsewhere.dll\r\n"
                                     "Copy: " + D + "..\\escape.dll\r\n"
                                     "CreateFile: " + D + "zarnftp.ini\r\n");
    bench.Install();
    const std::vector<std::string> log = bench.LogLines();
    ASSERT_GE(log.size(), 9u);
    // This release's five, then the one the earlier release brought that is still there.
    EXPECT_EQ(log[6], "Copy: " + engineD + "whatsnew.txt");
    EXPECT_EQ(log[7], "Copy: " + D + "plugin.dll");
    EXPECT_EQ(log[8].rfind("RegKey: ", 0), 0u);
}

// Upgraded with backup, then uninstalled with Enter in every box: the
// earlier release's program in Backup goes with the rest; only a file that
// was never the product's is offered back.
TEST(InstallUpgradeTest, TheEarlierReleasesFilesInBackupAreRemovedNotRestored)
{
    TInstallBench bench;
    const std::string D = DestDir + "\\";
    bench.AddFile(D + "ZarnFTP.exe", "2.7.4 program");
    bench.AddFile(D + "README.TXT", "the user's own readme");
    bench.AddFile(D + "install.log", "Copy: " + D + "ZarnFTP.exe\r\n");
    bench.Run.FBackup = true;
    bench.Install();
    const std::vector<std::string> log = bench.LogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "Copy: " + D + "Backup\\ZarnFTP.exe"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "Copy: " + D + "Backup\\README.TXT"), log.end());

    TUninstallLog uninstallLog;
    uninstallLog.AppName = "ZarnFTP";
    for (const std::string& line : log)
        if (line.rfind("Copy: ", 0) == 0)
            uninstallLog.Copied.push_back(line.substr(6));
    const TUninstallPlan plan =
        MakeUninstallPlan(uninstallLog, D + "install.log", "ZarnFTP", "ZarnFTP.exe", bench.Files, bench.Links, {});
    EXPECT_NE(std::find(plan.Files.begin(), plan.Files.end(), D + "Backup\\ZarnFTP.exe"), plan.Files.end());
    ASSERT_EQ(plan.Restores.size(), 1u);
    EXPECT_EQ(plan.Restores[0].From, D + "Backup\\README.TXT");

    // Once more, over the upgrade: the earlier backup stays logged, once.
    bench.Answers.Answers = {true};
    bench.Run.InstallFiles(DestDir);
    const std::vector<std::string> again = bench.LogLines();
    EXPECT_EQ(std::count(again.begin(), again.end(), "Copy: " + D + "Backup\\ZarnFTP.exe"), 1);
}

TEST(InstallUpgradeTest, AnEarlierInstallsFtpHandlerInAnotherFolderIsNotKeptAsThePrevious)
{
    struct TCase {
        const char* Name;
        std::string Command; // the ftp command before the run
        std::string Kept;    // PreviousFtpCommand after it
    };
    const std::string user = "C:\\old\\ftp.exe %1";
    const std::vector<TCase> cases = {
        {"the user's own", "C:\\Tools\\ftp.exe %1", "C:\\Tools\\ftp.exe %1"},
        {"an earlier install's, quoted, elsewhere", "\"D:\\Apps\\ZarnFTP\\ZarnFTP.exe\" \"%1\"", user},
        {"an earlier install's, unquoted", "D:\\Old Apps\\ZarnFTP\\zarnftp.exe %1", user},
        {"a program merely named like it", "C:\\Tools\\MyZarnFTP.exe %1", "C:\\Tools\\MyZarnFTP.exe %1"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        bench.Registry.SetValue(rkLocalMachine, UninstallKey, "PreviousFtpCommand", user);
        bench.Registry.SetValue(rkClassesRoot, "ftp\\shell\\open\\command", "", c.Command);
        bench.Install();
        const auto* kept = bench.Registry.Value(rkLocalMachine, UninstallKey, "PreviousFtpCommand");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->Data, c.Kept);
    }
}

} // namespace
