// The shortcut step alone: the question, the five links with all their
// arguments, the folders they go into, and a link object that cannot be made.
#include <gtest/gtest.h>

#include "installer/Shortcuts.h"
#include "tests/support/InstallBench.h"

namespace {

const std::string D = "C:\\Program Files\\ZarnFTP\\";

std::vector<TShellLinkInfo> FiveLinks(const std::string& desktop, const std::string& sendTo, const std::string& group)
{
    const std::string description = "File Transfer Protocol Client";
    return {
        {desktop + "\\ZarnFTP.lnk", D + "ZarnFTP.exe", "", description, D, 1, "", 0},
        {sendTo + "\\ZarnFTP.lnk", D + "ZarnFTP.exe", "", "", D, 1, "", 0},
        {group + "ZarnFTP.lnk", D + "ZarnFTP.exe", "", description, D, 1, "", 0},
        {group + "whatsnew.lnk", D + "whatsnew.txt", "", "", D, 1, "", 0},
        {group + "Uninstall ZarnFTP.lnk", WindowsDir + "unzarn.exe", D + "install.log", "", WindowsDir, 1, "", 0},
    };
}

void ExpectLinks(const std::vector<TShellLinkInfo>& made, const std::vector<TShellLinkInfo>& expected)
{
    ASSERT_EQ(made.size(), expected.size());
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(expected[i].LinkFile);
        EXPECT_EQ(made[i].LinkFile, expected[i].LinkFile);
        EXPECT_EQ(made[i].Target, expected[i].Target);
        EXPECT_EQ(made[i].Arguments, expected[i].Arguments);
        EXPECT_EQ(made[i].Description, expected[i].Description);
        EXPECT_EQ(made[i].WorkingDir, expected[i].WorkingDir);
        EXPECT_EQ(made[i].ShowCmd, expected[i].ShowCmd);
        EXPECT_EQ(made[i].IconFile, expected[i].IconFile);
        EXPECT_EQ(made[i].IconIndex, expected[i].IconIndex);
    }
}

std::vector<std::string> LogOf(const std::vector<TShellLinkInfo>& links)
{
    std::vector<std::string> lines;
    for (const TShellLinkInfo& link : links)
        lines.push_back("CreateFile: " + link.LinkFile);
    return lines;
}

TEST(ShortcutsTest, AgreedMakesFiveLinksInOrderAndLogsThem)
{
    TInstallBench bench;
    bench.Settings.ExeName = "Other.exe";       // the set names ZarnFTP.exe itself
    bench.Registry.RefuseFullAccess = true;     // the shell folders need read access only
    bench.OpenLog();
    bench.Run.CreateShortcuts(D);
    bench.Run.LogFile.Close();

    const std::string group = UserDir + "Start Menu\\Programs\\ZarnFTP\\";
    const auto expected = FiveLinks(UserDir + "Desktop", UserDir + "SendTo", group);
    EXPECT_EQ(bench.Answers.Asked, std::vector<std::string>{"Create shortcuts on the Desktop and Programs menu ?"});
    ExpectLinks(bench.Links.Links, expected);
    EXPECT_EQ(bench.LogLines(), LogOf(expected));
    EXPECT_TRUE(bench.Files.IsDirectory(UserDir + "Start Menu\\Programs\\ZarnFTP"));
    EXPECT_TRUE(bench.Files.IsDirectory(UserDir + "Start Menu"));
}

// The uninstaller finds an earlier install's links by these paths.
TEST(ShortcutsTest, ShortcutFilesAreTheFilesTheStepMakes)
{
    TInstallBench bench;
    bench.OpenLog();
    bench.Run.CreateShortcuts(D);
    bench.Run.LogFile.Close();
    std::vector<std::string> made;
    for (const TShellLinkInfo& link : bench.Links.Links)
        made.push_back(link.LinkFile);
    EXPECT_EQ(ShortcutFiles(bench.Registry), made);
}

TEST(ShortcutsTest, DeclinedMakesNothing)
{
    TInstallBench bench;
    bench.Answers.Answers = {false};
    bench.OpenLog();
    bench.Run.CreateShortcuts(D);
    bench.Run.LogFile.Close();
    EXPECT_EQ(bench.Answers.Asked.size(), 1u);
    EXPECT_TRUE(bench.Links.Links.empty());
    EXPECT_TRUE(bench.LogLines().empty());
    EXPECT_FALSE(bench.Files.IsDirectory(UserDir + "Start Menu"));
}

TEST(ShortcutsTest, MissingShellFoldersGiveLinksFromTheRoot)
{
    for (const bool keyMissing : {false, true}) {
        SCOPED_TRACE(keyMissing ? "no Shell Folders key" : "empty and absent values");
        TInstallBench bench;
        if (keyMissing) {
            bench.Registry.RemoveKey(rkCurrentUser, ShellFoldersKey);
        } else {
            bench.Registry.RemoveKey(rkCurrentUser, ShellFoldersKey);
            bench.Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Desktop", "");
            bench.Registry.SetValue(rkCurrentUser, ShellFoldersKey, "SendTo", "C:\\S", rdInteger); // not text
        }
        bench.OpenLog();
        bench.Run.CreateShortcuts(D);
        ExpectLinks(bench.Links.Links, FiveLinks("", "", "\\ZarnFTP\\"));
    }
}

TEST(ShortcutsTest, LinkObjectFailureEndsTheStepKeepingEarlierLinks)
{
    TInstallBench bench;
    bench.Links.FailAt = 3;
    bench.OpenLog();
    EXPECT_THROW(bench.Run.CreateShortcuts(D), EShellLinkError);
    bench.Run.LogFile.Close();
    ASSERT_EQ(bench.Links.Links.size(), 2u);
    EXPECT_EQ(bench.LogLines(), LogOf(bench.Links.Links));
}

TEST(ShortcutsTest, GetShellFolderKeepsTheFolderWhenTheKeyIsMissing)
{
    TMemoryRegistry registry;
    std::string folder = "before";
    GetShellFolder(registry, "Desktop", folder);
    EXPECT_EQ(folder, "before");
    registry.SetValue(rkCurrentUser, ShellFoldersKey, "Personal", "C:\\Docs");
    GetShellFolder(registry, "Desktop", folder);
    EXPECT_EQ(folder, "");
    GetShellFolder(registry, "personal", folder);
    EXPECT_EQ(folder, "C:\\Docs");
    EXPECT_FALSE(registry.HasOpenKey());
}

TEST(ShortcutsTest, SecondRunReplacesTheFiveLinksInTheExistingGroup)
{
    TInstallBench bench;
    bench.Answers.Answers = {true, true};
    bench.OpenLog();
    bench.Run.CreateShortcuts(D);
    const std::string group = UserDir + "Start Menu\\Programs\\ZarnFTP";
    ASSERT_TRUE(bench.Files.IsDirectory(group));
    bench.Run.CreateShortcuts(D);
    bench.Run.LogFile.Close();

    const auto five = FiveLinks(UserDir + "Desktop", UserDir + "SendTo", group + "\\");
    std::vector<TShellLinkInfo> twice = five;
    twice.insert(twice.end(), five.begin(), five.end());
    ExpectLinks(bench.Links.Links, twice);
    EXPECT_EQ(bench.LogLines(), LogOf(twice));
    EXPECT_EQ(bench.Answers.Asked.size(), 2u);
}

} // namespace

// A link the shell cannot save is left out of the log, which lists only what
// exists, and named in one warning after the run; the run itself completes.
TEST(ShortcutsTest, LinksThatCannotBeSavedAreNamedAfterTheRunAndNotLogged)
{
    TInstallBench bench;
    const std::string group = UserDir + "Start Menu\\Programs\\ZarnFTP\\";
    const auto all = FiveLinks(UserDir + "Desktop", UserDir + "SendTo", group);
    bench.Links.Unwritable = {all[1].LinkFile, all[4].LinkFile};
    bench.Install();

    EXPECT_EQ(bench.Run.Outcome(), ioInstalled);
    ExpectLinks(bench.Links.Links, {all[0], all[2], all[3]});
    std::vector<std::string> logged;
    for (const std::string& line : bench.LogLines())
        if (line.find(".lnk") != std::string::npos)
            logged.push_back(line);
    EXPECT_EQ(logged, LogOf(bench.Links.Links));
    EXPECT_EQ(bench.Answers.Warnings, std::vector<std::string>{"These shortcuts could not be created:\n" +
                                                               all[1].LinkFile + "\n" + all[4].LinkFile});

    // Every link saved: no warning.
    TInstallBench clean;
    clean.Install();
    EXPECT_EQ(clean.Links.Links.size(), 5u);
    EXPECT_TRUE(clean.Answers.Warnings.empty());
}
