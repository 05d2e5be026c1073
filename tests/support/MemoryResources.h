// Module resources held in memory: the program's own, by type and name
// (names match without regard to case, as the system's do).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/StringList.h"
#include "platform/Resources.h"

class TMemoryResources : public TResourceProvider {
public:
    std::map<std::string, std::vector<uint8_t>> Resources; // by "TYPE/NAME"
    int Opened = 0;

    void Add(const std::string& type, const std::string& name, std::vector<uint8_t> bytes)
    {
        Resources[type + "/" + name] = std::move(bytes);
    }

    std::unique_ptr<TStream> OpenResource(const std::string& library, const std::string& type,
                                          const std::string& name) override
    {
        if (!library.empty())
            throw ELibraryLoadError(library);
        for (const auto& [id, bytes] : Resources)
            if (SameText(id, type + "/" + name)) {
                ++Opened;
                return std::make_unique<TMemoryStream>(bytes);
            }
        throw EResNotFound("Resource " + name + " not found");
    }
};
