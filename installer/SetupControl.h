// The settings record of the setup program, and the start-up values that the
// background window prepares from it: the Windows directory, the default
// destination, the browse dialog's first directory and the wizard's texts.
#pragma once

#include <string>

class TRegistry;
class TSystemInfo;

// Everything that differs from one product to the next. The values are this
// build's; start-up rewrites TargetPath once, nothing else changes.
struct TSetupControl {
    std::string ProgramName = "ZarnFTP";
    std::string CaptionName = "ZarnFTP 2.7.4";
    std::string TargetPath = "%\\ZarnFTP"; // its first character stands for Program Files
    std::string ExeName = "ZarnFTP.exe";
    std::string HelpFile = "ZarnFTP.hlp";
    std::string Uninstaller = "unzarn.exe";
    bool Custom = false; // show the credentials page
    bool ShortcutDesktop = true;
    bool ShortcutSendTo = true;
    bool ShortcutStartMenu = true;
    bool RegisterExt = true; // update the ftp protocol's keys
    // The release's facts for the system's list of programs; a record may
    // leave them out (empty), and then no value is written for them.
    std::string Version;   // "2.7.4": the Uninstall key's DisplayVersion
    std::string Publisher; // its Publisher, and the programs' company name
    std::string Copyright; // the programs' copyright line
    std::string URL;       // its URLInfoAbout
    // The ANSI code page the record's texts and the archive's names were
    // written in, so that a setup program made for one script installs the
    // same names on a system of another; 0 for the running system's.
    unsigned CodePage = 0;
};

inline constexpr const char* DefaultProgramFilesDir = "C:\\Program Files";

// The Program Files directory from the registry; "C:\Program Files" when it cannot be read. Never empty.
std::string GetProgramFilesDir(TRegistry& registry);
// WinDir from the system's answer: the text up to its first NUL, at most 256 characters, and a "\".
std::string MakeWinDir(const std::string& systemAnswer);
// The default destination: programFilesDir followed by targetPath without its first character.
std::string ResolveTargetPath(const std::string& targetPath, const std::string& programFilesDir);
// Start-up's two steps that reach the system: returns WinDir and rewrites settings.TargetPath.
std::string PrepareStartup(TSetupControl& settings, TRegistry& registry, TSystemInfo& system);

// Everything up to and including the last "\" or ":" of a Windows path ("" if none).
std::string WindowsDirectoryPart(const std::string& path);
// The browse dialog's first directory: the directory part of the destination.
inline std::string BrowseInitialDir(const std::string& targetPath) { return WindowsDirectoryPart(targetPath); }
// Caption of the background window and of the wizard.
std::string SetupCaption(const TSetupControl& settings);
std::string WelcomeText(const TSetupControl& settings);
std::string FinishText(const TSetupControl& settings);
