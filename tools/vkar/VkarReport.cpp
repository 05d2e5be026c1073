#include "tools/vkar/VkarReport.h"

#include <cstdio>

#include "archive/ArchiveFormat.h"
#include "platform/PathRules.h"

std::string VkarDisplayName(const std::string& storedName)
{
    std::string shown = ToNativePath(storedName);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return shown;
}

std::string VkarArchiveName(const std::string& userName)
{
    std::string name = userName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

void VkarReportError(const std::string& displayName, const std::string& message)
{
    std::fflush(stdout);
    if (displayName.empty())
        std::fprintf(stderr, "vkar: %s\n", message.c_str());
    else
        std::fprintf(stderr, "vkar: %s: %s\n", displayName.c_str(), message.c_str());
    std::fflush(stderr);
}

void VkarPrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

std::string VkarMethodName(unsigned methodIndex)
{
    if (methodIndex < CompressIDs.size())
        return CompressIDs[methodIndex];
    std::string name = std::to_string(methodIndex);
    name.insert(name.begin(), '#');
    return name;
}
