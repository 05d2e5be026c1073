// The second half of c: each file found by the walk coded into the archive,
// in the walk's order, by the library on -j cores. Either way the archive
// holds the same bytes and the same lines are printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vkar/VkarOptions.h"

class TArchiveWriter;
class TArchiver;
class TFileSystem;
class TVkarNewArchive;
class TVkarProgress;

struct TVkarSource {
    std::string Path; // as the file system opens it
    std::string Name;   // as shown and compared (UTF-8 on Windows)
    std::string Stored; // as the archive stores it
};

struct TVkarCreateTotals {
    int Status = 0;
    int Files = 0;
    int64_t Expanded = 0;
    int64_t Stored = 0;
    // Files left out or stored other than whole (named as it happened):
    // the archive is complete, the status 1.
    int Skipped = 0;
};

// Codes the sources into writer, naming each on its line; stops at the first
// entry that fails, with its message, and status 1. A file whose size
// changed while it was read is stored as first seen and named.
TVkarCreateTotals VkarAddSources(const TVkarOptions& options, const std::vector<TVkarSource>& sources,
                                 TFileSystem& fileSystem, TVkarNewArchive& target, TArchiveWriter& writer,
                                 TArchiver& archiver, TVkarProgress& progress);
