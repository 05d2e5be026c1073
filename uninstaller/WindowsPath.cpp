#include "uninstaller/WindowsPath.h"

#include <string_view>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

// Characters that no file name holds; "?" and "*" would make a pattern.
bool HasForbiddenCharacter(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return true;
    return false;
}

std::vector<std::string> SplitLevels(const std::string& text)
{
    std::vector<std::string> levels;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || IsSeparator(text[i])) {
            levels.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return levels;
}

} // namespace

std::string TWindowsPath::Text() const
{
    std::string text = Root;
    if (Levels.empty())
        return text + "\\";
    for (const std::string& level : Levels)
        text += "\\" + level;
    return text;
}

TWindowsPath TWindowsPath::Parent() const
{
    TWindowsPath parent = *this;
    if (!parent.Levels.empty())
        parent.Levels.pop_back();
    return parent;
}

// True when directory's root and levels begin path.
static bool StartsWith(const TWindowsPath& path, const TWindowsPath& directory)
{
    if (!SameText(path.Root, directory.Root) || path.Levels.size() < directory.Levels.size())
        return false;
    for (size_t i = 0; i < directory.Levels.size(); ++i)
        if (!SameText(path.Levels[i], directory.Levels[i]))
            return false;
    return true;
}

bool TWindowsPath::IsBelow(const TWindowsPath& directory) const
{
    return Levels.size() > directory.Levels.size() && StartsWith(*this, directory);
}

bool TWindowsPath::Same(const TWindowsPath& other) const
{
    return Levels.size() == other.Levels.size() && StartsWith(*this, other);
}

bool IsPlainName(const std::string& name)
{
    if (name.empty() || HasForbiddenCharacter(name) || name.find_first_of("\\/:") != std::string::npos)
        return false;
    const char last = name.back();
    return last != '.' && last != ' ' && name.front() != ' ';
}

std::optional<TWindowsPath> ResolveWindowsPath(const std::string& path)
{
    if (path.size() < 3 || HasForbiddenCharacter(path))
        return std::nullopt;
    TWindowsPath resolved;
    std::string rest;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" pass a path to the system unresolved, or name a
        // device; "?" is refused above already. A UNC path names its server
        // and share as two plain levels.
        const std::vector<std::string> levels = SplitLevels(path.substr(2));
        if (levels.size() < 3 || !IsPlainName(levels[0]) || !IsPlainName(levels[1]) || levels[0] == "." ||
            levels[0] == "..")
            return std::nullopt;
        resolved.Root = "\\\\" + levels[0] + "\\" + levels[1];
        rest = path.substr(2 + levels[0].size() + 1 + levels[1].size());
    } else if (((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && IsSeparator(path[2])) {
        resolved.Root = std::string(1, Upper(path[0])) + ":";
        rest = path.substr(2);
    } else {
        return std::nullopt; // relative, "C:name" or "\name": the meaning depends on the current directory
    }
    for (std::string level : SplitLevels(rest)) {
        if (level.empty() || level == ".")
            continue;
        if (level == "..") {
            // As Windows does, ".." at the root stays at the root.
            if (!resolved.Levels.empty())
                resolved.Levels.pop_back();
            continue;
        }
        if (level.find(':') != std::string::npos)
            return std::nullopt; // a stream of a file, not the file
        const size_t kept = level.find_last_not_of(". ");
        if (kept == std::string::npos)
            return std::nullopt; // dots and blanks alone: no name Windows would agree on
        level.erase(kept + 1);
        resolved.Levels.push_back(level);
    }
    return resolved;
}
