// The uninstaller over hostile install logs: the log lies in a directory a
// user may write, so a line removes a file only when the file is the
// installation's. One row per trick, over an in-memory disk: the log's
// lines, what is on the disk, what must survive, what must be gone, and the
// lines the last box names as outside the installation.
#include <gtest/gtest.h>

#include <map>

#include "uninstaller/UninstallRun.h"
#include "installer/WindowsPath.h"
#include "platform/CodePage.h"
#include "platform/PathRules.h"
#include "platform/UserQuestions.h"
#include "tests/support/ArchiveBuilder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/NativeSpellingFileSystem.h"
#include "tests/support/RecordedShellLinks.h"
#include "tests/support/SteppingFileSystem.h"
#include "tests/support/TestData.h"

namespace {

const std::string D = "C:\\Program Files\\ZarnFTP\\";
const std::string Victim = "C:\\Windows\\victim.dll";
const std::string UserDir = "C:\\Users\\ann\\";
const std::string Group = UserDir + "Start Menu\\Programs\\ZarnFTP\\";
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Every question answered so as to remove and restore all that may be.
class TGreedyAnswers : public TUserQuestions {
public:
    bool Confirm(const std::string& question) override { return question != KeepDataQuestion; }
    bool Retry(const std::string&) override { return false; }
    void Warn(const std::string& message) override { ADD_FAILURE() << "an uninstall warns nothing: " << message; }
};

class TRecordingReport : public TUninstallReport {
public:
    std::vector<std::string> Errors, Summaries;
    void ShowError(const std::string& message) override { Errors.push_back(message); }
    void ShowSummary(const std::string& text) override { Summaries.push_back(text); }
};

struct TRow {
    const char* Name;
    std::vector<std::string> Lines;      // after the two head lines
    std::vector<std::string> Disk;       // files there before the run
    std::vector<std::string> Survive;
    std::vector<std::string> Gone;
    std::vector<std::string> Named;      // as the last box lists them
    std::vector<std::string> Junctions = {};   // directories that are reparse points
    std::vector<TShellLinkInfo> Links = {};    // link files on the disk and what they start
    std::string LogPath = D + "install.log";
    std::string AppName = "ZarnFTP";
    std::string Error = "";              // nothing is removed, and the box says this
    std::vector<std::string> Unreadable = {};   // directories whose attributes cannot be read
    std::vector<std::string> OpenToOthers = {}; // directories that non-administrators may change
};

TEST(UninstallConfinement, OnlyTheInstallationsFilesGo)
{
    const std::vector<TRow> rows = {
        {"a file outside D", {"Copy: " + Victim, "Copy: " + D + "ZarnFTP.exe"}, {Victim, D + "ZarnFTP.exe"},
         {Victim}, {D + "ZarnFTP.exe"}, {Victim}},
        {"\"..\" escapes",
         {"Copy: " + D + "..\\..\\Windows\\victim.dll", "CreateFile: " + D + "Backup\\..\\..\\..\\Tools\\tool.exe",
          "Copy: " + D + "..\\ZarnFTP\\ZarnFTP.exe", "Copy: C:\\..\\..\\Program Files\\ZarnFTP\\README.TXT"},
         {Victim, "C:\\Tools\\tool.exe", D + "ZarnFTP.exe", D + "README.TXT"},
         {Victim, "C:\\Tools\\tool.exe"}, {D + "ZarnFTP.exe", D + "README.TXT"},
         {D + "..\\..\\Windows\\victim.dll", D + "Backup\\..\\..\\..\\Tools\\tool.exe"}},
        {"relative paths",
         {"Copy: victim.dll", "Copy: ..\\victim.dll", "Copy: \\Windows\\victim.dll", "Copy: C:victim.dll",
          "CreateFile: ZarnFTP\\zarnftp.ini"},
         {"victim.dll", Victim, "ZarnFTP\\zarnftp.ini"}, {"victim.dll", Victim, "ZarnFTP\\zarnftp.ini"}, {},
         {"victim.dll", "..\\victim.dll", "\\Windows\\victim.dll", "C:victim.dll", "ZarnFTP\\zarnftp.ini"}},
        {"long-path and device forms",
         {"Copy: \\\\?\\" + D + "ZarnFTP.exe", "Copy: \\\\.\\" + D + "README.TXT",
          "Copy: //?/C:/Program Files/ZarnFTP/ZarnFTP.HLP", "Copy: \\\\.\\PhysicalDrive0"},
         {D + "ZarnFTP.exe", D + "README.TXT", D + "ZarnFTP.HLP"}, {D + "ZarnFTP.exe", D + "README.TXT", D + "ZarnFTP.HLP"},
         {},
         {"\\\\?\\" + D + "ZarnFTP.exe", "\\\\.\\" + D + "README.TXT", "//?/C:/Program Files/ZarnFTP/ZarnFTP.HLP",
          "\\\\.\\PhysicalDrive0"}},
        {"UNC path with D on a drive", {"Copy: \\\\server\\share\\ZarnFTP\\ZarnFTP.exe"},
         {"\\\\server\\share\\ZarnFTP\\ZarnFTP.exe"}, {"\\\\server\\share\\ZarnFTP\\ZarnFTP.exe"}, {},
         {"\\\\server\\share\\ZarnFTP\\ZarnFTP.exe"}},
        {"UNC paths with D on a share",
         {"Copy: \\\\server\\share\\ZarnFTP\\ZarnFTP.exe", "Copy: \\\\server\\other\\ZarnFTP\\x.dll",
          "Copy: \\\\server\\share\\Tools\\x.dll", "Copy: \\\\server\\share\\ZarnFTP\\..\\Tools\\y.dll",
          "Copy: " + D + "ZarnFTP.exe"},
         {"\\\\server\\share\\ZarnFTP\\ZarnFTP.exe", "\\\\server\\other\\ZarnFTP\\x.dll", "\\\\server\\share\\Tools\\x.dll",
          "\\\\server\\share\\Tools\\y.dll", D + "ZarnFTP.exe"},
         {"\\\\server\\other\\ZarnFTP\\x.dll", "\\\\server\\share\\Tools\\x.dll", "\\\\server\\share\\Tools\\y.dll",
          D + "ZarnFTP.exe"},
         {"\\\\server\\share\\ZarnFTP\\ZarnFTP.exe"},
         {"\\\\server\\other\\ZarnFTP\\x.dll", "\\\\server\\share\\Tools\\x.dll",
          "\\\\server\\share\\ZarnFTP\\..\\Tools\\y.dll", D + "ZarnFTP.exe"},
         {}, {}, "\\\\server\\share\\ZarnFTP\\install.log"},
        {"another drive", {"Copy: D:\\Program Files\\ZarnFTP\\ZarnFTP.exe"}, {"D:\\Program Files\\ZarnFTP\\ZarnFTP.exe"},
         {"D:\\Program Files\\ZarnFTP\\ZarnFTP.exe"}, {}, {"D:\\Program Files\\ZarnFTP\\ZarnFTP.exe"}},
        {"stream names", {"Copy: " + D + "ZarnFTP.exe:Zone.Identifier", "CreateFile: " + D + "sites.ini::$DATA"},
         {D + "ZarnFTP.exe", D + "sites.ini"}, {D + "ZarnFTP.exe", D + "sites.ini"}, {},
         {D + "ZarnFTP.exe:Zone.Identifier", D + "sites.ini::$DATA"}},
        {"trailing dots and blanks",
         {"Copy: " + D + "ZarnFTP.exe. .", "Copy: " + D + "ZarnFTP.HLP ", "Copy: " + D + "..\\..\\Windows\\victim.dll. ",
          "Copy: " + D + ".. .\\victim.dll", "Copy: " + D + "...\\README.TXT"},
         {D + "ZarnFTP.exe", D + "ZarnFTP.HLP", Victim, "C:\\Program Files\\victim.dll", D + "README.TXT"},
         {Victim, "C:\\Program Files\\victim.dll", D + "README.TXT"}, {D + "ZarnFTP.exe", D + "ZarnFTP.HLP"},
         {D + "..\\..\\Windows\\victim.dll. ", D + ".. .\\victim.dll", D + "...\\README.TXT"}},
        {"a junction inside D",
         {"Copy: " + D + "plugins\\victim.dll", "Copy: " + D + "lib\\deeper\\x.dll", "Copy: " + D + "lib\\ok.dll"},
         {D + "plugins\\victim.dll", D + "lib\\deeper\\x.dll", D + "lib\\ok.dll"},
         {D + "plugins\\victim.dll", D + "lib\\deeper\\x.dll"}, {D + "lib\\ok.dll"},
         {D + "plugins\\victim.dll", D + "lib\\deeper\\x.dll"}, {D + "plugins", D + "lib\\deeper"}},
        {"a Backup junction", {"Copy: " + D + "README.TXT"}, {D + "README.TXT", D + "Backup\\README.TXT"},
         {D + "Backup\\README.TXT"}, {D + "README.TXT"}, {}, {D + "Backup"}},
        {"Backup gives back only files copied into D",
         {"Copy: " + D + "README.TXT", "Copy: " + D + "sub\\a.txt"},
         {D + "README.TXT", D + "sub\\a.txt", D + "Backup\\README.TXT", D + "Backup\\sub\\a.txt", D + "Backup\\x.dll"},
         {D + "README.TXT", D + "Backup\\sub\\a.txt", D + "Backup\\x.dll"}, {D + "sub\\a.txt", D + "Backup\\README.TXT"},
         {}},
        {"links of the right name that start something else",
         {"CreateFile: " + UserDir + "Desktop\\ZarnFTP.lnk", "CreateFile: " + Group + "whatsnew.lnk",
          "CreateFile: " + Group + "Uninstall ZarnFTP.lnk", "CreateFile: " + Group + "ZarnFTP.lnk",
          "CreateFile: " + UserDir + "Desktop\\Mine.lnk", "CreateFile: " + UserDir + "SendTo\\ZarnFTP.lnk"},
         {UserDir + "Desktop\\ZarnFTP.lnk", Group + "whatsnew.lnk", Group + "Uninstall ZarnFTP.lnk",
          Group + "ZarnFTP.lnk", UserDir + "Desktop\\Mine.lnk", UserDir + "SendTo\\ZarnFTP.lnk"},
         {UserDir + "Desktop\\ZarnFTP.lnk", Group + "whatsnew.lnk", Group + "Uninstall ZarnFTP.lnk",
          Group + "ZarnFTP.lnk", UserDir + "Desktop\\Mine.lnk"},
         {UserDir + "SendTo\\ZarnFTP.lnk"},
         {UserDir + "Desktop\\ZarnFTP.lnk", Group + "whatsnew.lnk", Group + "Uninstall ZarnFTP.lnk",
          Group + "ZarnFTP.lnk", UserDir + "Desktop\\Mine.lnk"},
         {},
         {{UserDir + "Desktop\\ZarnFTP.lnk", "C:\\Other\\Other.exe"},
          {Group + "whatsnew.lnk", "C:\\Other\\whatsnew.txt"},
          {Group + "Uninstall ZarnFTP.lnk", "C:\\WINDOWS\\unzarn.exe", "C:\\Other\\install.log"},
          {Group + "ZarnFTP.lnk", D + "whatsnew.txt"},
          {UserDir + "Desktop\\Mine.lnk", D + "ZarnFTP.exe"},
          {UserDir + "SendTo\\ZarnFTP.lnk", D + "ZarnFTP.exe"}}},
        {"an AppName with \"\\\"", {"Copy: " + D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {}, {},
         {}, {}, D + "install.log", "..\\..\\Run", "line 2 is not an install log line"},
        {"a destination at a drive's root", {"Copy: C:\\windows\\victim.dll", "Copy: C:\\ZarnFTP.exe"},
         {Victim, "C:\\ZarnFTP.exe"}, {Victim, "C:\\ZarnFTP.exe"}, {}, {}, {}, {}, "C:\\install.log", "ZarnFTP",
         "\"C:\\\" cannot be removed safely: it is the root of a drive. Nothing has been removed. If you no longer "
         "need the folder, remove it by hand."},
        {"a destination at a share's root", {"Copy: \\\\server\\share\\x.dll"}, {"\\\\server\\share\\x.dll"},
         {"\\\\server\\share\\x.dll"}, {}, {}, {}, {}, "\\\\server\\share\\install.log", "ZarnFTP",
         "it is the root of a network share"},
        {"a link above D", {"Copy: " + D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {}, {},
         {"C:\\Program Files"}, {}, D + "install.log", "ZarnFTP",
         "it, or a folder above it, is a junction or a symbolic link, or cannot be examined"},
        {"D itself a link", {"Copy: " + D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {}, {},
         {"C:\\Program Files\\ZarnFTP"}, {}, D + "install.log", "ZarnFTP", "is a junction or a symbolic link"},
        {"a level above D that cannot be read", {"Copy: " + D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"},
         {D + "ZarnFTP.exe"}, {}, {}, {}, {}, D + "install.log", "ZarnFTP", "or cannot be examined",
         {"C:\\Program Files"}},
        {"a level under D that cannot be read", {"Copy: " + D + "lib\\x.dll", "Copy: " + D + "ZarnFTP.exe"},
         {D + "lib\\x.dll", D + "ZarnFTP.exe"}, {D + "lib\\x.dll"}, {D + "ZarnFTP.exe"}, {D + "lib\\x.dll"}, {}, {},
         D + "install.log", "ZarnFTP", "", {D + "lib"}},
        {"a folder others may change", {"Copy: " + D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {D + "ZarnFTP.exe"}, {},
         {}, {}, {}, D + "install.log", "ZarnFTP", "users other than the administrators may change it", {},
         {"C:\\Program Files\\ZarnFTP"}},
        {"device names",
         {"Copy: " + D + "NUL", "Copy: " + D + "COM1.txt", "Copy: " + D + "conin$", "Copy: " + D + "Lpt\xB9.log",
          "Copy: " + D + "aux .dat", "CreateFile: " + D + "CONOUT$", "Copy: " + D + "PRN\\x.dll",
          "Copy: " + D + "ZarnFTP.exe"},
         {D + "ZarnFTP.exe"}, {}, {D + "ZarnFTP.exe", D + "install.log"},
         {D + "NUL", D + "COM1.txt", D + "conin$", D + "Lpt\u00B9.log", D + "aux .dat", D + "PRN\\x.dll",
          D + "CONOUT$"}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TMemoryFileSystem disk;
        TNativeSpellingFileSystem files(disk);
        TMemoryRegistry registry;
        TRecordedShellLinks links;
        TGreedyAnswers answers;
        TRecordingReport report;
        registry.SetValue(rkCurrentUser, ShellFolders, "Desktop", UserDir + "Desktop");
        registry.SetValue(rkCurrentUser, ShellFolders, "SendTo", UserDir + "SendTo");
        registry.SetValue(rkCurrentUser, ShellFolders, "Programs", UserDir + "Start Menu\\Programs");
        // Every file's folders exist; a junction is a folder too.
        const auto addFolders = [&](std::string path) {
            while (!(path = ExtractFilePath(ToNativePath(path))).empty()) {
                path.pop_back();
                disk.Directories.insert(path);
            }
        };
        std::string log = "*** Install started: x\r\nAppName: " + row.AppName + "\r\n";
        for (const std::string& line : row.Lines)
            log += line + "\r\n";
        disk.AddFile(ToNativePath(row.LogPath), Bytes(log + "*** Install Completed: y\r\n"));
        addFolders(row.LogPath);
        for (const std::string& path : row.Disk) {
            disk.AddFile(ToNativePath(path), Bytes("bytes of " + path));
            addFolders(path);
        }
        for (const std::string& junction : row.Junctions)
            disk.ReparsePoints.insert(ToNativePath(junction));
        for (const std::string& dir : row.Unreadable)
            disk.Unreadable.insert(ToNativePath(dir));
        for (const std::string& dir : row.OpenToOthers)
            disk.OpenToOthers.insert(ToNativePath(dir));
        links.Links = row.Links;

        TUninstallRun run("ZarnFTP", "ZarnFTP.exe", {files, registry, links, answers, report});
        const TUninstallOutcome outcome = run.Execute(row.LogPath);

        for (const std::string& path : row.Survive)
            EXPECT_TRUE(files.FileExists(path)) << path << " was removed";
        for (const std::string& path : row.Gone)
            EXPECT_FALSE(files.FileExists(path)) << path << " is still there";
        if (!row.Error.empty()) {
            ASSERT_EQ(report.Errors.size(), 1u);
            EXPECT_NE(report.Errors[0].find(row.Error), std::string::npos) << report.Errors[0];
            EXPECT_TRUE(report.Summaries.empty());
            EXPECT_TRUE(files.FileExists(row.LogPath));
            EXPECT_TRUE(outcome.Result == urUnusableLog || outcome.Result == urRefused);
            continue;
        }
        ASSERT_EQ(report.Summaries.size(), 1u);
        EXPECT_EQ(outcome.LeftAlone, row.Named);
        const std::string heading = "These are outside the installation and were not removed:";
        std::string named;
        for (const std::string& line : row.Named)
            named += "\n" + line;
        if (row.Named.empty())
            EXPECT_EQ(report.Summaries[0].find(heading), std::string::npos) << report.Summaries[0];
        else
            EXPECT_NE(report.Summaries[0].find(heading + named), std::string::npos) << report.Summaries[0];
    }
}

// Paths resolved the way Windows resolves them, or refused.
TEST(UninstallConfinement, PathsResolveAsWindowsResolvesThem)
{
    const std::map<std::string, std::string> resolved = {
        {"C:\\Program Files\\ZarnFTP\\ZarnFTP.exe", "C:\\Program Files\\ZarnFTP\\ZarnFTP.exe"},
        {"c:/program files//zarnftp/./a. .", "C:\\program files\\zarnftp\\a"},
        {"C:\\..\\..\\Windows\\.\\x.dll", "C:\\Windows\\x.dll"},
        {"C:\\a\\b\\..\\..\\..", "C:\\"},
        {"\\\\server\\share\\dir\\..\\..\\x", "\\\\server\\share\\x"},
        {"C:\\a\\file.$$$", "C:\\a\\file.$$$"},
    };
    for (const auto& [path, text] : resolved) {
        const auto p = ResolveWindowsPath(path);
        ASSERT_TRUE(p.has_value()) << path;
        EXPECT_EQ(p->Text(), text) << path;
    }
    for (const std::string& path :
         {"", "x", "a\\b", "C:", "C:x", "\\x", "\\\\?\\C:\\x", "\\\\.\\C:\\x", "\\\\.\\COM1", "//?/C:/x", "\\??\\C:\\x",
          "\\\\server", "\\\\server\\share", "\\\\.\\share\\x", "\\\\..\\share\\x", "C:\\a:b", "C:\\a\\b::$DATA",
          "C:\\a\\...\\b", "C:\\a\\ \\b", "C:\\a\\*.dll", "C:\\a\\b?", "C:\\a<b", "C:\\a\\b\"c", "1:\\x"})
        EXPECT_FALSE(ResolveWindowsPath(path).has_value()) << path;

    const TWindowsPath d = *ResolveWindowsPath("C:\\Program Files\\ZarnFTP");
    EXPECT_TRUE(ResolveWindowsPath("c:\\PROGRAM FILES\\zarnftp\\a\\b")->IsBelow(d));
    EXPECT_FALSE(ResolveWindowsPath("C:\\Program Files\\ZarnFTP")->IsBelow(d));
    EXPECT_FALSE(ResolveWindowsPath("C:\\Program Files\\ZarnFTP2\\a")->IsBelow(d));
    EXPECT_FALSE(ResolveWindowsPath("D:\\Program Files\\ZarnFTP\\a")->IsBelow(d));
    EXPECT_TRUE(ResolveWindowsPath("C:\\PROGRAM FILES\\ZarnFTP.")->Same(d));

    // Double-byte names, as a log in code page 932 is read: a second byte
    // that is an ASCII letter is no letter of its own (katakana A and DI
    // differ only in its case), and a second byte "\" separates nothing;
    // full-width letters have their cases.
    const auto japanese = [](const std::string& path) { return ResolveWindowsPath(AnsiToUtf8(path, cpJapanese)); };
    EXPECT_FALSE(japanese("C:\\\x83" "A\\x")->Same(*japanese("C:\\\x83" "a\\x")));
    EXPECT_FALSE(japanese("C:\\\x83" "a\\x")->IsBelow(*japanese("C:\\\x83" "A")));
    EXPECT_TRUE(japanese("C:\\\x82\x60\\x")->Same(*japanese("C:\\\x82\x81\\X")));
    EXPECT_EQ(japanese("C:\\\x95\\\\\x83\\.\\x")->Levels,
              (std::vector<std::string>{AnsiToUtf8("\x95\\", cpJapanese), AnsiToUtf8("\x83\\", cpJapanese), "x"}));
    const auto western = [](const std::string& path) { return ResolveWindowsPath(AnsiToUtf8(path, cpWestern)); };
    EXPECT_TRUE(western("C:\\\x83" "A\\x")->Same(*western("C:\\\x83" "a\\X")));
    EXPECT_TRUE(ResolveWindowsPath("C:\\Programy\\Zarn \u0141\u00D3D\u0179")->Same(
        *ResolveWindowsPath("c:\\PROGRAMY\\zarn \u0142\u00F3d\u017A")));
    EXPECT_FALSE(ResolveWindowsPath("C:\\\xC5").has_value()); // not UTF-8

    for (const std::string& name : {"ZarnFTP", "Zarn FTP 2.7", "x"})
        EXPECT_TRUE(IsPlainName(name)) << name;
    for (const std::string& name : {"", ".", "..", "a\\b", "a/b", "C:", "a.", "a ", " a", "a*", "a|b", "nul", "COM\u00B2.txt", "\xB2"})
        EXPECT_FALSE(IsPlainName(name)) << name;
}

// A line on another computer's share is outside, and not even looked at:
// a look would hand that computer the elevated user's credentials.
TEST(UninstallConfinement, NoCallReachesAnotherComputer)
{
    TMemoryFileSystem disk;
    TNativeSpellingFileSystem native(disk);
    TSteppingFileSystem files(native);
    TMemoryRegistry registry;
    TRecordedShellLinks links;
    TGreedyAnswers answers;
    TRecordingReport report;
    registry.SetValue(rkCurrentUser, ShellFolders, "Desktop", "\\\\host\\home\\Desktop");
    const std::vector<std::string> lines = {"CreateFile: \\\\host\\share\\ZarnFTP.lnk",
                                            "CreateFile: \\\\host\\share\\ZarnFTP\\whatsnew.lnk",
                                            "Copy: \\\\host\\share\\x.dll", "Copy: //host/share/y.dll",
                                            "Copy: " + D + "ZarnFTP.exe"};
    std::string log = "*** Install started: x\r\nAppName: ZarnFTP\r\n";
    for (const std::string& line : lines)
        log += line + "\r\n";
    for (const std::string& dir : {"C:", "C:\\Program Files", "C:\\Program Files\\ZarnFTP"})
        disk.Directories.insert(ToNativePath(dir));
    disk.AddFile(ToNativePath(D + "install.log"), Bytes(log));
    disk.AddFile(ToNativePath(D + "ZarnFTP.exe"), Bytes("x"));

    TUninstallRun run("ZarnFTP", "ZarnFTP.exe", {files, registry, links, answers, report});
    EXPECT_EQ(run.Execute(D + "install.log").Result, urRemoved);
    EXPECT_FALSE(disk.FileExists(ToNativePath(D + "ZarnFTP.exe")));
    ASSERT_FALSE(files.Calls.empty());
    for (const std::string& call : files.Calls)
        EXPECT_EQ(call.find("host"), std::string::npos) << call;
    EXPECT_TRUE(links.Loaded.empty());
    ASSERT_EQ(report.Summaries.size(), 1u);
    EXPECT_NE(report.Summaries[0].find("\\\\host\\share\\x.dll\n//host/share/y.dll"), std::string::npos)
        << report.Summaries[0];
}

} // namespace
