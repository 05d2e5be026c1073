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

// The resource section's bytes for a section at sectionRva, built on its own
// (not by the writer under test).
std::vector<uint8_t> BuildResourceTree(const std::vector<TPEResource>& resources, uint32_t sectionRva);

struct TStubLayout {
    bool Relocations = true;           // a .reloc section after .rsrc, as the MinGW linker places it
    std::vector<uint8_t> Certificate;  // when not empty, a certificate table appended
};
// A program laid out as a linker lays it out: headers of 0x400 bytes, file
// alignment 0x200, section alignment 0x1000, .text, .rsrc and .reloc.
std::vector<uint8_t> BuildStubImage(const std::vector<TPEResource>& resources, const TStubLayout& layout = {});
