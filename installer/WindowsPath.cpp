#include "installer/WindowsPath.h"

#include <string_view>

#include "platform/CodePage.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Characters that no file name holds; "?" and "*" would make a pattern.
bool HasForbiddenCharacter(std::u16string_view text)
{
    for (const char16_t c : text)
        if (c < 0x20 || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos)
            return true;
    return false;
}

std::vector<std::u16string> SplitLevels(std::u16string_view text)
{
    std::vector<std::u16string> levels;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || IsSeparator(text[i])) {
            levels.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    return levels;
}

bool IsPlainLevel(std::u16string_view name)
{
    if (name.empty() || HasForbiddenCharacter(name) || name.find_first_of(u"\\/:") != std::u16string_view::npos)
        return false;
    const char16_t last = name.back();
    return last != u'.' && last != u' ' && name.front() != u' ' && !IsDeviceName(name);
}

// True when directory's root and levels begin path.
bool StartsWith(const TWindowsPath& path, const TWindowsPath& directory)
{
    if (!path.SameRoot(directory) || path.Levels.size() < directory.Levels.size())
        return false;
    for (size_t i = 0; i < directory.Levels.size(); ++i)
        if (!SameUtf8TextIgnoringCase(path.Levels[i], directory.Levels[i]))
            return false;
    return true;
}

} // namespace

bool IsDeviceName(std::u16string_view name)
{
    // The system looks at the part before the first dot, blanks before it dropped.
    std::u16string_view base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ')
        base.remove_suffix(1);
    std::u16string upper;
    for (const char16_t c : base)
        upper += UpperCaseUnit(c);
    if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL" || upper == u"CONIN$" ||
        upper == u"CONOUT$")
        return true;
    if (upper.size() != 4 || (upper.compare(0, 3, u"COM") != 0 && upper.compare(0, 3, u"LPT") != 0))
        return false;
    const char16_t digit = upper[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

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

bool TWindowsPath::OnShare() const { return Root.size() > 2 && Root[0] == '\\'; }

bool TWindowsPath::SameRoot(const TWindowsPath& other) const
{
    return SameUtf8TextIgnoringCase(Root, other.Root);
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
    try {
        return IsPlainLevel(Utf8ToUtf16(name));
    } catch (const EConvertError&) {
        return false;
    }
}

std::optional<TWindowsPath> ResolveWindowsPath(const std::string& utf8Path)
{
    std::u16string path;
    try {
        path = Utf8ToUtf16(utf8Path);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
    if (path.size() < 3 || HasForbiddenCharacter(path))
        return std::nullopt;
    std::u16string root, rest;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" pass a path to the system unresolved, or name a
        // device; "?" is refused above already. A UNC path names its server
        // and share as two plain levels.
        const std::vector<std::u16string> levels = SplitLevels(std::u16string_view(path).substr(2));
        if (levels.size() < 3 || !IsPlainLevel(levels[0]) || !IsPlainLevel(levels[1]))
            return std::nullopt;
        root = u"\\\\" + levels[0] + u"\\" + levels[1];
        rest = path.substr(2 + levels[0].size() + 1 + levels[1].size());
    } else if (((path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z') && path[1] == u':' && IsSeparator(path[2])) {
        root = {UpperCaseUnit(path[0]), u':'};
        rest = path.substr(2);
    } else {
        return std::nullopt; // relative, "C:name" or "\name": the meaning depends on the current directory
    }
    TWindowsPath resolved;
    resolved.Root = Utf16ToUtf8(root);
    for (std::u16string level : SplitLevels(rest)) {
        if (level.empty() || level == u".")
            continue;
        if (level == u"..") {
            // As Windows does, ".." at the root stays at the root.
            if (!resolved.Levels.empty())
                resolved.Levels.pop_back();
            continue;
        }
        if (level.find(u':') != std::u16string::npos)
            return std::nullopt; // a stream of a file, not the file
        const size_t kept = level.find_last_not_of(u". ");
        if (kept == std::u16string::npos)
            return std::nullopt; // dots and blanks alone: no name Windows would agree on
        level.erase(kept + 1);
        // A device is no file of an installation, wherever the path puts it.
        if (IsDeviceName(level))
            return std::nullopt;
        resolved.Levels.push_back(Utf16ToUtf8(level));
    }
    return resolved;
}
