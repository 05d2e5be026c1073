#include "installer/PathCompare.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

} // namespace

bool SamePath(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
        if (x != y && !(IsSeparator(x) && IsSeparator(y)))
            return false;
    }
    return true;
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
