// The writing half of the resource reader: a Windows program's resource
// section rebuilt from a list of resources, the rest of the image kept, on
// any host. mksetup makes a setup program of the stub with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/PEFileResources.h"

// The image cannot be rebuilt: not a Windows program, or laid out so that
// its resource section cannot grow. The message says why.
DECLARE_EXCEPTION(EPEImageError);

// The resource section's bytes for a section at sectionRva: the type, name
// and language directories (names before numbers, each in order), the
// names, then the data, each 8-byte aligned. Names are stored in upper case,
// as a resource script stores them. EPEImageError for a bad name ("#" with
// no number, a non-ASCII character) or two resources of one type, name and
// language.
std::vector<uint8_t> BuildResourceSection(const std::vector<TPEResourceItem>& resources, uint32_t sectionRva);

// The image with its resources replaced by resources. The resource section
// keeps its place; sections after it may only be the base relocations, which
// move up behind it. Section and image sizes, the initialized-data size, the
// resource and relocation directories and the checksum are made to match; a
// certificate table and anything else after the last section are dropped
// (a signature would no longer hold). The same arguments give the same bytes.
std::vector<uint8_t> ReplacePEResources(const std::vector<uint8_t>& image,
                                        const std::vector<TPEResourceItem>& resources);

// The PE checksum of the image, with the checksum field counted as zero.
uint32_t PEChecksum(const std::vector<uint8_t>& image);
