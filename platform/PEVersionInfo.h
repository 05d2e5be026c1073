// A program's version resource (type 16) made from a few texts, on any host:
// the fixed part with the four-part version, the US English / Windows-1252
// string table and its translation entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TVersionInfo {
    std::array<uint16_t, 4> FileVersion{};
    std::array<uint16_t, 4> ProductVersion{};
    // Name and value of each string, in this order; UTF-8 texts.
    std::vector<std::pair<std::string, std::string>> Strings;
};

std::vector<uint8_t> BuildVersionResource(const TVersionInfo& info);
