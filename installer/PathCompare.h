// Windows paths compared as Windows compares them, as plain UTF-8 text:
// in UTF-16, ordinally ignoring case, the two separators alike. Shared by
// the install run (whose protocol values it recognises) and the uninstaller.
#pragma once

#include <string>

bool SamePath(const std::string& a, const std::string& b);
bool PathStartsWith(const std::string& path, const std::string& prefix);
bool PathEndsWith(const std::string& path, const std::string& suffix);
// The directory part of a Windows path, up to and including its last "\" or "/" ("" when none).
std::string DirectoryOfPath(const std::string& path);
