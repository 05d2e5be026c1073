// POSIX paths are bytes: handed on as they are.
#include "platform/HostPath.h"

#include <fcntl.h>
#include <unistd.h>

std::filesystem::path HostPath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string HostText(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenHostFile(const std::string& utf8, const char* mode) { return std::fopen(utf8.c_str(), mode); }

int OpenHostDescriptor(const std::string& utf8, int flags, int mode) { return ::open(utf8.c_str(), flags, mode); }

bool StatHostFile(const std::string& utf8, THostStat& status) { return ::stat(utf8.c_str(), &status) == 0; }

bool HostFileWritable(const std::string& utf8) { return ::access(utf8.c_str(), W_OK) == 0; }
