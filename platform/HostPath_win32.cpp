// Windows paths through the wide functions. The C library's calls here fail
// a path that is not valid UTF-8 with ENOENT: no file has such a name.
#include "platform/HostPath.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/WideText.h"

std::filesystem::path HostPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string HostText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

namespace {

bool Wide(const std::string& utf8, std::wstring& wide)
{
    if (WidePath(utf8, wide))
        return true;
    errno = ENOENT;
    return false;
}

} // namespace

std::FILE* OpenHostFile(const std::string& utf8, const char* mode)
{
    std::wstring path;
    if (!Wide(utf8, path))
        return nullptr;
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}

int OpenHostDescriptor(const std::string& utf8, int flags, int mode)
{
    std::wstring path;
    return Wide(utf8, path) ? _wopen(path.c_str(), flags, mode) : -1;
}

bool StatHostFile(const std::string& utf8, THostStat& status)
{
    std::wstring path;
    return Wide(utf8, path) && _wstat64(path.c_str(), &status) == 0;
}

bool HostFileWritable(const std::string& utf8)
{
    std::wstring path;
    return Wide(utf8, path) && _waccess(path.c_str(), 2) == 0;
}

std::vector<std::string> HostArguments(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(Utf8Text(argv[i]));
    return arguments;
}
