// The uninstaller against another user who can change the installation's
// folders while it runs: a full uninstall is repeated with one folder (a
// level under D, D, Backup, the program group, a folder above D) replaced by
// a link to the Windows directory before each call of the act phase in turn,
// and while the first question is on screen. Whatever the moment, no file
// outside the installation changes.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/PathRules.h"
#include "platform/UserQuestions.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/NativeSpellingFileSystem.h"
#include "tests/support/RecordedShellLinks.h"
#include "tests/support/SteppingFileSystem.h"
#include "tests/support/TestData.h"
#include "uninstaller/UninstallRun.h"

namespace {

const std::string D = "C:\\Program Files\\ZarnFTP\\";
const std::string Windows = "C:\\Windows\\";
const std::string UserDir = "C:\\Users\\ann\\";
const std::string Group = UserDir + "Start Menu\\Programs\\ZarnFTP\\";
const std::string Desktop = UserDir + "Desktop\\";
const std::string LogPath = D + "install.log";
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Yes to all; the first question runs the test's step (the moment a box is on screen).
class TAnswers : public TUserQuestions {
public:
    std::function<void()> OnFirst;
    int Asked = 0;
    bool Confirm(const std::string& question) override
    {
        if (Asked++ == 0 && OnFirst)
            OnFirst();
        return question != KeepDataQuestion;
    }
    bool Retry(const std::string&) override { return false; }
    void Warn(const std::string& message) override { ADD_FAILURE() << "an uninstall warns nothing: " << message; }
};

class TSilentReport : public TUninstallReport {
public:
    void ShowError(const std::string&) override {}
    void ShowSummary(const std::string&) override {}
};

// A machine with ZarnFTP installed and, in the Windows directory, files of
// the same names as the installation's at every depth a swap could lead to.
struct TMachine {
    TMemoryFileSystem Disk;
    TNativeSpellingFileSystem Native{Disk};
    TSteppingFileSystem Files{Native};
    TMemoryRegistry Registry;
    TRecordedShellLinks Links;
    TAnswers Answers;
    TSilentReport Report;

    TMachine()
    {
        const std::vector<std::string> installed = {"ZarnFTP.exe", "README.TXT", "lib\\x.dll", "zarnftp.ini",
                                                    "Backup\\ZarnFTP.exe", "Backup\\README.TXT"};
        std::string log = "*** Install started: x\r\nAppName: ZarnFTP\r\n";
        for (const std::string& name : installed) {
            if (name.rfind("Backup", 0) != 0)
                log += (name == "zarnftp.ini" ? "CreateFile: " : "Copy: ") + D + name + "\r\n";
            Add(D + name);
            // What a link in D's place, or in a folder's under it, leads to.
            Add(Windows + name);
            Add(Windows + name.substr(name.find_last_of('\\') + 1));
            Add(Windows + "ZarnFTP\\" + name);
        }
        for (const std::string& link : {Group + "ZarnFTP.lnk", Group + "whatsnew.lnk", Desktop + "ZarnFTP.lnk"}) {
            log += "CreateFile: " + link + "\r\n";
            Add(link);
            Add(Windows + link.substr(link.find_last_of('\\') + 1));
        }
        Links.Links = {{Group + "ZarnFTP.lnk", D + "ZarnFTP.exe"},
                       {Group + "whatsnew.lnk", D + "whatsnew.txt"},
                       {Desktop + "ZarnFTP.lnk", D + "ZarnFTP.exe"}};
        Add(Windows + "whatsnew.txt");
        Add(D + "whatsnew.txt");
        log += "Copy: " + D + "whatsnew.txt\r\nCreateFile: " + LogPath + "\r\n*** Install Completed: y\r\n";
        Disk.AddFile(ToNativePath(LogPath), Bytes(log));
        Registry.SetValue(rkCurrentUser, ShellFolders, "Desktop", UserDir + "Desktop");
        Registry.SetValue(rkCurrentUser, ShellFolders, "SendTo", UserDir + "SendTo");
        Registry.SetValue(rkCurrentUser, ShellFolders, "Programs", UserDir + "Start Menu\\Programs");
    }

    void Add(const std::string& path)
    {
        Disk.AddFile(ToNativePath(path), Bytes("bytes of " + path));
        for (std::string dir = path; !(dir = ExtractFilePath(ToNativePath(dir))).empty();) {
            dir.pop_back();
            Disk.Directories.insert(dir);
        }
    }

    TUninstallOutcome Uninstall()
    {
        TUninstallRun run("ZarnFTP", "ZarnFTP.exe", {Files, Registry, Links, Answers, Report});
        return run.Execute(LogPath);
    }

    // Every file and folder but the installation's own: D, the group, the desktop link.
    std::map<std::string, std::string> Outside() const
    {
        std::map<std::string, std::string> outside;
        const auto ours = [](const std::string& path) {
            for (const std::string& mine : {D, Group, Desktop + "ZarnFTP.lnk"})
                if (path.rfind(ToNativePath(mine), 0) == 0 || path + PathDelim == ToNativePath(mine))
                    return true;
            return false;
        };
        for (const auto& [path, file] : Disk.Files)
            if (!ours(path))
                outside[path] = std::string(file.Bytes->begin(), file.Bytes->end());
        for (const std::string& dir : Disk.Directories)
            if (!ours(dir))
                outside[dir] = "<folder>";
        for (const auto& [link, target] : Disk.Links)
            outside[link] = "<link to " + target + ">";
        return outside;
    }
};

TEST(UninstallSwap, NothingOutsideTheInstallationChangesWhateverIsSwappedWhen)
{
    // The calls of the act phase: those after the first question.
    int firstAct = -1, calls = 0;
    {
        TMachine machine;
        machine.Answers.OnFirst = [&] { firstAct = static_cast<int>(machine.Files.Calls.size()); };
        EXPECT_EQ(machine.Uninstall().Result, urRemoved);
        calls = static_cast<int>(machine.Files.Calls.size());
        // Without a swap, the installation is gone but for what Backup gave back.
        std::map<std::string, std::vector<uint8_t>> left;
        for (const auto& [path, file] : machine.Disk.Files)
            if (path.rfind(ToNativePath(D), 0) == 0)
                left[path] = *file.Bytes;
        EXPECT_EQ(left, (std::map<std::string, std::vector<uint8_t>>{
                            {ToNativePath(D + "README.TXT"), Bytes("bytes of " + D + "Backup\\README.TXT")},
                            {ToNativePath(D + "ZarnFTP.exe"), Bytes("bytes of " + D + "Backup\\ZarnFTP.exe")}}));
        EXPECT_EQ(machine.Disk.Directories.count(ToNativePath(Group.substr(0, Group.size() - 1))), 0u);
    }
    ASSERT_GT(firstAct, 0);
    ASSERT_GT(calls, firstAct + 20);

    const std::vector<std::string> swapped = {D + "lib", D.substr(0, D.size() - 1), D + "Backup",
                                              Group.substr(0, Group.size() - 1), "C:\\Program Files"};
    for (const std::string& folder : swapped) {
        int swaps = 0;
        // -1: while the first question is on screen.
        for (int at = -1; at < calls; ++at) {
            SCOPED_TRACE(folder + " swapped before call " + std::to_string(at));
            TMachine machine;
            std::map<std::string, std::string> before;
            bool done = false;
            const auto swap = [&] {
                // D's place leads to a copy of the installation; any other to the Windows directory.
                const std::string target = folder + "\\" == D ? Windows + "ZarnFTP" : "C:\\Windows";
                done = machine.Disk.ReplaceWithLink(ToNativePath(folder), ToNativePath(target),
                                                    ToNativePath("C:\\Moved"));
                swaps += done;
                before = machine.Outside();
            };
            if (at < 0)
                machine.Answers.OnFirst = swap;
            else
                machine.Files.Step = [&](int call) {
                    if (call == at && machine.Answers.Asked > 0)
                        swap();
                };
            before = machine.Outside();
            machine.Uninstall();
            EXPECT_EQ(machine.Outside(), before);
        }
        // The swaps happened, more than once: the property was put to the test.
        EXPECT_GT(swaps, 1) << folder;
    }
}

} // namespace
