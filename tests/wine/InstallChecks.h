// What a finished install must have left on the system, read back as the
// uninstaller and Windows read it: shared by the console driver's tests and
// the wizard journeys.
#pragma once

#include <string>
#include <vector>

// The setup program's default destination on this prefix, with its "\": the
// Program Files directory that a program of this build's bitness is given
// ("C:\Program Files (x86)" for a 32-bit program on 64-bit Windows).
extern const std::string Dest;
// True when this 32-bit program runs on 64-bit Windows.
bool UnderWow64();

std::string WinDir(); // with its trailing "\"
std::string ShellFolder(const std::string& name);
// dest's install.log in UTF-8, with its two dated lines checked and replaced
// by their prefixes.
std::vector<std::string> UndatedLog(const std::string& dest = Dest);
// Desktop, SendTo and the three of the program group, in the order the log names them.
std::vector<std::string> LinkFiles();
inline std::string Sz(const std::string& text) { return text + '\0'; }

// Dest and the registry view of the install: Program Files (x86) and the
// Wow6432Node keys for a 32-bit program on 64-bit Windows, and no key written
// into the 64-bit view; plain Program Files elsewhere.
void ExpectPrefixPathsAndRegistryView();
// The files, the log (its bytes in the ANSI code page when every line fits
// it, else UTF-8 after a byte-order mark), the registry values and the links
// of a first install into dest with shortcuts accepted and no backup.
void ExpectFirstInstall(const std::string& dest = Dest);
// A reinstall into Dest with backup and shortcuts declined, over a first
// install whose SITES.INI the user had replaced by sites.
void ExpectReinstall(const std::string& sites, const std::vector<char>& oldReadme);
// Replaces Dest's SITES.INI by the user's own sites.
void WriteUserSites(const std::string& sites);
