// The install run when the disk refuses something: a file in use that the
// engine skips (retried or given up), a backup that cannot be made, a full
// disk, and a damaged archive. Each ends either complete, or undone with a
// last box naming the reason and saying that nothing changed.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/PathRules.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/InstallBench.h"

namespace {

const std::string Started = "*** Install started: 2024-03-09 14:05:07";
const std::string ShortcutQuestion = "Create shortcuts on the Desktop and Programs menu ?";
const std::string Program = DestDir + "\\ZarnFTP.exe";
const std::string Unchanged = "\n\nThe previous installation of ZarnFTP is unchanged.";
const std::string NothingInstalled = "\n\nNothing was installed.";

// The path as the engine names it.
std::string EnginePath(const std::string& path) { return ToNativePath(path); }

std::string FileNamePart(const std::string& path)
{
    return path.substr(path.find_last_of("\\/") + 1);
}

std::string RetryText(const std::string& path)
{
    return "Cannot write \"" + path + "\". Close the program that uses it, then choose Retry.";
}

std::vector<std::string> CopyLines()
{
    std::vector<std::string> lines;
    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "SITES.INI", "whatsnew.txt"})
        lines.push_back("Copy: " + EnginePath(DestDir + "\\" + name));
    return lines;
}

// A reinstall without backup over an old program whose file cannot be
// created (the program runs) until the person frees it.
struct TInUseCase {
    const char* Name;
    std::string HeldFile;         // as the installer spells it
    std::deque<bool> Answers;     // retry boxes and the shortcut question, in order
    int FreedAtRetry;             // the file is freed while this retry box is up (0: never)
    bool Completes;
};

TEST(InstallRunFailureTest, FileInUseIsOfferedForRetryAndCancelEndsTheRunNamingIt)
{
    const std::string uninstaller = WindowsDir + "unzarn.exe";
    const std::vector<TInUseCase> cases = {
        {"freed before the first retry", Program, {true, true}, 1, true},
        {"still held at the first retry", Program, {true, true, true}, 2, true},
        {"cancelled", Program, {false}, 0, false},
        {"cancelled after a retry", Program, {true, false}, 0, false},
        {"the uninstaller in the Windows directory", uninstaller, {true, false}, 1, true},
    };
    for (const TInUseCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        // The engine writes below the destination in its own spelling; the
        // uninstaller goes where the run sends it.
        const std::string held = c.HeldFile == Program ? EnginePath(Program) : c.HeldFile;
        bench.AddFile(c.HeldFile, "old program");
        bench.Disk.FailCreate.insert(EnginePath(c.HeldFile));
        bench.Answers.Answers = c.Answers;
        int retries = 0;
        bench.Answers.OnAsk = [&] {
            if (bench.Answers.Asked.back() != RetryText(held))
                return;
            EXPECT_TRUE(bench.Progress.Visible); // the copy dialog stays up behind the box
            // showing the file in the box, none of it written, before the box
            EXPECT_EQ(bench.Progress.FileName, FileNamePart(held));
            EXPECT_EQ(bench.Progress.Progress, 0);
            EXPECT_EQ(bench.Progress.Journal.back(), "pending");
            if (++retries == c.FreedAtRetry)
                bench.Disk.FailCreate.clear();
        };

        std::string error;
        try {
            bench.Install();
        } catch (const EInstallCancelled& e) {
            error = e.Message();
        }
        EXPECT_FALSE(bench.Run.LogFile.IsOpen());
        const int expectedRetries = c.Completes ? c.FreedAtRetry : static_cast<int>(c.Answers.size());
        EXPECT_EQ(retries, expectedRetries);
        EXPECT_TRUE(bench.Answers.Answers.empty()) << "questions left unasked";
        std::vector<std::string> log = bench.LogLines();
        if (c.Completes) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(bench.Text(c.HeldFile), c.HeldFile == Program ? std::string(bench.Payload[0].second.begin(),
                                                                                    bench.Payload[0].second.end())
                                                                    : std::string("uninstall"));
            EXPECT_EQ(bench.Answers.Asked.back(), ShortcutQuestion);
            // Each file is logged once, retried or not, and the run completes.
            ASSERT_GE(log.size(), 7u);
            EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.begin() + 7), CopyLines());
            EXPECT_EQ(log.back().rfind("*** Install Completed: ", 0), 0u);
            EXPECT_NE(bench.FileList.IndexOfText(held), -1);
            EXPECT_EQ(bench.FileList.Count(), 6);
        } else {
            EXPECT_EQ(error, "Setup was cancelled." + Unchanged);
            EXPECT_EQ(bench.Run.Outcome(), ioCancelled);
            EXPECT_EQ(bench.Text(c.HeldFile), "old program");
            // The files written before the box are gone again, the log too.
            EXPECT_FALSE(bench.Exists(DestDir + "\\install.log"));
            EXPECT_FALSE(bench.Exists(DestDir + "\\README.TXT"));
            EXPECT_TRUE(bench.Registry.Writes.empty());
            EXPECT_TRUE(bench.Links.Links.empty());
            for (const std::string& asked : bench.Answers.Asked)
                EXPECT_EQ(asked, RetryText(held));
            continue;
        }
        EXPECT_EQ(bench.Run.Outcome(), ioInstalled);
        EXPECT_EQ(bench.Text(DestDir + "\\README.TXT"), "readme");
    }
}

// A reinstall with backup where the backup cannot be made: a file in use
// is offered for retry; whatever ends the run puts every old file back.
struct TBackupCase {
    const char* Name;
    std::function<void(TInstallBench&)> Arrange;
    std::deque<bool> Answers; // the retry boxes, then the shortcut question
    std::string Message;      // "" for a run that completes
};

TEST(InstallRunFailureTest, BackupThatCannotBeMadeLeavesEveryOldFileInPlace)
{
    const std::string backup = DestDir + "\\Backup";
    const std::string help = EnginePath(DestDir + "\\ZarnFTP.HLP");
    const std::string moveError =
        "Cannot move \"" + help + "\" to \"" + EnginePath(backup + "\\ZarnFTP.HLP") + "\": " + InUseReason;
    const std::vector<TBackupCase> cases = {
        {"a file named Backup in the way",
         [&](TInstallBench& b) {
             b.Disk.Directories.erase(EnginePath(backup));
             b.AddFile(backup, "in the way");
         },
         {}, "Cannot create \"" + backup + "\": a file of that name is in the way." + Unchanged},
        {"Backup missing and refused",
         [&](TInstallBench& b) {
             b.Disk.Directories.erase(EnginePath(backup));
             b.Disk.FailDirectory.insert(EnginePath(backup));
         },
         {}, "Cannot create directory \"" + EnginePath(backup) + "\"." + Unchanged},
        {"the help held open: Cancel", [&](TInstallBench& b) { b.Disk.FailMove.insert(help); }, {false},
         "Setup was cancelled." + Unchanged},
        {"the help held open, then closed: Retry",
         [&](TInstallBench& b) {
             b.Disk.FailMove.insert(help);
             b.Answers.OnAsk = [&b] { b.Disk.FailMove.clear(); };
         },
         {true, true}, ""},
        {"Backup missing: made by the run", [&](TInstallBench& b) { b.Disk.Directories.erase(EnginePath(backup)); },
         {true}, ""},
    };
    for (const TBackupCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TInstallBench bench;
        const std::vector<std::string> names = {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt"};
        for (const std::string& name : names)
            bench.AddFile(DestDir + "\\" + name, "old " + name);
        bench.AddFile(backup + "\\README.TXT", "older readme");
        bench.Answers.Answers = c.Answers;
        c.Arrange(bench);
        bench.Run.FBackup = true;
        std::string error;
        try {
            bench.Install();
        } catch (const Exception& e) {
            error = e.Message();
        }
        EXPECT_EQ(error, c.Message);
        EXPECT_FALSE(bench.Run.LogFile.IsOpen());
        for (const std::string& name : names) {
            const std::string here = bench.Text(DestDir + "\\" + name);
            const std::string saved = bench.Text(backup + "\\" + name);
            if (c.Message.empty()) {
                EXPECT_EQ(saved, "old " + name) << name;
            } else {
                EXPECT_EQ(here, "old " + name) << name;
                EXPECT_EQ(saved, name == "README.TXT" ? "older readme" : "") << name;
            }
        }
        if (!c.Message.empty()) {
            EXPECT_FALSE(bench.Exists(DestDir + "\\install.log"));
            EXPECT_TRUE(bench.Registry.Writes.empty());
            EXPECT_EQ(bench.Disk.Files.size(), 5u + (c.Name[0] == 'a' ? 1u : 0u)) << "a copy left behind";
            for (const std::string& asked : bench.Answers.Asked)
                EXPECT_EQ(asked, moveError + " Close the program that uses it, then choose Retry.");
        }
    }
    // On a first install nothing needs a backup, and nothing stops the run.
    TInstallBench first;
    first.Disk.Directories.erase(EnginePath(backup));
    first.AddFile(backup, "in the way");
    first.Run.FBackup = true;
    EXPECT_NO_THROW(first.Install());
    EXPECT_EQ(first.LogLines().back().rfind("*** Install Completed: ", 0), 0u);
}

TEST(InstallRunFailureTest, FullDiskNamesTheFileAndTheReasonAndLeavesNothing)
{
    TInstallBench bench;
    bench.Disk.FileCapacity = 12000; // the 20,000-byte program does not fit
    try {
        bench.Install();
        ADD_FAILURE() << "no error";
    } catch (const EInstallFailed& e) {
        EXPECT_EQ(e.Message(), "Cannot write \"" + EnginePath(Program) + "\": " + DiskFullReason + NothingInstalled);
    }
    EXPECT_FALSE(bench.Run.LogFile.IsOpen());
    EXPECT_TRUE(bench.Disk.Files.empty());
    EXPECT_TRUE(bench.Registry.Writes.empty());
    EXPECT_EQ(bench.Progress.Journal.back(), "pending");
}

// An engine error ends the run at the entry where it struck; the run is
// undone and the box names the error.
TEST(InstallRunFailureTest, DamagedArchiveEndsTheRunAndLeavesNothing)
{
    struct TDamage {
        const char* Name;
        std::function<void(std::vector<TRawEntry>&, TArchiveBuilder&)> Apply;
        std::string Message;
        std::string FailingFile; // the copy dialog's name when the box appears
    };
    const std::vector<TDamage> damages = {
        {"second entry's checksum", [](std::vector<TRawEntry>& e, TArchiveBuilder&) { e[1].Checksum ^= 1; },
         "Bad checksum during expansion -- data may be invalid", "ZarnFTP.HLP"},
        {"total beyond the entries",
         [](std::vector<TRawEntry>&, TArchiveBuilder& b) {
             b.TotalFromEntries = false;
             b.Header.TotalSize = 1 << 20;
         },
         "Archive is truncated", ""}, // the listing fails before any file
        {"locked third entry", [](std::vector<TRawEntry>& e, TArchiveBuilder&) { e[2].LockMode = 1; },
         "File locked -- valid key required", "README.TXT"},
    };
    for (const TDamage& d : damages) {
        SCOPED_TRACE(d.Name);
        TInstallBench bench;
        std::vector<TRawEntry> entries;
        for (const auto& [name, bytes] : bench.Payload)
            entries.push_back(StoredEntry(name, bytes));
        TArchiveBuilder archive;
        d.Apply(entries, archive);
        for (const TRawEntry& e : entries)
            archive.Add(e);
        bench.Resources.Add("ARCHIVE", "DATA", archive.Build());
        try {
            bench.Run.InstallFiles(DestDir);
            ADD_FAILURE() << "no error";
        } catch (const EInstallFailed& e) {
            EXPECT_EQ(e.Message(), d.Message + "." + NothingInstalled);
        }
        EXPECT_FALSE(bench.Run.LogFile.IsOpen());
        EXPECT_TRUE(bench.Disk.Files.empty());
        EXPECT_TRUE(bench.Registry.Writes.empty());
        EXPECT_TRUE(bench.Answers.Asked.empty());
        EXPECT_EQ(bench.Progress.FileName, d.FailingFile);
        EXPECT_EQ(bench.Progress.Journal.back(), "pending");
    }
}

} // namespace

namespace {

// When the undo itself cannot put something back, the last box names it and where it is.
TEST(InstallRunFailureTest, WhatTheUndoCannotPutBackIsNamedWithWhereItIs)
{
    TInstallBench bench;
    bench.AddFile(Program, "old program");
    bench.Run.FBackup = true;
    bench.Registry.RefusedKeys = {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP"};
    const std::string saved = DestDir + "\\Backup\\ZarnFTP.exe";
    bench.Disk.FailMove.insert(EnginePath(saved)); // held while the run is undone
    try {
        bench.Install();
        ADD_FAILURE() << "no error";
    } catch (const EInstallFailed& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisplayName'.\n\nThese could not be put back:\n" + Program +
                                   " (it is now " + saved + ")");
    }
    EXPECT_EQ(bench.Text(saved), "old program"); // where the box says it is
    EXPECT_FALSE(bench.Exists(Program));
    EXPECT_FALSE(bench.Exists(DestDir + "\\install.log"));
}

} // namespace
