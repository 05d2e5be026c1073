// A path as Windows resolves it, for the uninstaller that must decide from
// text in a file a user can edit whether a path lies inside the installation.
#pragma once

#include <optional>
#include <string>
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
    // Below directory, at any depth, comparing as Windows does (ASCII case ignored).
    bool IsBelow(const TWindowsPath& directory) const;
    bool Same(const TWindowsPath& other) const;
};

// The path as Windows would resolve it; nothing for a path that never names
// a file of an installation: relative, drive-relative or rooted without a
// drive, the "\\?\" and "\\.\" forms, a stream name (a second ":"), a
// character no file name may hold, or a level of dots alone.
std::optional<TWindowsPath> ResolveWindowsPath(const std::string& path);

// A single file or folder name: no separator, ":" or wildcard, not dots
// alone, no trailing dot or blank.
bool IsPlainName(const std::string& name);
