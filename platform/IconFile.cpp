#include "platform/IconFile.h"

std::vector<TPEResourceItem> IconFileResources(const std::vector<uint8_t>& file, const std::string& groupName,
                                               uint16_t language)
{
    const auto u16 = [&](size_t at) { return static_cast<uint32_t>(file[at] | file[at + 1] << 8); };
    const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (file.size() < 6 || u16(0) != 0 || u16(2) != 1)
        throw EIconFileError("not an icon file");
    const uint32_t count = u16(4);
    if (count == 0 || file.size() < 6 + 16ull * count)
        throw EIconFileError("the icon file's directory is empty or cut short");

    // The group repeats each picture's directory entry, with its resource
    // number where the file holds its offset.
    TPEResourceItem group{"#14", groupName, language, {}};
    const auto put16 = [&](uint32_t v) {
        group.Bytes.push_back(static_cast<uint8_t>(v));
        group.Bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(0);
    put16(1);
    put16(count);
    std::vector<TPEResourceItem> resources;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16ull * i;
        const uint64_t size = u32(entry + 8), offset = u32(entry + 12);
        if (size == 0 || offset < 6 + 16ull * count || offset > file.size() || size > file.size() - offset)
            throw EIconFileError("picture " + std::to_string(i + 1) + " lies outside the icon file");
        group.Bytes.insert(group.Bytes.end(), file.begin() + static_cast<long>(entry),
                           file.begin() + static_cast<long>(entry + 12));
        put16(i + 1);
        resources.push_back({"#3", "#" + std::to_string(i + 1), language,
                             std::vector<uint8_t>(file.begin() + static_cast<long>(offset),
                                                  file.begin() + static_cast<long>(offset + size))});
    }
    resources.push_back(std::move(group));
    return resources;
}
