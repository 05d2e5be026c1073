#include "tests/wine/InstallChecks.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "tests/wine/WineSupport.h"

namespace {
const char* const Payload[] = {"ZarnFTP.HLP", "README.TXT", "SITES.INI", "whatsnew.txt"};
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP";

std::string ProgramFilesDir()
{
    const TRegValue v = QueryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    return v.Data.substr(0, v.Data.find('\0'));
}

// Whether key exists in the given registry view, asked with KEY_WOW64_64KEY or _32KEY.
bool KeyInView(const std::string& key, REGSAM view)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}
} // namespace

const std::string Dest = ProgramFilesDir() + "\\ZarnFTP\\";

bool UnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void ExpectPrefixPathsAndRegistryView()
{
    if (sizeof(void*) == 4 && UnderWow64()) {
        EXPECT_EQ(Dest, "C:\\Program Files (x86)\\ZarnFTP\\");
        // Seen from the 64-bit side, the keys are under Wow6432Node and nowhere else.
        EXPECT_TRUE(KeyInView("Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP",
                              KEY_WOW64_64KEY));
        EXPECT_FALSE(KeyInView(UninstallKey, KEY_WOW64_64KEY));
    } else {
        EXPECT_EQ(Dest, "C:\\Program Files\\ZarnFTP\\");
        EXPECT_FALSE(KeyInView("Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnFTP",
                               KEY_WOW64_64KEY));
    }
    EXPECT_TRUE(KeyInView(UninstallKey, 0));
}

std::string WinDir()
{
    wchar_t path[MAX_PATH];
    GetWindowsDirectoryW(path, MAX_PATH);
    return Utf8(path) + "\\";
}

std::string ShellFolder(const std::string& name)
{
    const TRegValue v = QueryValue(HKEY_CURRENT_USER,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
    return v.Data.substr(0, v.Data.find('\0'));
}

std::vector<std::string> UndatedLog(const std::string& dest)
{
    std::vector<std::string> lines = ReadLog(dest + "install.log").Lines;
    if (lines.size() >= 2) {
        for (std::string* line : {&lines.front(), &lines.back()}) {
            for (const char* prefix : {"*** Install started: ", "*** Install Completed: "}) {
                const std::string p = prefix;
                if (line->compare(0, p.size(), p) == 0 && line->size() > p.size() + 5)
                    *line = p;
            }
        }
    }
    return lines;
}

std::vector<std::string> LinkFiles()
{
    const std::string group = ShellFolder("Programs") + "\\ZarnFTP\\";
    return {ShellFolder("Desktop") + "\\ZarnFTP.lnk", ShellFolder("SendTo") + "\\ZarnFTP.lnk",
            group + "ZarnFTP.lnk", group + "whatsnew.lnk", group + "Uninstall ZarnFTP.lnk"};
}

void ExpectFirstInstall(const std::string& dest)
{
    for (const char* name : Payload)
        EXPECT_EQ(ReadWholeFile(dest + name), ReadWholeFile(HostPath(std::string(ZARN_PAYLOAD_DIR) + "/" + name)))
            << name;
    EXPECT_TRUE(FileExists(dest + "ZarnFTP.exe"));
    EXPECT_TRUE(FileExists(WinDir() + "unzarn.exe"));
    EXPECT_FALSE(FileExists(dest + "unzarn.exe"));
    EXPECT_FALSE(FileExists(dest + "Backup\\README.TXT"));

    std::vector<std::string> expected = {"*** Install started: ", "AppName: ZarnFTP", "Copy: " + dest + "ZarnFTP.exe",
                                         "Copy: " + dest + "ZarnFTP.HLP", "Copy: " + dest + "README.TXT",
                                         "Copy: " + dest + "SITES.INI", "Copy: " + dest + "whatsnew.txt"};
    const bool ftpRegistered = QueryValue(HKEY_CLASSES_ROOT, "ftp\\shell\\open\\command", "").Found;
    expected.push_back("RegKey: ftp\\shell\\open\\command");
    for (const std::string& link : LinkFiles())
        expected.push_back("CreateFile: " + link);
    for (const char* file : {"zarnftp.ini", "zarnftp.log", "stats.dat", "sites.ini"})
        expected.push_back("CreateFile: " + dest + file);
    expected.push_back("*** Install Completed: ");
    EXPECT_EQ(UndatedLog(dest), expected);
    // In the ANSI code page byte for byte when every line fits it, else in UTF-8.
    const bool ansi = std::all_of(expected.begin(), expected.end(), FitsAnsi);
    EXPECT_EQ(ReadLog(dest + "install.log").Utf8Bom, !ansi) << "a byte-order mark, or none";

    ExpectPrefixPathsAndRegistryView();
    const std::string uninstall = UninstallKey;
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZarnFTP.exe";
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName").Data, Sz("ZarnFTP"));
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, uninstall, "UninstallString").Data,
              Sz(WinDir() + "unzarn.exe " + dest + "install.log"));
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, uninstall, "QuietUninstallString").Data,
              Sz(WinDir() + "unzarn.exe /S " + dest + "install.log"));
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, appPaths, "").Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, appPaths, "").Data, Sz(dest + "ZarnFTP.exe"));
    EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, appPaths, "Path").Data, Sz(dest.substr(0, dest.size() - 1)));
    if (ftpRegistered) { // updated, never created; program and argument quoted
        EXPECT_EQ(QueryValue(HKEY_CLASSES_ROOT, "ftp\\shell\\open\\command", "").Data,
                  Sz("\"" + dest + "ZarnFTP.exe\" \"%1\""));
    }
    const TRegValue icon = QueryValue(HKEY_CLASSES_ROOT, "ftp\\DefaultIcon", "");
    if (icon.Found) {
        EXPECT_EQ(icon.Data, Sz(dest + "ZarnFTP.exe,0"));
    }

    const std::vector<std::string> links = LinkFiles();
    const std::string targets[] = {dest + "ZarnFTP.exe", dest + "ZarnFTP.exe", dest + "ZarnFTP.exe",
                                   dest + "whatsnew.txt", WinDir() + "unzarn.exe"};
    for (size_t i = 0; i < links.size(); ++i) {
        const TLinkFields link = LoadLink(links[i]);
        ASSERT_TRUE(link.Loaded) << links[i];
        EXPECT_EQ(link.Path, targets[i]) << links[i];
        EXPECT_EQ(link.WorkingDirectory, i == 4 ? WinDir() : dest) << links[i];
        EXPECT_EQ(link.Arguments, i == 4 ? dest + "install.log" : "") << links[i];
        EXPECT_EQ(link.Description, i == 0 || i == 2 ? "File Transfer Protocol Client" : "") << links[i];
    }
}

void WriteUserSites(const std::string& sites)
{
    HANDLE file = CreateFileA((Dest + "SITES.INI").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, sites.data(), static_cast<DWORD>(sites.size()), &written, nullptr);
    CloseHandle(file);
}

void ExpectReinstall(const std::string& sites, const std::vector<char>& oldReadme)
{
    EXPECT_EQ(ReadWholeFile(Dest + "sites.ini"), std::vector<char>(sites.begin(), sites.end()));
    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt"})
        EXPECT_TRUE(FileExists(Dest + "Backup\\" + name)) << name;
    EXPECT_FALSE(FileExists(Dest + "Backup\\SITES.INI"));
    EXPECT_EQ(ReadWholeFile(Dest + "Backup\\README.TXT"), oldReadme);
    EXPECT_TRUE(FileExists(Dest + "README.TXT"));

    std::vector<std::string> expected = {"*** Install started: ", "AppName: ZarnFTP", "Copy: " + Dest + "ZarnFTP.exe",
                                         "Copy: " + Dest + "ZarnFTP.HLP", "Copy: " + Dest + "README.TXT",
                                         "Copy: " + Dest + "whatsnew.txt"};
    // The first install's files, moved into Backup, are the product's: its uninstall removes them.
    for (const char* name : {"ZarnFTP.exe", "ZarnFTP.HLP", "README.TXT", "whatsnew.txt"})
        expected.push_back("Copy: " + Dest + "Backup\\" + name);
    expected.push_back("RegKey: ftp\\shell\\open\\command");
    for (const char* name : {"zarnftp.ini", "zarnftp.log", "stats.dat", "sites.ini"})
        expected.push_back("CreateFile: " + Dest + name);
    expected.push_back("*** Install Completed: ");
    EXPECT_EQ(UndatedLog(), expected);
}
