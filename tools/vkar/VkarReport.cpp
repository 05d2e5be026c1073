#include "tools/vkar/VkarReport.h"

#include <cstdio>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiverErrors.h"
#include "platform/PathRules.h"

namespace {

std::string GArchiveName;
std::FILE* GListing = nullptr; // standard output unless redirected

std::FILE* Listing() { return GListing != nullptr ? GListing : stdout; }

} // namespace

std::string VkarDisplayName(const std::string& storedName) { return PrintableName(ToNativePath(storedName)); }

std::string VkarArchiveName(const std::string& userName)
{
    std::string name = userName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

void VkarSetArchiveName(const std::string& archive) { GArchiveName = PrintableName(archive); }

void VkarReportError(const std::string& displayName, const std::string& message)
{
    const std::string name = displayName.empty() ? GArchiveName : PrintableName(displayName);
    const std::string text = PrintableName(message);
    std::fflush(stdout);
    if (name.empty())
        std::fprintf(stderr, "vkar: %s\n", text.c_str());
    else
        std::fprintf(stderr, "vkar: %s: %s\n", name.c_str(), text.c_str());
    std::fflush(stderr);
}

void VkarPrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), Listing());
    std::fputc('\n', Listing());
    if (Listing() == stderr)
        std::fflush(stderr);
}

void VkarListOnStandardError() { GListing = stderr; }

std::string VkarMethodName(unsigned methodIndex)
{
    if (methodIndex < CompressIDs.size())
        return CompressIDs[methodIndex];
    std::string name = std::to_string(methodIndex);
    name.insert(name.begin(), '#');
    return name;
}
