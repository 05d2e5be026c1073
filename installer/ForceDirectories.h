// Creating a directory together with its missing parents.
#pragma once

#include <string>

class TFileSystem;

// Creates directory (Windows spelling, "\" between levels) and every missing
// level above it; false when a level cannot be made. A drive root, a bare
// network share and the empty text count as existing.
bool ForceDirectories(TFileSystem& files, const std::string& directory);
