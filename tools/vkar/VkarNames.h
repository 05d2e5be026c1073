// Names as the archive stores them: ANSI text of the system's code page on
// Windows, where vkar holds names as UTF-8; the bytes as they are elsewhere.
#pragma once

#include <string>

// The code page of stored names for TArchiver::NameCodePage (0: the bytes).
unsigned VkarNameCodePage();
// The stored form of a name: false when the code page cannot hold it.
bool VkarStoredName(const std::string& name, std::string& stored);
// Why VkarStoredName refused a name.
std::string VkarUnstorableNameMessage();
