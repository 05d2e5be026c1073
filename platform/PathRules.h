// How the platform spells paths. Archive names always use "\" between
// levels; on POSIX they are turned into "/" before they reach the system.
#pragma once

#include <string>
#include <string_view>

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

// True for a name Windows takes as a device rather than a file, whatever
// folder it is in: CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9 (also with
// a superscript 1, 2 or 3 for the digit), CONIN$ and CONOUT$, in any case,
// alone or followed by blanks, an extension or a stream ("nul .txt",
// "Com1.log", "aux:x"). The superscript digits are recognised in UTF-8 and in
// code page 1252 (bytes B9, B2, B3); the rest is ASCII, alike in every ANSI
// code page.
inline bool IsWindowsDeviceName(std::string_view component)
{
    const size_t end = component.find_first_of(".:");
    std::string_view base = component.substr(0, end);
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    std::string upper;
    for (const char c : base)
        upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == device)
            return true;
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0))
        return false;
    const std::string_view digit = std::string_view(upper).substr(3);
    if (digit.size() == 1)
        return (digit[0] >= '0' && digit[0] <= '9') || digit == "\xB9" || digit == "\xB2" || digit == "\xB3";
    return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}
