// A reader of the PE resource tree (type, name, language) over the file's
// bytes. Every offset comes from the file, so every read is bounds-checked.
#include "platform/PEFileResources.h"

#include "platform/Exception.h"

namespace {

class TImage {
public:
    TImage(const std::vector<uint8_t>& bytes, std::string what) : FBytes(bytes), FWhat(std::move(what)) {}

    uint32_t U16(uint64_t at) const
    {
        Need(at, 2);
        return FBytes[at] | FBytes[at + 1] << 8;
    }
    uint32_t U32(uint64_t at) const
    {
        Need(at, 4);
        return FBytes[at] | FBytes[at + 1] << 8 | FBytes[at + 2] << 16 | static_cast<uint32_t>(FBytes[at + 3]) << 24;
    }
    void Need(uint64_t at, uint64_t count) const
    {
        if (at > FBytes.size() || count > FBytes.size() - at)
            Fail();
    }
    [[noreturn]] void Fail() const { throw EResNotFound("Resource " + FWhat + " not found"); }

    const std::vector<uint8_t>& FBytes;

private:
    std::string FWhat;
};

struct TSection {
    uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "#24" names the resource number 24, as a resource script does.
bool ParseId(const std::string& text, uint32_t& id)
{
    if (text.size() < 2 || text.size() > 6 || text[0] != '#')
        return false;
    id = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        id = id * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    return id <= 0xFFFF;
}

// The entry of a resource directory whose name (or number) matches, or -1.
int64_t FindNamed(const TImage& image, uint64_t root, uint64_t directory, const std::string& wanted)
{
    const uint32_t named = image.U16(directory + 12);
    uint32_t id = 0;
    if (ParseId(wanted, id)) {
        // Numbered entries follow the named ones.
        const uint32_t numbered = image.U16(directory + 14);
        for (uint32_t i = named; i < named + numbered; ++i) {
            const uint64_t entry = directory + 16 + 8ull * i;
            if (image.U32(entry) == id)
                return static_cast<int64_t>(entry);
        }
        return -1;
    }
    for (uint32_t i = 0; i < named; ++i) {
        const uint64_t entry = directory + 16 + 8ull * i;
        const uint32_t nameField = image.U32(entry);
        if ((nameField & 0x80000000u) == 0)
            continue; // an id among named entries: not ours
        const uint64_t text = root + (nameField & 0x7FFFFFFFu);
        const uint32_t length = image.U16(text);
        if (length != wanted.size())
            continue;
        bool same = true;
        for (uint32_t k = 0; k < length && same; ++k) {
            const uint32_t c = image.U16(text + 2 + 2ull * k);
            same = c < 128 && Upper(static_cast<char>(c)) == Upper(wanted[k]);
        }
        if (same)
            return static_cast<int64_t>(entry);
    }
    return -1;
}

} // namespace

bool LooksLikePEImage(const std::vector<uint8_t>& image)
{
    return image.size() >= 2 && image[0] == 'M' && image[1] == 'Z';
}

namespace {

// The resource tree's place in the file: its root and the section that holds it.
struct TResourceTree {
    const TImage& Image;
    TSection Holder{};
    uint64_t Root = 0;

    // The file offset of count bytes at rva, all inside the holding section.
    uint64_t ToFile(uint32_t rva, uint64_t count) const
    {
        if (rva < Holder.VirtualAddress || rva - Holder.VirtualAddress > Holder.RawSize ||
            count > Holder.RawSize - (rva - Holder.VirtualAddress))
            Image.Fail();
        const uint64_t at = static_cast<uint64_t>(Holder.RawOffset) + (rva - Holder.VirtualAddress);
        Image.Need(at, count);
        return at;
    }
    std::vector<uint8_t> DataOf(uint64_t dataEntry) const
    {
        const uint32_t dataRva = Image.U32(dataEntry);
        const uint32_t dataSize = Image.U32(dataEntry + 4);
        const uint64_t at = ToFile(dataRva, dataSize);
        return std::vector<uint8_t>(Image.FBytes.begin() + static_cast<long>(at),
                                    Image.FBytes.begin() + static_cast<long>(at + dataSize));
    }
};

TResourceTree LocateTree(const TImage& image)
{
    if (!LooksLikePEImage(image.FBytes))
        image.Fail();
    const uint64_t pe = image.U32(0x3C);
    if (image.U32(pe) != 0x00004550) // "PE\0\0"
        image.Fail();
    const uint32_t sectionCount = image.U16(pe + 6);
    const uint32_t optionalSize = image.U16(pe + 20);
    const uint64_t optional = pe + 24;
    const uint32_t magic = image.U16(optional);
    const uint64_t directories = optional + (magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0);
    if (directories == optional)
        image.Fail();
    const uint32_t directoryCount = image.U32(directories - 4);
    if (directoryCount < 3 || directories + 24 > optional + optionalSize)
        image.Fail();
    const uint32_t resourceRva = image.U32(directories + 16);

    // The section that holds the resource tree maps its addresses to the file.
    TResourceTree tree{image};
    const uint64_t sections = optional + optionalSize;
    bool found = false;
    for (uint32_t i = 0; i < sectionCount && !found; ++i) {
        const uint64_t s = sections + 40ull * i;
        const TSection section{image.U32(s + 12), image.U32(s + 8), image.U32(s + 16), image.U32(s + 20)};
        const uint32_t extent = section.VirtualSize > section.RawSize ? section.VirtualSize : section.RawSize;
        if (resourceRva >= section.VirtualAddress && resourceRva - section.VirtualAddress < extent) {
            tree.Holder = section;
            found = true;
        }
    }
    if (!found)
        image.Fail();
    tree.Root = tree.ToFile(resourceRva, 16);
    return tree;
}

// A directory entry's name: "#N" for a number, its text otherwise (ASCII only).
std::string EntryName(const TResourceTree& tree, uint64_t entry)
{
    const uint32_t nameField = tree.Image.U32(entry);
    if ((nameField & 0x80000000u) == 0) {
        if (nameField > 0xFFFF)
            tree.Image.Fail();
        return "#" + std::to_string(nameField);
    }
    const uint64_t text = tree.Root + (nameField & 0x7FFFFFFFu);
    const uint32_t length = tree.Image.U16(text);
    std::string name;
    for (uint32_t k = 0; k < length; ++k) {
        const uint32_t c = tree.Image.U16(text + 2 + 2ull * k);
        if (c == 0 || c >= 128)
            tree.Image.Fail();
        name += static_cast<char>(c);
    }
    // "#N" stands for a number; a name spelled so would be taken for one.
    if (name.empty() || name[0] == '#')
        tree.Image.Fail();
    return name;
}

// A subdirectory below an entry, or (data wanted) the entry's data entry.
uint64_t Below(const TResourceTree& tree, uint64_t entry, bool subdirectory)
{
    const uint32_t target = tree.Image.U32(entry + 4);
    if (((target & 0x80000000u) != 0) != subdirectory)
        tree.Image.Fail();
    const uint64_t at = tree.Root + (target & 0x7FFFFFFFu);
    tree.Image.Need(at, 16);
    return at;
}

} // namespace

std::vector<uint8_t> ReadPEResource(const std::vector<uint8_t>& bytes, const std::string& type,
                                    const std::string& name)
{
    const TImage image(bytes, name);
    const TResourceTree tree = LocateTree(image);

    // Type, then name: subdirectories (high bit set) below the root.
    uint64_t directory = tree.Root;
    for (const std::string* level : {&type, &name}) {
        const int64_t entry = FindNamed(image, tree.Root, directory, *level);
        if (entry < 0)
            image.Fail();
        directory = Below(tree, static_cast<uint64_t>(entry), true);
    }
    // Languages: the first entry, named or by id, must be a data entry.
    if (image.U16(directory + 12) + image.U16(directory + 14) == 0)
        image.Fail();
    return tree.DataOf(Below(tree, directory + 16, false));
}

std::vector<TPEResourceItem> ReadAllPEResources(const std::vector<uint8_t>& bytes)
{
    const TImage image(bytes, "tree");
    const TResourceTree tree = LocateTree(image);
    // Directories may share entries or point back up; the three levels and a
    // limit on the entries visited keep the walk finite and small.
    constexpr size_t MaxEntries = 4096;
    size_t visited = 0;
    const auto entriesOf = [&](uint64_t directory) {
        const uint32_t count = image.U16(directory + 12) + image.U16(directory + 14);
        visited += count;
        if (visited > MaxEntries)
            image.Fail();
        image.Need(directory + 16, 8ull * count);
        std::vector<uint64_t> entries;
        for (uint32_t i = 0; i < count; ++i)
            entries.push_back(directory + 16 + 8ull * i);
        return entries;
    };
    std::vector<TPEResourceItem> items;
    // The data of a sound tree does not overlap, so it fits in its section;
    // entries that share data must not multiply it.
    uint64_t total = 0;
    for (const uint64_t typeEntry : entriesOf(tree.Root)) {
        const std::string type = EntryName(tree, typeEntry);
        for (const uint64_t nameEntry : entriesOf(Below(tree, typeEntry, true))) {
            const std::string name = EntryName(tree, nameEntry);
            for (const uint64_t languageEntry : entriesOf(Below(tree, nameEntry, true))) {
                const uint32_t language = image.U32(languageEntry);
                if (language > 0xFFFF)
                    image.Fail();
                items.push_back({type, name, static_cast<uint16_t>(language),
                                 tree.DataOf(Below(tree, languageEntry, false))});
                total += items.back().Bytes.size();
                if (total > tree.Holder.RawSize)
                    image.Fail();
            }
        }
    }
    return items;
}
