// How the platform spells paths. Archive names always use "\" between
// levels; on POSIX they are turned into "/" before they reach the system.
#pragma once

#include <string>

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// True for the characters that end a path's directory part.
inline bool IsDirectoryBoundary(char c)
{
#ifdef _WIN32
    return c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

// An archive name or a path in archive spelling, in the platform's spelling.
inline std::string ToNativePath(std::string path)
{
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\')
            c = '/';
#endif
    return path;
}

// Everything up to and including the last directory boundary ("" if none).
inline std::string ExtractFilePath(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsDirectoryBoundary(path[i - 1]))
            return path.substr(0, i);
    return std::string();
}

// The rules of both platforms as values, so that code that must follow
// Windows' rules can be exercised on any host; the functions above follow
// the host's.
struct TPathRules {
    char Delim;
    bool Drives; // "X:" names a drive and ends a directory part
};
inline constexpr TPathRules WindowsPathRules{'\\', true};
inline constexpr TPathRules PosixPathRules{'/', false};
#ifdef _WIN32
inline constexpr TPathRules NativePathRules = WindowsPathRules;
#else
inline constexpr TPathRules NativePathRules = PosixPathRules;
#endif
