// An icon file (.ico) as the resources a program carries it in: one image
// resource (type 3) per picture and the group (type 14) that lists them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/PEFileResources.h"

// Not an icon file, or one whose directory points outside it.
DECLARE_EXCEPTION(EIconFileError);

// The pictures as "#3" resources "#1", "#2", ... and the group as "#14"
// groupName, all of the given language. EIconFileError names the fault.
std::vector<TPEResourceItem> IconFileResources(const std::vector<uint8_t>& file, const std::string& groupName,
                                               uint16_t language);
