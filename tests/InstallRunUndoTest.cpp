// The install run is all or nothing: a fault injected into any one call it
// makes (a file creation, a write, a move, a directory, an attribute, a
// date, a registry value, a link), in a first install and in a reinstall
// with backup, either leaves a completed installation or puts the disk
// (files, their bytes, attributes and dates, the log, the links) and the
// registry back exactly as they were before the run. A Retry box answered
// with Retry after a single fault gives what a faultless run gives.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "installer/InstallRun.h"
#include "platform/PathRules.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/DiskShellLinks.h"
#include "tests/support/InstallBench.h"
#include "tests/support/TestData.h"

namespace {

// Answers every question Yes and every Retry box as scripted.
struct TBoxes : TUserQuestions {
    bool RetryAnswer = false;
    int Retries = 0;
    bool Confirm(const std::string&) override { return true; }
    bool Retry(const std::string&) override
    {
        ++Retries;
        return RetryAnswer;
    }
    std::vector<std::string> Warnings;
    void Warn(const std::string& message) override { Warnings.push_back(message); }
};

// The machine as a run can change it.
struct TMachine {
    std::map<std::string, std::tuple<std::vector<uint8_t>, int32_t, uint32_t>> Files;
    std::set<std::string> Directories;
    std::map<std::string, std::map<std::string, TMemoryRegistry::TValue>> Registry;
    bool operator==(const TMachine&) const = default;
};

// A bench whose links are files on its disk, so the disk holds everything.
struct TUndoBench {
    TFaultyFileSystem Disk;
    TNativeSpellingFileSystem Files{Disk};
    TMemoryResources Resources;
    TMemoryRegistry Registry;
    TDiskShellLinks Links{Files};
    TBoxes Boxes;
    TFixedClock Clock;
    TRecordingProgressView Progress;
    TSetupControl Settings;
    TStringList FileList;
    TInstallRun Run{Settings, WindowsDir, FileList, {Files, Resources, Registry, Links, Boxes, Clock, Progress}};

    TUndoBench()
    {
        for (const char* dir : {"C:\\Program Files", "C:\\WINDOWS", "C:\\Users\\ann", "C:\\Users\\ann\\Desktop",
                                "C:\\Users\\ann\\SendTo"})
            Disk.Directories.insert(ToNativePath(dir));
        Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Desktop", UserDir + "Desktop");
        Registry.SetValue(rkCurrentUser, ShellFoldersKey, "SendTo", UserDir + "SendTo");
        Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Programs", UserDir + "Start Menu\\Programs");
        Registry.SetValue(rkClassesRoot, "ftp\\DefaultIcon", "", "C:\\old\\ftp.exe,1", rdExpandString);
        Registry.SetValue(rkClassesRoot, "ftp\\shell\\open\\command", "", "C:\\old\\ftp.exe %1");
        Clock.Times = {{2024, 3, 9, 14, 5, 7, 250}, {2024, 3, 9, 14, 6, 30, 0}};
        TArchiveBuilder archive;
        const std::vector<std::pair<std::string, std::vector<uint8_t>>> payload = {
            {"ZarnFTP.exe", MakeBinary(20000)}, {"ZarnFTP.HLP", Bytes("help")}, {"README.TXT", Bytes("readme")},
            {"SITES.INI", Bytes("[sites]")},    {"unzarn.exe", Bytes("uninstall")}, {"whatsnew.txt", Bytes("news")}};
        for (const auto& [name, bytes] : payload) {
            TRawEntry entry = StoredEntry(name, bytes);
            entry.Attributes = faArchive | (name == "README.TXT" ? faReadOnly : 0);
            archive.Add(entry);
        }
        Resources.Add("ARCHIVE", "DATA", archive.Build());
    }

    TMachine Machine() const
    {
        TMachine m;
        for (const auto& [path, file] : Disk.Files)
            m.Files[path] = {*file.Bytes, file.Attributes, file.DosDateTime};
        m.Directories = Disk.Directories;
        m.Registry = Registry.Keys();
        return m;
    }

    // What the wizard does before the run: the missing directories.
    void Prepare(bool backup)
    {
        std::vector<std::string> made;
        for (const std::string& dir : {DestDir, DestDir + "\\Backup"})
            if (!Files.IsDirectory(dir) && (backup || dir == DestDir)) {
                Files.MakeDirectory(dir);
                made.push_back(dir);
            }
        Run.FBackup = backup;
        Run.FMadeDirectories = made;
    }
    void Install(bool backup)
    {
        Prepare(backup);
        Run.InstallFiles(DestDir);
    }

    // An earlier installation: installed, run once (its settings), with an older backup.
    void InstallEarlier()
    {
        Install(true);
        Disk.AddFile(ToNativePath(DestDir + "\\zarnftp.ini"), Bytes("[settings]"));
        Disk.AddFile(ToNativePath(DestDir + "\\Backup\\ZarnFTP.HLP"), Bytes("older help"));
        Disk.Files[ToNativePath(DestDir + "\\README.TXT")].DosDateTime = 0x12345678;
        Clock.Times = {{2024, 4, 1, 9, 0, 0, 0}, {2024, 4, 1, 9, 1, 0, 0}};
    }
};

enum TFaultKind { fkCreate, fkWrite, fkMove, fkDirectory, fkAttributes, fkDate, fkRegistry, fkLink };
const char* const FaultNames[] = {"create", "write", "move", "directory", "attributes", "date", "registry", "link"};

// Arms the nth call of a kind; true when that fault struck during the run.
struct TFault {
    TFaultKind Kind;
    int At;
    int RegistryBase = 0;
    int LinkBase = 0;

    void Arm(TUndoBench& b)
    {
        b.Disk.Disarm();
        RegistryBase = b.Registry.WriteCalls;
        LinkBase = b.Links.Calls;
        b.Registry.FailWriteAt = Kind == fkRegistry ? RegistryBase + At : 0;
        b.Links.FailAt = Kind == fkLink ? LinkBase + At : 0;
        switch (Kind) {
        case fkCreate: b.Disk.FailCreateAt = At; break;
        case fkWrite: b.Disk.FailWriteAt = At; break;
        case fkMove: b.Disk.FailMoveAt = At; break;
        case fkDirectory: b.Disk.FailDirectoryAt = At; break;
        case fkAttributes: b.Disk.FailAttributesAt = At; break;
        case fkDate: b.Disk.FailDateAt = At; break;
        default: break;
        }
    }
    bool Struck(const TUndoBench& b) const
    {
        if (Kind == fkRegistry)
            return b.Registry.WriteCalls - RegistryBase >= At;
        if (Kind == fkLink)
            return b.Links.Calls - LinkBase >= At;
        return b.Disk.Fired > 0;
    }
};

std::string Tail(const std::string& text)
{
    return text.substr(text.rfind("\n\n") + 2);
}

TEST(InstallRunUndoTest, AFaultAtAnyCallLeavesTheInstallationCompleteOrAsItWas)
{
    for (const bool reinstall : {false, true}) {
        // What a faultless run leaves, for the runs whose Retry mends the fault.
        TUndoBench reference;
        if (reinstall)
            reference.InstallEarlier();
        reference.Install(true);
        const TMachine installed = reference.Machine();

        for (int kind = fkCreate; kind <= fkLink; ++kind) {
            for (const bool retry : {false, true}) {
                int struck = 0;
                for (int at = 1;; ++at) {
                    SCOPED_TRACE(std::string(reinstall ? "reinstall, " : "first install, ") + FaultNames[kind] +
                                 " #" + std::to_string(at) + (retry ? ", Retry" : ", Cancel"));
                    TUndoBench bench;
                    if (reinstall)
                        bench.InstallEarlier();
                    bench.Boxes.RetryAnswer = retry;
                    const TMachine before = bench.Machine();
                    bench.Prepare(true);
                    TFault fault{static_cast<TFaultKind>(kind), at};
                    fault.Arm(bench);
                    std::string error;
                    try {
                        bench.Run.InstallFiles(DestDir);
                    } catch (const EInstallCancelled& e) {
                        error = e.Message();
                        EXPECT_EQ(bench.Run.Outcome(), ioCancelled);
                    } catch (const EInstallFailed& e) {
                        error = e.Message();
                        EXPECT_EQ(bench.Run.Outcome(), ioFailed);
                    }
                    if (!fault.Struck(bench))
                        break;
                    ++struck;
                    bench.Disk.Disarm();
                    if (!error.empty()) {
                        EXPECT_EQ(Tail(error), reinstall ? "The previous installation of ZarnFTP is unchanged."
                                                         : "Nothing was installed.");
                        EXPECT_TRUE(bench.Machine() == before) << "not put back";
                        continue;
                    }
                    EXPECT_EQ(bench.Run.Outcome(), ioInstalled);
                    const std::vector<uint8_t> log = bench.Disk.Contents(ToNativePath(DestDir + "\\install.log"));
                    EXPECT_NE(std::string(log.begin(), log.end()).find("*** Install Completed: "), std::string::npos);
                    // A mended fault (a Retry box, a file retried) changes nothing in what is installed.
                    if (kind == fkMove || (kind == fkCreate && bench.Boxes.Retries > 0))
                        EXPECT_TRUE(bench.Machine() == installed) << "differs from a faultless run";
                }
                // A first install moves nothing; a reinstall makes no directory.
                if (reinstall ? kind != fkDirectory : kind != fkMove)
                    EXPECT_GT(struck, 0) << FaultNames[kind] << " faults never struck";
            }
        }
    }
}

// Cancel in each Retry box the run can show, at each file it shows one for.
TEST(InstallRunUndoTest, CancelInAnyRetryBoxLeavesTheMachineAsItWas)
{
    const std::vector<std::string> held = {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt"};
    for (const bool backup : {false, true})
        for (const std::string& name : held) {
            SCOPED_TRACE(name + (backup ? " held, with backup" : " held, without backup"));
            TUndoBench bench;
            bench.InstallEarlier();
            const TMachine before = bench.Machine();
            const std::string path = ToNativePath(DestDir + "\\" + name);
            // Held open: neither moved into Backup nor replaced.
            (backup ? bench.Disk.FailMove : bench.Disk.FailCreate).insert(path);
            try {
                bench.Install(backup);
                ADD_FAILURE() << "no box";
            } catch (const EInstallCancelled& e) {
                EXPECT_EQ(e.Message(), "Setup was cancelled.\n\nThe previous installation of ZarnFTP is unchanged.");
            }
            EXPECT_EQ(bench.Boxes.Retries, 1);
            EXPECT_TRUE(bench.Machine() == before);
            EXPECT_EQ(bench.Run.Outcome(), ioCancelled);
        }
}

} // namespace
