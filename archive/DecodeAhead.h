// Expansion on several cores: workers decode the entries ahead into memory,
// each with an archiver of its own, while the archiver's one walk writes,
// checks or refuses them in archive order, as with a single job.
#pragma once

#include <vector>

#include "archive/Archiver.h"

class TStringList;
class TStream;

// archiver.ExpandArchive(stream, list) with up to jobs entries decoded at
// once; stream must be seekable. One job (or one entry to expand) decodes
// straight into the files, with no copy through memory.
std::vector<TEntryResult> ExpandArchiveOnCores(TArchiver& archiver, TStream& stream, TStringList* list,
                                               unsigned jobs);
