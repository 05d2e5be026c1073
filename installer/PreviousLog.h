// What the log of an earlier installation in the same directory says was
// installed, so that an upgrade can hand the uninstaller the files that the
// earlier release brought and this one does not.
#pragma once

#include <string>
#include <vector>

class TFileSystem;

// The "Copy: " paths of installDir's install.log (installDir with its "\")
// that lie inside installDir, in the log's order; none when there is no log.
std::vector<std::string> PreviousCopiedFiles(TFileSystem& files, const std::string& installDir, unsigned codePage);
