// The archive's byte layout: a 21-byte header, then entries back to back,
// each a 25-byte record, the name, and the coded data. Little-endian, packed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "archive/StringList.h"

class TStream;

inline constexpr int32_t ArchiveHeaderSize = 21;
inline constexpr int32_t EntryHeaderSize = 25;
inline constexpr uint8_t caMulti = 1;

// Method identifiers by method index.
inline constexpr std::array<const char*, 5> CompressIDs = {"NON", "RLE", "LZH", "CUS", "LH5"};
inline constexpr uint8_t MethodStored = 0, MethodRLE = 1, MethodLZH = 2, MethodCustom = 3, MethodLH5 = 4;

struct TArchiveHeader {
    char Magic[5] = {'V', 'K', 'A', 'R', 0x1A};
    char CompressID[3] = {'N', 'O', 'N'};
    int32_t TotalSize = 0;
    uint8_t ArchiveType = caMulti;
    int32_t Reserved = 0;
    int32_t LockMode = 0;

    std::string Identifier() const { return std::string(CompressID, 3); }
    std::array<uint8_t, ArchiveHeaderSize> Pack() const;
    static TArchiveHeader Unpack(const uint8_t* bytes);
};

struct TEntryHeader {
    int16_t NameLength = 0;
    uint32_t DateTime = 0;
    int16_t Attributes = 0;
    int32_t ExpandedSize = 0;
    int32_t StoredSize = 0;
    uint8_t MethodIndex = 0;
    uint32_t Checksum = 0;
    int32_t LockMode = 0;

    std::array<uint8_t, EntryHeaderSize> Pack() const;
    static TEntryHeader Unpack(const uint8_t* bytes);
};

// What the lister records for each entry; attached to the entry's name.
class TCompressedFileInfo : public TObject {
public:
    uint32_t DateTime = 0;
    int16_t Attributes = 0;
    int32_t ExpandedSize = 0;
    int32_t StoredSize = 0;
    uint8_t MethodIndex = 0;
    uint32_t Checksum = 0;
    int32_t EntryOffset = 0;
    bool Locked = false;
};

// Byte sum of data, wrapping modulo 2^32: the archive's checksum.
uint32_t ByteSum(const void* data, size_t size, uint32_t start = 0);

// Reads the next entry record and its name; false when the stream ends
// inside either (the end of the entry sequence). A negative name length or
// stored size also ends the sequence.
bool ReadEntryRecord(TStream& stream, TEntryHeader& header, std::string& name);
