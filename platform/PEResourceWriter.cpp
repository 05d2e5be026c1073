// Every offset read from the image is checked before use: the stub is a file
// a user may hand over.
#include "platform/PEResourceWriter.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <type_traits>

namespace {

constexpr uint32_t DirectoryResources = 2, DirectoryCertificates = 4, DirectoryRelocations = 5;

uint32_t Get16(const std::vector<uint8_t>& b, uint64_t at)
{
    if (at + 2 > b.size())
        throw EPEImageError("the image ends inside its headers");
    return b[at] | b[at + 1] << 8;
}
uint32_t Get32(const std::vector<uint8_t>& b, uint64_t at)
{
    if (at + 4 > b.size())
        throw EPEImageError("the image ends inside its headers");
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
void Put16(std::vector<uint8_t>& b, uint64_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, uint64_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// A resource name as the tree stores it: a number, or upper-case text.
struct TKey {
    bool IsId = false;
    uint32_t Id = 0;
    std::string Text;

    bool operator<(const TKey& other) const
    {
        // Named entries come first, in text order; numbered ones follow by number.
        if (IsId != other.IsId)
            return !IsId;
        return IsId ? Id < other.Id : Text < other.Text;
    }
};

TKey KeyOf(const std::string& name)
{
    TKey key;
    if (!name.empty() && name[0] == '#') {
        if (name.size() < 2 || name.size() > 6)
            throw EPEImageError("bad resource number " + name);
        for (size_t i = 1; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9')
                throw EPEImageError("bad resource number " + name);
            key.Id = key.Id * 10 + static_cast<uint32_t>(name[i] - '0');
        }
        if (key.Id > 0xFFFF)
            throw EPEImageError("bad resource number " + name);
        key.IsId = true;
        return key;
    }
    if (name.empty() || name.size() > 0xFFFF)
        throw EPEImageError("a resource name must hold 1 to 65535 characters");
    for (const char c : name) {
        if (c <= 0 || static_cast<unsigned char>(c) >= 128)
            throw EPEImageError("resource names are plain ASCII");
        key.Text += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

struct TSectionHeader {
    uint64_t At; // file offset of the header
    uint32_t VirtualSize, VirtualAddress, RawSize, RawOffset;
};

} // namespace

std::vector<uint8_t> BuildResourceSection(const std::vector<TPEResourceItem>& resources, uint32_t sectionRva)
{
    using TLanguages = std::map<uint16_t, const std::vector<uint8_t>*>;
    using TNames = std::map<TKey, TLanguages>;
    std::map<TKey, TNames> tree;
    for (const TPEResourceItem& item : resources) {
        TLanguages& languages = tree[KeyOf(item.Type)][KeyOf(item.Name)];
        if (!languages.emplace(item.Language, &item.Bytes).second)
            throw EPEImageError("two resources " + item.Type + "/" + item.Name + " of one language");
    }

    // Sizes first: directories, data entries, names, then the data.
    const auto directoryBytes = [](size_t entries) { return 16 + 8 * entries; };
    size_t directories = directoryBytes(tree.size()), dataEntries = 0, names = 0;
    const auto nameBytes = [](const TKey& key) { return key.IsId ? 0 : 2 + 2 * key.Text.size(); };
    for (const auto& [type, byName] : tree) {
        names += nameBytes(type);
        directories += directoryBytes(byName.size());
        for (const auto& [name, languages] : byName) {
            names += nameBytes(name);
            directories += directoryBytes(languages.size());
            dataEntries += 16 * languages.size();
        }
    }
    const size_t namesAt = directories + dataEntries;
    size_t dataAt = AlignUp(namesAt + names, 8);
    // Each resource starts 8-byte aligned, so this is room enough; the
    // section ends where the last one does.
    size_t total = dataAt;
    for (const TPEResourceItem& item : resources)
        total += AlignUp(item.Bytes.size(), 8);
    if (total > 0x7FFFFFFF)
        throw EPEImageError("the resources are too large");

    std::vector<uint8_t> out(total, 0);
    size_t nextDirectory = 0, nextEntry = directories, nextName = namesAt, nextData = dataAt;
    const auto putDirectory = [&](const auto& children) {
        const size_t at = nextDirectory;
        const auto named = std::count_if(children.begin(), children.end(), [](const auto& c) {
            if constexpr (std::is_same_v<std::decay_t<decltype(c.first)>, TKey>)
                return !c.first.IsId;
            else
                return false;
        });
        Put16(out, at + 12, static_cast<uint32_t>(named));
        Put16(out, at + 14, static_cast<uint32_t>(children.size() - named));
        nextDirectory += directoryBytes(children.size());
        return at;
    };
    const auto putName = [&](uint64_t entry, const TKey& key) {
        if (key.IsId) {
            Put32(out, entry, key.Id);
            return;
        }
        Put32(out, entry, 0x80000000u | static_cast<uint32_t>(nextName));
        Put16(out, nextName, static_cast<uint32_t>(key.Text.size()));
        for (size_t k = 0; k < key.Text.size(); ++k)
            Put16(out, nextName + 2 + 2 * k, static_cast<unsigned char>(key.Text[k]));
        nextName += nameBytes(key);
    };

    // Breadth first: the root, every type's directory, every name's directory.
    const size_t root = putDirectory(tree);
    std::vector<std::pair<uint64_t, const TNames*>> typeLevel;
    size_t index = 0;
    for (const auto& [type, byName] : tree) {
        const uint64_t entry = root + 16 + 8 * index++;
        putName(entry, type);
        typeLevel.emplace_back(entry, &byName);
    }
    std::vector<std::pair<uint64_t, const TLanguages*>> nameLevel;
    for (const auto& [entry, byName] : typeLevel) {
        const size_t directory = putDirectory(*byName);
        Put32(out, entry + 4, 0x80000000u | static_cast<uint32_t>(directory));
        size_t i = 0;
        for (const auto& [name, languages] : *byName) {
            const uint64_t child = directory + 16 + 8 * i++;
            putName(child, name);
            nameLevel.emplace_back(child, &languages);
        }
    }
    for (const auto& [entry, languages] : nameLevel) {
        const size_t directory = putDirectory(*languages);
        Put32(out, entry + 4, 0x80000000u | static_cast<uint32_t>(directory));
        size_t i = 0;
        for (const auto& [language, bytes] : *languages) {
            const uint64_t child = directory + 16 + 8 * i++;
            Put32(out, child, language);
            Put32(out, child + 4, static_cast<uint32_t>(nextEntry));
            nextData = AlignUp(nextData, 8);
            Put32(out, nextEntry, sectionRva + static_cast<uint32_t>(nextData));
            Put32(out, nextEntry + 4, static_cast<uint32_t>(bytes->size()));
            std::copy(bytes->begin(), bytes->end(), out.begin() + static_cast<long>(nextData));
            nextData += bytes->size();
            nextEntry += 16;
        }
    }
    out.resize(nextData);
    return out;
}

uint32_t PEChecksum(const std::vector<uint8_t>& image)
{
    const uint64_t field = Get32(image, 0x3C) + 24 + 64;
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i >= field && i < field + 4)
            continue;
        sum += image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

std::vector<uint8_t> ReplacePEResources(const std::vector<uint8_t>& image,
                                        const std::vector<TPEResourceItem>& resources)
{
    if (!LooksLikePEImage(image))
        throw EPEImageError("not a Windows program");
    const uint64_t pe = Get32(image, 0x3C);
    if (Get32(image, pe) != 0x00004550)
        throw EPEImageError("not a Windows program");
    const uint32_t sectionCount = Get16(image, pe + 6);
    const uint32_t optionalSize = Get16(image, pe + 20);
    const uint64_t optional = pe + 24;
    const uint32_t magic = Get16(image, optional);
    if (magic != 0x10B && magic != 0x20B)
        throw EPEImageError("not a Windows program");
    const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint32_t directoryCount = Get32(image, directories - 4);
    if (directoryCount <= DirectoryRelocations || directories + 8ull * directoryCount > optional + optionalSize)
        throw EPEImageError("the image has too few data directories");
    const uint32_t sectionAlignment = Get32(image, optional + 32);
    const uint32_t fileAlignment = Get32(image, optional + 36);
    const uint32_t headersSize = Get32(image, optional + 60);
    if (fileAlignment < 512 || (fileAlignment & (fileAlignment - 1)) != 0 || sectionAlignment < fileAlignment ||
        (sectionAlignment & (sectionAlignment - 1)) != 0)
        throw EPEImageError("the image's alignments are not powers of two from 512 on");
    const auto directory = [&](uint32_t index) { return directories + 8ull * index; };
    const uint32_t resourceRva = Get32(image, directory(DirectoryResources));
    const uint32_t relocationRva = Get32(image, directory(DirectoryRelocations));

    std::vector<TSectionHeader> sections;
    const uint64_t table = optional + optionalSize;
    if (table + 40ull * sectionCount > headersSize)
        throw EPEImageError("the section table lies outside the headers");
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t s = table + 40ull * i;
        sections.push_back({s, Get32(image, s + 8), Get32(image, s + 12), Get32(image, s + 16), Get32(image, s + 20)});
    }
    size_t holder = sections.size();
    for (size_t i = 0; i < sections.size(); ++i)
        if (resourceRva != 0 && sections[i].VirtualAddress == resourceRva)
            holder = i;
    if (holder == sections.size())
        throw EPEImageError("the image has no section of resources");
    // The sections from the resources on are laid out anew: only the base
    // relocations may follow, since nothing in the program points into them.
    for (size_t i = holder; i < sections.size(); ++i) {
        const TSectionHeader& s = sections[i];
        if (i > holder && (s.VirtualAddress != relocationRva || relocationRva == 0))
            throw EPEImageError("a section other than the relocations follows the resources");
        if (s.RawOffset % fileAlignment != 0 || s.RawSize % fileAlignment != 0 ||
            static_cast<uint64_t>(s.RawOffset) + s.RawSize > image.size() || s.RawOffset < headersSize ||
            s.VirtualAddress % sectionAlignment != 0 || s.VirtualSize > s.RawSize)
            throw EPEImageError("a section of the image is not where its header says");
        if (i > holder && (s.VirtualAddress <= sections[i - 1].VirtualAddress ||
                           s.RawOffset != sections[i - 1].RawOffset + sections[i - 1].RawSize))
            throw EPEImageError("the sections after the resources are out of order");
    }
    for (size_t i = 0; i < holder; ++i)
        if (static_cast<uint64_t>(sections[i].RawOffset) + sections[i].RawSize > sections[holder].RawOffset ||
            static_cast<uint64_t>(sections[i].VirtualAddress) +
                    std::max(sections[i].VirtualSize, sections[i].RawSize) > sections[holder].VirtualAddress)
            throw EPEImageError("a section before the resources overlaps them");

    const std::vector<uint8_t> tree = BuildResourceSection(resources, resourceRva);
    std::vector<uint8_t> out(image.begin(), image.begin() + sections[holder].RawOffset);
    uint64_t rawAt = sections[holder].RawOffset;
    uint64_t virtualAt = resourceRva;
    int64_t initializedDelta = 0;
    for (size_t i = holder; i < sections.size(); ++i) {
        const TSectionHeader& s = sections[i];
        const uint32_t virtualSize = i == holder ? static_cast<uint32_t>(tree.size()) : s.VirtualSize;
        const uint64_t rawSize = i == holder ? AlignUp(tree.size(), fileAlignment) : s.RawSize;
        if (i == holder) {
            out.insert(out.end(), tree.begin(), tree.end());
            out.resize(rawAt + rawSize, 0);
            initializedDelta = static_cast<int64_t>(rawSize) - s.RawSize;
        } else {
            out.insert(out.end(), image.begin() + s.RawOffset, image.begin() + s.RawOffset + s.RawSize);
            Put32(out, directory(DirectoryRelocations), static_cast<uint32_t>(virtualAt));
        }
        if (virtualAt + rawSize > 0xFFFFFFFFull)
            throw EPEImageError("the resources are too large");
        Put32(out, s.At + 8, virtualSize);
        Put32(out, s.At + 12, static_cast<uint32_t>(virtualAt));
        Put32(out, s.At + 16, static_cast<uint32_t>(rawSize));
        Put32(out, s.At + 20, static_cast<uint32_t>(rawAt));
        rawAt += rawSize;
        virtualAt = AlignUp(virtualAt + std::max<uint64_t>(virtualSize, 1), sectionAlignment);
    }
    Put32(out, directory(DirectoryResources) + 4, static_cast<uint32_t>(tree.size()));
    Put32(out, directory(DirectoryCertificates), 0);
    Put32(out, directory(DirectoryCertificates) + 4, 0);
    // The moved sections are the last ones, so the image ends with them.
    Put32(out, optional + 56, static_cast<uint32_t>(virtualAt));
    Put32(out, optional + 8, static_cast<uint32_t>(static_cast<int64_t>(Get32(image, optional + 8)) + initializedDelta));
    Put32(out, optional + 64, PEChecksum(out));
    return out;
}
