// The two failures that belong to the codecs themselves.
#pragma once

#include "platform/Exception.h"

// The coded data would outgrow the file: the writer stores the file instead.
DECLARE_EXCEPTION(EUnableToCompress);
// An LH5 code-length list that does not form a complete prefix code.
DECLARE_EXCEPTION(ELZHBadDecodeTable);

inline constexpr const char* SUnableToCompress = "Could not compress data, will store instead";
inline constexpr const char* SBadDecodeTable = "Bad decode table in archive!";
