#include "tests/support/ArchiveBuilder.h"

#include <cstring>

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TRawEntry StoredEntry(const std::string& name, const std::vector<uint8_t>& bytes)
{
    TRawEntry e;
    e.Name = name;
    e.Data = bytes;
    e.ExpandedSize = static_cast<int32_t>(bytes.size());
    e.Checksum = ByteSum(bytes.data(), bytes.size());
    return e;
}

TArchiveBuilder::TArchiveBuilder(const std::string& identifier)
{
    std::memcpy(Header.CompressID, identifier.data(), 3);
}

TArchiveBuilder& TArchiveBuilder::Add(const TRawEntry& entry)
{
    FEntries.push_back(entry);
    return *this;
}

std::vector<uint8_t> TArchiveBuilder::Build() const
{
    TArchiveHeader header = Header;
    if (TotalFromEntries) {
        header.TotalSize = 0;
        for (const auto& e : FEntries)
            header.TotalSize += e.ExpandedSize;
    }
    const auto h = header.Pack();
    std::vector<uint8_t> out(h.begin(), h.end());
    for (const auto& e : FEntries) {
        TEntryHeader r;
        r.NameLength = static_cast<int16_t>(e.Name.size());
        r.DateTime = e.DateTime;
        r.Attributes = e.Attributes;
        r.ExpandedSize = e.ExpandedSize;
        r.StoredSize = e.StoredSize >= 0 ? e.StoredSize : static_cast<int32_t>(e.Data.size());
        r.MethodIndex = e.MethodIndex;
        r.Checksum = e.Checksum;
        r.LockMode = e.LockMode;
        const auto rb = r.Pack();
        out.insert(out.end(), rb.begin(), rb.end());
        out.insert(out.end(), e.Name.begin(), e.Name.end());
        out.insert(out.end(), e.Data.begin(), e.Data.end());
    }
    return out;
}
