#include "installer/ProtocolValues.h"

#include "installer/PathCompare.h"

bool PointsInto(const std::string& value, const std::string& directory)
{
    const size_t start = value.find_first_not_of(" \t\"");
    return start != std::string::npos && !directory.empty() && PathStartsWith(value.substr(start), directory);
}
