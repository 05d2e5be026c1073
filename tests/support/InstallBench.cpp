#include "tests/support/InstallBench.h"

#include <gtest/gtest.h>

#include "tests/support/ArchiveBuilder.h"
#include "tests/support/TestData.h"

TInstallBench::TInstallBench()
{
    Payload = {{"ZarnFTP.exe", MakeBinary(20000)}, {"ZarnFTP.HLP", Bytes("help")},
               {"README.TXT", Bytes("readme")},    {"SITES.INI", Bytes("[sites]")},
               {"unzarn.exe", Bytes("uninstall")}, {"whatsnew.txt", Bytes("news")}};
    for (const char* dir : {"C:\\Program Files", "C:\\Program Files\\ZarnFTP", "C:\\Program Files\\ZarnFTP\\Backup",
                            "C:\\WINDOWS", "C:\\Users\\ann", "C:\\Users\\ann\\Desktop", "C:\\Users\\ann\\SendTo"})
        AddDirectory(dir);
    Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Desktop", UserDir + "Desktop");
    Registry.SetValue(rkCurrentUser, ShellFoldersKey, "SendTo", UserDir + "SendTo");
    Registry.SetValue(rkCurrentUser, ShellFoldersKey, "Programs", UserDir + "Start Menu\\Programs");
    Registry.SetValue(rkClassesRoot, "ftp\\DefaultIcon", "", "C:\\old\\ftp.exe,1");
    Registry.SetValue(rkClassesRoot, "ftp\\shell\\open\\command", "", "C:\\old\\ftp.exe %1");
    Clock.Times = {{2024, 3, 9, 14, 5, 7, 250}, {2024, 3, 9, 14, 6, 30, 0}};
    Answers.Answers = {true};
}

void TInstallBench::Install(const std::string& dirName)
{
    TArchiveBuilder archive;
    for (const auto& [name, bytes] : Payload)
        archive.Add(StoredEntry(name, bytes));
    Resources.Add("ARCHIVE", "DATA", archive.Build());
    Run.InstallFiles(dirName);
}

void TInstallBench::AddFile(const std::string& path, const std::string& text)
{
    Disk.AddFile(ToNativePath(path), Bytes(text));
}

std::string TInstallBench::Text(const std::string& path) const
{
    const std::vector<uint8_t> bytes = Disk.Contents(ToNativePath(path));
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> TInstallBench::Lines(const std::string& path) const
{
    const std::string text = Text(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare line break in " << line;
    return lines;
}

void TInstallBench::OpenLog()
{
    Run.LogFile.Rewrite(Files, DestDir + "\\install.log", Run.FCodePage);
}
