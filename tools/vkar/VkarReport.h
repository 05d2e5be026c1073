// How vkar speaks to the user: names in the platform's spelling, errors on
// standard error as "vkar: NAME: message", or "vkar: ARCHIVE: message" for
// what concerns the archive as a whole.
#pragma once

#include <string>

// Text with every control character (C0, C1 raw or UTF-8 encoded, DEL) and
// every bidirectional override or isolate (U+202A-U+202E, U+2066-U+2069)
// shown as "?", so that a crafted name can neither drive the terminal nor
// read as another.
std::string VkarPrintable(const std::string& text);
// A stored name in the platform's spelling, printable as above.
std::string VkarDisplayName(const std::string& storedName);
// A name typed by the user in archive spelling ("\" between levels).
std::string VkarArchiveName(const std::string& userName);

// The archive the command works on, named by messages that concern no entry.
void VkarSetArchiveName(const std::string& archive);

// "vkar: NAME: message", or "vkar: ARCHIVE: message" when no entry is
// concerned ("vkar: message" before an archive is known). Control
// characters in either part show as "?".
void VkarReportError(const std::string& displayName, const std::string& message);
// One line of the listing or of the per-entry report: on standard output,
// or on standard error once VkarListOnStandardError was called (the archive
// itself goes to standard output then).
void VkarPrintLine(const std::string& line);
void VkarListOnStandardError();

// The identifier of a method index, or "#N" for an index that names none.
std::string VkarMethodName(unsigned methodIndex);
