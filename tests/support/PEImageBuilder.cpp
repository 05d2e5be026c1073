#include "tests/support/PEImageBuilder.h"

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t SectionRva = 0x1000;
constexpr uint32_t SectionFile = 0x200;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    if (b.size() < at + 2)
        b.resize(at + 2);
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// "#24" is the number 24, as in a resource script; any other text a name.
bool IsId(const std::string& text) { return text.size() > 1 && text[0] == '#'; }

uint32_t IdOf(const std::string& text) { return static_cast<uint32_t>(std::stoul(text.substr(1))); }

// Named entries come before numbered ones in a resource directory.
bool EntryOrder(const std::string& a, const std::string& b)
{
    return IsId(a) != IsId(b) ? !IsId(a) : IsId(a) ? IdOf(a) < IdOf(b) : a < b;
}

} // namespace

std::vector<uint8_t> BuildResourceTree(const std::vector<TPEResource>& resources, uint32_t sectionRva)
{
    // The tree: root -> type directories -> name directories -> one language.
    std::map<std::string, std::vector<const TPEResource*>, bool (*)(const std::string&, const std::string&)> byType(
        &EntryOrder);
    for (const auto& r : resources)
        byType[r.Type].push_back(&r);
    const auto counts = [](const auto& names) {
        uint32_t ids = 0;
        for (const std::string& n : names)
            ids += IsId(n) ? 1 : 0;
        return std::pair<uint32_t, uint32_t>(static_cast<uint32_t>(names.size()) - ids, ids);
    };
    std::vector<std::string> typeNames;
    for (const auto& entry : byType)
        typeNames.push_back(entry.first);

    std::vector<uint8_t> tree;
    size_t next = 16 + 8 * byType.size(); // after the root directory
    std::vector<std::pair<size_t, std::string>> strings; // where a name field points, text
    std::vector<std::pair<size_t, const TPEResource*>> leaves; // data entry offset, resource
    Put16(tree, 12, counts(typeNames).first);
    Put16(tree, 14, counts(typeNames).second);
    size_t typeIndex = 0;
    for (auto& [type, members] : byType) {
        std::stable_sort(members.begin(), members.end(),
                         [](const TPEResource* a, const TPEResource* b) {
                             return IsId(a->Name) && IsId(b->Name) ? IdOf(a->Name) < IdOf(b->Name)
                                                                   : !IsId(a->Name) && IsId(b->Name);
                         });
        std::vector<std::string> memberNames;
        for (const TPEResource* m : members)
            memberNames.push_back(m->Name);
        const size_t typeDir = next;
        next += 16 + 8 * members.size();
        strings.push_back({16 + 8 * typeIndex, type});
        Put32(tree, 16 + 8 * typeIndex + 4, 0x80000000u | static_cast<uint32_t>(typeDir));
        Put16(tree, typeDir + 12, counts(memberNames).first);
        Put16(tree, typeDir + 14, counts(memberNames).second);
        for (size_t m = 0; m < members.size(); ++m) {
            const size_t nameDir = next;
            next += 16 + 8;
            strings.push_back({typeDir + 16 + 8 * m, members[m]->Name});
            Put32(tree, typeDir + 16 + 8 * m + 4, 0x80000000u | static_cast<uint32_t>(nameDir));
            Put16(tree, nameDir + 12, 0);
            Put16(tree, nameDir + 14, 1);
            Put32(tree, nameDir + 16, 0x409); // the language, by id
            leaves.push_back({nameDir + 16 + 4, members[m]});
        }
        ++typeIndex;
    }
    std::vector<size_t> dataEntries;
    for (auto& [leafField, resource] : leaves) {
        Put32(tree, leafField, static_cast<uint32_t>(next));
        dataEntries.push_back(next);
        next += 16;
    }
    for (const auto& [field, text] : strings) {
        if (IsId(text)) {
            Put32(tree, field, IdOf(text));
            continue;
        }
        Put32(tree, field, 0x80000000u | static_cast<uint32_t>(next));
        Put16(tree, next, static_cast<uint32_t>(text.size()));
        for (size_t k = 0; k < text.size(); ++k)
            Put16(tree, next + 2 + 2 * k, static_cast<uint8_t>(text[k]));
        next += 2 + 2 * text.size();
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
        const TPEResource* resource = leaves[i].second;
        const size_t entry = dataEntries[i];
        next = (next + 3) & ~size_t{3};
        Put32(tree, entry, sectionRva + static_cast<uint32_t>(next));
        Put32(tree, entry + 4, static_cast<uint32_t>(resource->Bytes.size()));
        tree.resize(next + resource->Bytes.size());
        std::copy(resource->Bytes.begin(), resource->Bytes.end(), tree.begin() + static_cast<long>(next));
        next += resource->Bytes.size();
    }
    tree.resize(next);
    return tree;
}

TPEImage BuildPEImage(const std::vector<TPEResource>& resources)
{
    const std::vector<uint8_t> tree = BuildResourceTree(resources, SectionRva);
    std::vector<uint8_t> image(SectionFile, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 64);
    Put32(image, 64, 0x00004550); // "PE\0\0"
    Put16(image, 68, 0x14C);      // i386
    Put16(image, 70, 1);          // one section
    Put16(image, 84, 224);        // optional header size
    Put16(image, 86, 0x102);
    const size_t optional = 88;
    Put16(image, optional, 0x10B); // PE32
    Put32(image, optional + 92, 16);
    Put32(image, optional + 96 + 16, SectionRva);
    Put32(image, optional + 96 + 20, static_cast<uint32_t>(tree.size()));
    const size_t section = optional + 224;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, image.begin() + static_cast<long>(section));
    Put32(image, section + 8, static_cast<uint32_t>(tree.size()));
    Put32(image, section + 12, SectionRva);
    Put32(image, section + 16, static_cast<uint32_t>(tree.size()));
    Put32(image, section + 20, SectionFile);
    image.resize(SectionFile);
    image.insert(image.end(), tree.begin(), tree.end());
    return {image, SectionFile};
}

std::vector<uint8_t> BuildStubImage(const std::vector<TPEResource>& resources, const TStubLayout& layout)
{
    constexpr uint32_t Headers = 0x400, FileAlign = 0x200, SectionAlign = 0x1000;
    const auto align = [](size_t v, size_t a) { return (v + a - 1) / a * a; };
    const uint32_t textRva = 0x1000, rsrcRva = 0x2000;
    const std::vector<uint8_t> tree = BuildResourceTree(resources, rsrcRva);
    const uint32_t rsrcRaw = static_cast<uint32_t>(align(tree.size(), FileAlign));
    const uint32_t relocRva = static_cast<uint32_t>(rsrcRva + align(tree.size(), SectionAlign));
    const uint32_t sections = layout.Relocations ? 3 : 2;

    std::vector<uint8_t> image(Headers, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x80);
    const size_t pe = 0x80, optional = pe + 24, table = optional + 224;
    Put32(image, pe, 0x00004550);
    Put16(image, pe + 4, 0x14C);
    Put16(image, pe + 6, sections);
    Put16(image, pe + 20, 224);
    Put16(image, pe + 22, 0x102);
    Put16(image, optional, 0x10B);
    Put32(image, optional + 4, FileAlign);                          // size of code
    Put32(image, optional + 8, rsrcRaw + (layout.Relocations ? FileAlign : 0)); // initialized data
    Put32(image, optional + 16, textRva);                            // entry point
    Put32(image, optional + 28, 0x400000);                           // image base
    Put32(image, optional + 32, SectionAlign);
    Put32(image, optional + 36, FileAlign);
    Put16(image, optional + 48, 4);
    Put32(image, optional + 56, layout.Relocations ? relocRva + SectionAlign
                                                   : static_cast<uint32_t>(rsrcRva + align(tree.size(), SectionAlign)));
    Put32(image, optional + 60, Headers);
    Put16(image, optional + 68, 2);                                  // GUI
    Put32(image, optional + 92, 16);
    Put32(image, optional + 96 + 8 * 2, rsrcRva);
    Put32(image, optional + 96 + 8 * 2 + 4, static_cast<uint32_t>(tree.size()));
    const auto section = [&](size_t index, const char* name, uint32_t virtualSize, uint32_t rva, uint32_t raw,
                             uint32_t at, uint32_t flags) {
        const size_t h = table + 40 * index;
        for (size_t k = 0; k < 8 && name[k]; ++k)
            image[h + k] = static_cast<uint8_t>(name[k]);
        Put32(image, h + 8, virtualSize);
        Put32(image, h + 12, rva);
        Put32(image, h + 16, raw);
        Put32(image, h + 20, at);
        Put32(image, h + 36, flags);
    };
    // The code: a pattern the rebuild must leave as it is.
    section(0, ".text", 0x180, textRva, FileAlign, Headers, 0x60000020);
    image.resize(Headers + FileAlign);
    for (size_t i = 0; i < 0x180; ++i)
        image[Headers + i] = static_cast<uint8_t>(i * 7 + 1);
    section(1, ".rsrc", static_cast<uint32_t>(tree.size()), rsrcRva, rsrcRaw, Headers + FileAlign, 0x40000040);
    image.insert(image.end(), tree.begin(), tree.end());
    image.resize(Headers + FileAlign + rsrcRaw);
    if (layout.Relocations) {
        // One block: two places in the code's page.
        const std::vector<uint8_t> block = {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0x10, 0x30, 0x20, 0x30};
        section(2, ".reloc", static_cast<uint32_t>(block.size()), relocRva, FileAlign,
                static_cast<uint32_t>(image.size()), 0x42000040);
        Put32(image, optional + 96 + 8 * 5, relocRva);
        Put32(image, optional + 96 + 8 * 5 + 4, static_cast<uint32_t>(block.size()));
        const size_t at = image.size();
        image.insert(image.end(), block.begin(), block.end());
        image.resize(at + FileAlign);
    }
    if (!layout.Certificate.empty()) {
        // A certificate table as a signing tool appends it: length, revision, type, data.
        const size_t at = align(image.size(), 8);
        image.resize(at);
        const uint32_t length = static_cast<uint32_t>(8 + layout.Certificate.size());
        Put32(image, at, length);
        Put16(image, at + 4, 0x200);
        Put16(image, at + 6, 2);
        image.insert(image.end(), layout.Certificate.begin(), layout.Certificate.end());
        image.resize(align(image.size(), 8));
        Put32(image, optional + 96 + 8 * 4, static_cast<uint32_t>(at));
        Put32(image, optional + 96 + 8 * 4 + 4, static_cast<uint32_t>(image.size() - at));
    }
    return image;
}
