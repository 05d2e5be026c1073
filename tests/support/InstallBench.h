// One installer on in-memory services: a disk with the destination, Backup
// and Windows directories, a registry with the Shell Folders and ftp keys of
// a configured system, recorded links, scripted answers, a fixed clock and a
// recording copy dialog. The payload is six stored entries.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "archive/StringList.h"
#include "installer/InstallRun.h"
#include "installer/SetupControl.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FixedClock.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/MemoryResources.h"
#include "tests/support/NativeSpellingFileSystem.h"
#include "tests/support/RecordedShellLinks.h"
#include "tests/support/RecordingProgressView.h"
#include "tests/support/ScriptedAnswers.h"

inline const std::string DestDir = "C:\\Program Files\\ZarnFTP";
inline const std::string WindowsDir = "C:\\WINDOWS\\";
inline const std::string ShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline const std::string UserDir = "C:\\Users\\ann\\";

struct TInstallBench {
    TFaultyFileSystem Disk; // no faults unless armed
    TNativeSpellingFileSystem Files{Disk};
    TMemoryResources Resources;
    TMemoryRegistry Registry;
    TRecordedShellLinks Links;
    TScriptedAnswers Answers;
    TFixedClock Clock;
    TRecordingProgressView Progress;
    TSetupControl Settings;
    TStringList FileList;
    TInstallRun Run{Settings, WindowsDir, FileList, {Files, Resources, Registry, Links, Answers, Clock, Progress}};
    std::vector<std::pair<std::string, std::vector<uint8_t>>> Payload;

    TInstallBench();

    // Embeds Payload as the program's archive and installs into dirName.
    void Install(const std::string& dirName = DestDir);
    void AddDirectory(const std::string& path) { Disk.Directories.insert(ToNativePath(path)); }
    void AddFile(const std::string& path, const std::string& text);
    bool Exists(const std::string& path) { return Files.FileExists(path); }
    std::string Text(const std::string& path) const;
    // The lines of a text file, each of which must end in CR LF.
    std::vector<std::string> Lines(const std::string& path) const;
    // An existing log file for calling the registry and shortcut steps alone.
    void OpenLog();
    std::vector<std::string> LogLines() const { return Lines(DestDir + "\\install.log"); }
};
