#include "installer/ProtocolValues.h"

#include "installer/PathCompare.h"

bool PointsInto(const std::string& value, const std::string& directory)
{
    const size_t start = value.find_first_not_of(" \t\"");
    return start != std::string::npos && !directory.empty() && PathStartsWith(value.substr(start), directory);
}

bool StartsProgramNamed(const std::string& value, const std::string& exeName)
{
    // The program's path ends at a quote, or at the blank or comma before the
    // arguments or the icon index.
    const std::string name = "\\" + exeName;
    for (size_t at = 0; at + name.size() <= value.size(); ++at) {
        if (!SamePath(value.substr(at, name.size()), name))
            continue;
        const size_t end = at + name.size();
        if (end == value.size() || value[end] == '"' || value[end] == ' ' || value[end] == ',')
            return true;
    }
    return false;
}
