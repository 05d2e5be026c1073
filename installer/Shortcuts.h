// Shell link files and the per-user shell folders they go into.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TRegistry;
class TShellLinks;

// The names the shortcut step gives its program group and its links.
inline constexpr const char* ProgramGroupName = "ZarnFTP";
inline constexpr const char* ProgramLinkName = "ZarnFTP.lnk";    // desktop, Send To and the group
inline constexpr const char* WhatsNewLinkName = "whatsnew.lnk";  // the group only
inline constexpr const char* UninstallLinkName = "Uninstall ZarnFTP.lnk"; // the group only
// What the links start, in the destination and the Windows directory.
inline constexpr const char* LinkedProgramName = "ZarnFTP.exe";
inline constexpr const char* LinkedTextName = "whatsnew.txt";
inline constexpr const char* UninstallerName = "unzarn.exe";

// Reads one value of the user's Explorer "Shell Folders" key into folder ("" when
// absent); folder keeps its text when the key cannot be opened.
void GetShellFolder(TRegistry& registry, const std::string& name, std::string& folder);

// The five link files the shortcut step makes, by the user's Shell Folders
// as they are now: Desktop, Send To, then the group's program, whatsnew and
// uninstall links.
std::vector<std::string> ShortcutFiles(TRegistry& registry);

// Writes one link file and sets Created to LinkFile: ELinkNotSaved (Created
// untouched) when the file cannot be written.
void CreateLink(TShellLinks& links, const std::string& LinkFile, const std::string& Target,
                const std::string& Arguments, const std::string& Description, const std::string& WorkingDir,
                int32_t ShowCmd, const std::string& IconFile, uint8_t IconIndex, std::string& Created);

// The box after a run some of whose links could not be written, naming them.
std::string UnsavedLinksMessage(const std::vector<std::string>& linkFiles);
