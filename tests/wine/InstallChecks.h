// What a finished install must have left on the system, read back as the
// uninstaller and Windows read it: shared by the console driver's tests and
// the wizard journeys.
#pragma once

#include <string>
#include <vector>

inline const std::string Dest = "C:\\Program Files\\ZarnFTP\\";

std::string WinDir(); // with its trailing "\"
std::string ShellFolder(const std::string& name);
// install.log with its two dated lines checked and replaced by their prefixes.
std::vector<std::string> UndatedLog();
// Desktop, SendTo and the three of the program group, in the order the log names them.
std::vector<std::string> LinkFiles();
inline std::string Sz(const std::string& text) { return text + '\0'; }

// The files, the log, the registry values and the links of a first install
// into Dest with shortcuts accepted and no backup.
void ExpectFirstInstall();
// A reinstall into Dest with backup and shortcuts declined, over a first
// install whose SITES.INI the user had replaced by sites.
void ExpectReinstall(const std::string& sites, const std::vector<char>& oldReadme);
// Replaces Dest's SITES.INI by the user's own sites.
void WriteUserSites(const std::string& sites);
