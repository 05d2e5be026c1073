// Creating a directory together with its missing parents.
#pragma once

#include <string>
#include <vector>

class TFileSystem;

// Creates directory (Windows spelling, "\" between levels) and every missing
// level above it; false when a level cannot be made. A drive root, a bare
// network share and the empty text count as existing.
// made, when given, receives each level this call made, outermost first.
bool ForceDirectories(TFileSystem& files, const std::string& directory, std::vector<std::string>* made = nullptr);
// The same for an installation's folder: the top level it makes gets the
// permissions of a protected program folder, so that no user but the
// administrators can change what an elevated uninstall later acts in. A
// level that cannot be protected is made all the same (the uninstall then
// finds it open and refuses to act in it).
bool ForceInstallDirectories(TFileSystem& files, const std::string& directory,
                             std::vector<std::string>* made = nullptr);
