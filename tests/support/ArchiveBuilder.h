// Builds archive bytes directly, record by record, so tests can craft any
// archive the format allows, damaged ones included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"

std::vector<uint8_t> Bytes(const std::string& text);

struct TRawEntry {
    std::string Name;
    std::vector<uint8_t> Data; // the entry's data as stored
    int32_t ExpandedSize = 0;
    uint8_t MethodIndex = MethodStored;
    uint32_t Checksum = 0;
    int32_t LockMode = 0;
    uint32_t DateTime = 0x5A6B7C8D;
    int16_t Attributes = 0x20;
    int32_t StoredSize = -1; // -1: the data's length
};

// A stored (method 0) entry of bytes, with its true checksum.
TRawEntry StoredEntry(const std::string& name, const std::vector<uint8_t>& bytes);

class TArchiveBuilder {
public:
    explicit TArchiveBuilder(const std::string& identifier = "NON");

    TArchiveHeader Header;
    bool TotalFromEntries = true; // TotalSize = sum of ExpandedSize

    TArchiveBuilder& Add(const TRawEntry& entry);
    std::vector<uint8_t> Build() const;

private:
    std::vector<TRawEntry> FEntries;
};
