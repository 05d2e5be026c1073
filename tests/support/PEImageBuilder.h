// Builds a minimal Windows program image (PE32, one .rsrc section) holding
// named resources, so tests can read resources back on any host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPEResource {
    std::string Type;
    std::string Name;
    std::vector<uint8_t> Bytes;
};

// The offsets of the image's fields that damage tests aim at.
struct TPEImage {
    std::vector<uint8_t> Bytes;
    size_t ResourceSection = 0; // file offset of the resource tree
};

TPEImage BuildPEImage(const std::vector<TPEResource>& resources);
