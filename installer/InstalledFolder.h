// Where the product is installed already, as its Uninstall key and the
// install log that key names tell it.
#pragma once

#include <string>

class TFileSystem;
class TRegistry;

// The folder (without a trailing "\") of the installation whose
// "UninstallString" under the product's Uninstall key names an install.log
// that is there and whose "AppName: " line is programName; "" when the
// product is not installed, or the key's log is gone or another product's.
std::string InstalledFolder(TRegistry& registry, TFileSystem& files, const std::string& programName);
