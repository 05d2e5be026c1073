// The machine's paths as the tools hold them: UTF-8 text, which the file
// system interface takes on every host (raw bytes on POSIX). The standard and
// C libraries read a narrow path in the ANSI code page on Windows, so paths
// reach std::filesystem, fopen, open and the like only through these.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

std::filesystem::path HostPath(const std::string& utf8);
std::string HostText(const std::filesystem::path& path);

// fopen for a UTF-8 path.
std::FILE* OpenHostFile(const std::string& utf8, const char* mode);
// open for a UTF-8 path: the descriptor, or -1 with errno set.
int OpenHostDescriptor(const std::string& utf8, int flags, int mode);

#ifdef _WIN32
using THostStat = struct _stat64;
#else
using THostStat = struct stat;
#endif
// stat for a UTF-8 path: false, with errno set, when it fails.
bool StatHostFile(const std::string& utf8, THostStat& status);
// Whether the user may write the file at the UTF-8 path (access W_OK).
bool HostFileWritable(const std::string& utf8);

#ifdef _WIN32
// A wmain's arguments as UTF-8: Windows hands the command line over in
// UTF-16, whatever the ANSI code page holds.
std::vector<std::string> HostArguments(int argc, wchar_t** argv);
#endif
