// Resources read straight from a Windows program's file, on any host: how
// vkar finds the archive inside a built setup program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// True when the bytes begin as a Windows program does ("MZ").
bool LooksLikePEImage(const std::vector<uint8_t>& image);

// The bytes of the resource of the given type and name (both compared
// without regard to ASCII case, "#24" for a number; the first language found). EResNotFound when
// the program has no such resource or its resource tables are damaged.
std::vector<uint8_t> ReadPEResource(const std::vector<uint8_t>& image, const std::string& type,
                                    const std::string& name);

// One resource of a program: type and name as ReadPEResource takes them
// ("#N" for a number), the language, the bytes.
struct TPEResourceItem {
    std::string Type;
    std::string Name;
    uint16_t Language = 0;
    std::vector<uint8_t> Bytes;
};

// Every resource of the program, in the tree's order. EResNotFound when the
// resource tables are damaged (their data adding up to more than their
// section), or a name is not plain ASCII or begins with "#".
std::vector<TPEResourceItem> ReadAllPEResources(const std::vector<uint8_t>& image);
