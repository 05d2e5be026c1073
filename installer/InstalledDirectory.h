// Where the product is installed already, so that an upgrade goes there
// rather than beside it.
#pragma once

#include <string>

class TFileSystem;
class TRegistry;

// The directory (without a trailing "\") of the installation that the
// product's Uninstall key names, when that key's UninstallString is
// winDir + "unzarn.exe " + a log and that log exists; "" otherwise.
std::string InstalledDirectory(TRegistry& registry, TFileSystem& files, const std::string& programName,
                               const std::string& winDir);
