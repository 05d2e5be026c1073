#include "installer/PathCompare.h"

#include "platform/CodePage.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A path's text in UTF-16 with one separator, as the system looks at it.
std::u16string Comparable(const std::string& path)
{
    std::u16string text = Utf8ToUtf16(path);
    for (char16_t& c : text)
        if (c == u'/')
            c = u'\\';
    return text;
}

} // namespace

bool SamePath(const std::string& a, const std::string& b)
{
    try {
        return SameTextIgnoringCase(Comparable(a), Comparable(b));
    } catch (const EConvertError&) {
        return a == b; // text that is not UTF-8 equals only itself
    }
}

bool PathStartsWith(const std::string& path, const std::string& prefix)
{
    return path.size() >= prefix.size() && SamePath(path.substr(0, prefix.size()), prefix);
}

bool PathEndsWith(const std::string& path, const std::string& suffix)
{
    return path.size() >= suffix.size() && SamePath(path.substr(path.size() - suffix.size()), suffix);
}

std::string DirectoryOfPath(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return path.substr(0, i);
    return std::string();
}
