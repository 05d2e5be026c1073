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

} // namespace

bool ForceDirectories(TFileSystem& files, const std::string& directory, std::vector<std::string>* made)
{
    std::string path = directory;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    if (path.empty() || (path.size() == 2 && path[1] == ':') || IsShareRoot(path) || files.IsDirectory(path))
        return true;
    const size_t last = path.find_last_of('\\');
    if (last != std::string::npos && !ForceDirectories(files, path.substr(0, last), made))
        return false;
    try {
        files.MakeDirectory(path);
    } catch (const Exception&) {
        return false;
    }
    if (made)
        made->push_back(path);
    return true;
}

bool ForceInstallDirectories(TFileSystem& files, const std::string& directory, std::vector<std::string>* made)
{
    std::vector<std::string> levels;
    const bool complete = ForceDirectories(files, directory, &levels);
    if (made)
        made->insert(made->end(), levels.begin(), levels.end());
    if (!complete)
        return false;
    try {
        if (!levels.empty())
            files.ProtectDirectory(levels.front());
    } catch (const Exception&) {
    }
    return true;
}
