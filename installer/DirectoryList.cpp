#include "installer/DirectoryList.h"

#include <algorithm>

#include "archive/StringList.h"
#include "platform/DriveSource.h"

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool HasDriveLetter(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' && Upper(path[0]) >= 'A' && Upper(path[0]) <= 'Z';
}

// Length of the text that names the volume: "C:\" or "\\server\share".
size_t RootLength(const std::string& path)
{
    if (HasDriveLetter(path))
        return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    if (path.rfind("\\\\", 0) == 0) {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos)
            return path.size();
        const size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path.size() : share;
    }
    return 0;
}

bool NameLess(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = Upper(a[i]), y = Upper(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string Child(const std::string& directory, const std::string& name)
{
    return directory.back() == '\\' ? directory + name : directory + "\\" + name;
}

} // namespace

std::string NormalDirectory(std::string directory)
{
    if (HasDriveLetter(directory)) {
        directory[0] = Upper(directory[0]);
        if (directory.size() == 2)
            directory += '\\';
    }
    const size_t root = std::max<size_t>(RootLength(directory), 1);
    while (directory.size() > root && directory.back() == '\\')
        directory.pop_back();
    return directory;
}

TDirectoryList::TDirectoryList(TDriveSource& source) : FSource(source)
{
    MoveTo(FSource.CurrentDirectory());
}

char TDirectoryList::Drive() const
{
    return HasDriveLetter(FDirectory) ? FDirectory[0] : 0;
}

void TDirectoryList::SetDirectory(const std::string& directory)
{
    if (directory.empty() || SameText(directory, FDirectory))
        return;
    MoveTo(directory);
    if (OnChange)
        OnChange();
}

void TDirectoryList::SetDrive(char drive)
{
    if (Upper(drive) == Drive())
        return;
    MoveTo(FSource.DriveDirectory(drive));
    if (OnChange)
        OnChange();
}

void TDirectoryList::Open(int index)
{
    if (index >= 0 && index < static_cast<int>(FItems.size()))
        SetDirectory(FItems[static_cast<size_t>(index)].Path);
}

void TDirectoryList::MoveTo(const std::string& directory)
{
    FDirectory = NormalDirectory(directory);
    FItems.clear();

    // The root, then one item per level down to the current directory.
    const size_t root = RootLength(FDirectory);
    std::string path = FDirectory.substr(0, root);
    if (!path.empty())
        FItems.push_back({path, path, 0, fgOpenFolder});
    size_t start = root;
    while (start < FDirectory.size()) {
        if (FDirectory[start] == '\\') {
            ++start;
            continue;
        }
        const size_t end = std::min(FDirectory.find('\\', start), FDirectory.size());
        const std::string name = FDirectory.substr(start, end - start);
        path = path.empty() ? name : Child(path, name);
        FItems.push_back({name, path, static_cast<int>(FItems.size()), fgOpenFolder});
        start = end;
    }
    if (FItems.empty())
        FItems.push_back({FDirectory, FDirectory, 0, fgOpenFolder});
    FItems.back().Glyph = fgCurrentFolder;
    FItemIndex = static_cast<int>(FItems.size()) - 1;

    std::vector<std::string> names = FSource.Subdirectories(FDirectory);
    std::sort(names.begin(), names.end(), NameLess);
    const int level = FItems.back().Level + 1;
    for (const std::string& name : names)
        FItems.push_back({name, Child(FDirectory, name), level, fgClosedFolder});
}
