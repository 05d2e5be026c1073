// A path as Windows resolves it, for the uninstaller that must decide from
// text in a file a user can edit whether a path lies inside the installation.
// The text is UTF-8 (a log's ANSI lines are converted as they are read):
// separators are found and names compared in UTF-16, as Windows does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An absolute path: its root ("C:" or "\\server\share") and its levels, with
// no "." or ".." level, no empty level and no trailing dot or blank of a level.
struct TWindowsPath {
    std::string Root;
    std::vector<std::string> Levels;

    // Root and levels joined by "\" ("C:\" for a drive's root).
    std::string Text() const;
    // The path one level up (itself at the root).
    TWindowsPath Parent() const;
    // A network share's path ("\\server\share\..."), not a drive's.
    bool OnShare() const;
    // Below directory, at any depth, comparing as Windows does (ordinal, ignoring case).
    bool IsBelow(const TWindowsPath& directory) const;
    bool Same(const TWindowsPath& other) const;
    bool SameRoot(const TWindowsPath& other) const;
};

// The path as Windows would resolve it; nothing for a path that never names
// a file of an installation: relative, drive-relative or rooted without a
// drive, the "\\?\" and "\\.\" forms, a stream name (a second ":"), a
// character no file name may hold, a level of dots alone, a device name as a
// level, or text that is not valid UTF-8.
std::optional<TWindowsPath> ResolveWindowsPath(const std::string& path);

// A single file or folder name: no separator, ":" or wildcard, not dots
// alone, no trailing dot or blank, not a device name.
bool IsPlainName(const std::string& name);
// A name Windows takes for a device wherever it stands: CON, PRN, AUX, NUL,
// COM0-9, LPT0-9 (and with a superscript 1-3), CONIN$, CONOUT$, with or
// without an extension and blanks before it.
bool IsDeviceName(std::u16string_view name);
