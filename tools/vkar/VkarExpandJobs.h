// x and t with -j: the engine's walk over the entries, taken step by step as
// ExpandArchive takes it (the same checks, the same questions to OnCheckFile,
// the same files created, in the same order, and the same failures), while
// workers decode the entries ahead into memory, each with an archiver of its
// own. The engine itself stays single-threaded.
#pragma once

class TArchiver;
class TStringList;
class TVkarSharedSource;
class TStream;

// Expands as archiver.ExpandArchive(archive, list) would, archive being read
// through source; list is left as it was.
void VkarExpandInParallel(TArchiver& archiver, TVkarSharedSource& source, TStream& archive, const TStringList* list,
                          unsigned workers);
