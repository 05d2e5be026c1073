#include "installer/ForceDirectories.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"

namespace {

// "\\server\share" and everything above it cannot be made by us.
bool IsShareRoot(const std::string& directory)
{
    if (directory.rfind("\\\\", 0) != 0)
        return false;
    const size_t server = directory.find('\\', 2);
    return server == std::string::npos || directory.find('\\', server + 1) == std::string::npos;
}

// Makes directory and its missing levels; top becomes the highest level made.
bool MakeLevels(TFileSystem& files, const std::string& directory, std::string& top)
{
    std::string path = directory;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    if (path.empty() || (path.size() == 2 && path[1] == ':') || IsShareRoot(path) || files.IsDirectory(path))
        return true;
    const size_t last = path.find_last_of('\\');
    if (last != std::string::npos && !MakeLevels(files, path.substr(0, last), top))
        return false;
    try {
        files.MakeDirectory(path);
    } catch (const Exception&) {
        return false;
    }
    if (top.empty())
        top = path;
    return true;
}

} // namespace

bool ForceDirectories(TFileSystem& files, const std::string& directory)
{
    std::string top;
    return MakeLevels(files, directory, top);
}

bool ForceInstallDirectories(TFileSystem& files, const std::string& directory)
{
    std::string top;
    if (!MakeLevels(files, directory, top))
        return false;
    try {
        if (!top.empty())
            files.ProtectDirectory(top);
    } catch (const Exception&) {
    }
    return true;
}
