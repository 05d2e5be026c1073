// The archive component's failures, each a direct descendant of Exception
// carrying only its message.
#pragma once

#include "codecs/CodecErrors.h"
#include "platform/Exception.h"

DECLARE_EXCEPTION(EInvalidHeader);
DECLARE_EXCEPTION(EInvalidHeaderArchiveType);
DECLARE_EXCEPTION(EUnrecognizedCompressionMethod);
DECLARE_EXCEPTION(EInsufficientDiskSpace);
DECLARE_EXCEPTION(EBadChecksum);
DECLARE_EXCEPTION(EInvalidKey);
// A stored name that would leave the target directory ("..", "X:").
DECLARE_EXCEPTION(EUnsafePath);
// The entries end before their sizes add up to the header's total.
DECLARE_EXCEPTION(ETruncatedArchive);
// Bytes after the last entry that form no entry record.
DECLARE_EXCEPTION(ETrailingData);
// Entries whose sizes pass the header's total.
DECLARE_EXCEPTION(ETotalSizeMismatch);
// An entry that expanded to another byte count than its record gives.
DECLARE_EXCEPTION(EBadExpandedSize);
// A stored name that is no text of the code page names are read in.
DECLARE_EXCEPTION(EInvalidName);

inline constexpr const char* SInvalidHeader = "Can't recognize compressed file header";
inline constexpr const char* SInvalidArchiveType = "Archive type must be caMulti";
inline constexpr const char* SInsufficientDiskSpace = "Not enough disk space to expand ";
inline constexpr const char* SBadChecksum = "Bad checksum during expansion -- data may be invalid";
inline constexpr const char* SInvalidKey = "File locked -- valid key required";
inline constexpr const char* SUnsafePath = "Unsafe path in archive: ";
inline constexpr const char* STruncatedArchive = "Archive is truncated";
inline constexpr const char* STrailingData = "Trailing data after the archive";
inline constexpr const char* STotalSizeMismatch = "Entry sizes do not add up to the archive's total size";
inline constexpr const char* SInvalidName = "Name not valid in this system's code page: ";
inline constexpr const char* SBadExpandedSize = "Expanded size differs from the entry record -- data may be invalid";

// A name or path as messages show it: control characters (0x00-0x1F, 0x7F)
// become "?", so that a crafted name cannot drive a terminal; bytes from
// 0x80 stay, so UTF-8 names read right.
std::string PrintableName(std::string name);

// "Unrecognized compression method: \"XYZ\" in header"
std::string UnrecognizedMethodMessage(const std::string& identifier);
// "Unrecognized compression method: \"CUS\" in entry", "#7" for an index
// that names no method.
std::string UnrecognizedEntryMethodMessage(unsigned methodIndex);
