// The build machine's paths as mksetup holds them: UTF-8 text, which the
// file system interface takes on every host. The standard library reads a
// narrow path in the ANSI code page on Windows, so paths reach it only
// through these.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

inline std::filesystem::path HostPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string HostText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// fopen for a UTF-8 path.
std::FILE* OpenHostFile(const std::string& utf8, const char* mode);
