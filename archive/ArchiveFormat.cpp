#include "archive/ArchiveFormat.h"

#include <cstring>

#include "platform/Stream.h"

namespace {

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

std::array<uint8_t, ArchiveHeaderSize> TArchiveHeader::Pack() const
{
    std::array<uint8_t, ArchiveHeaderSize> b{};
    std::memcpy(&b[0], Magic, 5);
    std::memcpy(&b[5], CompressID, 3);
    Put32(&b[8], static_cast<uint32_t>(TotalSize));
    b[12] = ArchiveType;
    Put32(&b[13], static_cast<uint32_t>(Reserved));
    Put32(&b[17], static_cast<uint32_t>(LockMode));
    return b;
}

TArchiveHeader TArchiveHeader::Unpack(const uint8_t* b)
{
    TArchiveHeader h;
    std::memcpy(h.Magic, &b[0], 5);
    std::memcpy(h.CompressID, &b[5], 3);
    h.TotalSize = static_cast<int32_t>(Get32(&b[8]));
    h.ArchiveType = b[12];
    h.Reserved = static_cast<int32_t>(Get32(&b[13]));
    h.LockMode = static_cast<int32_t>(Get32(&b[17]));
    return h;
}

std::array<uint8_t, EntryHeaderSize> TEntryHeader::Pack() const
{
    std::array<uint8_t, EntryHeaderSize> b{};
    Put16(&b[0], static_cast<uint16_t>(NameLength));
    Put32(&b[2], DateTime);
    Put16(&b[6], static_cast<uint16_t>(Attributes));
    Put32(&b[8], static_cast<uint32_t>(ExpandedSize));
    Put32(&b[12], static_cast<uint32_t>(StoredSize));
    b[16] = MethodIndex;
    Put32(&b[17], Checksum);
    Put32(&b[21], static_cast<uint32_t>(LockMode));
    return b;
}

TEntryHeader TEntryHeader::Unpack(const uint8_t* b)
{
    TEntryHeader h;
    h.NameLength = static_cast<int16_t>(Get16(&b[0]));
    h.DateTime = Get32(&b[2]);
    h.Attributes = static_cast<int16_t>(Get16(&b[6]));
    h.ExpandedSize = static_cast<int32_t>(Get32(&b[8]));
    h.StoredSize = static_cast<int32_t>(Get32(&b[12]));
    h.MethodIndex = b[16];
    h.Checksum = Get32(&b[17]);
    h.LockMode = static_cast<int32_t>(Get32(&b[21]));
    return h;
}

uint32_t ByteSum(const void* data, size_t size, uint32_t start)
{
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t sum = start;
    for (size_t i = 0; i < size; ++i)
        sum += p[i];
    return sum;
}

bool ReadEntryRecord(TStream& stream, TEntryHeader& header, std::string& name)
{
    uint8_t record[EntryHeaderSize];
    if (stream.Read(record, EntryHeaderSize) != EntryHeaderSize)
        return false;
    header = TEntryHeader::Unpack(record);
    // Negative lengths come only from damaged archives; a negative stored size
    // would make the walk step backwards and could repeat one entry forever.
    if (header.NameLength < 0 || header.StoredSize < 0)
        return false;
    name.assign(static_cast<size_t>(header.NameLength), '\0');
    return stream.Read(name.data(), header.NameLength) == header.NameLength;
}
