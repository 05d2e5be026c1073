#include "tools/mksetup/HostPath.h"

std::FILE* OpenHostFile(const std::string& utf8, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(HostPath(utf8).c_str(), wideMode.c_str());
#else
    return std::fopen(HostPath(utf8).c_str(), mode);
#endif
}
