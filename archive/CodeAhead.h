// Coding on several cores: workers code the files ahead into memory, each
// with an archiver of its own, while the caller's writer takes their entries
// in order, giving the very bytes that coding them one by one would give.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "archive/ArchiveWriter.h"

// A file opened for coding: its record's fields, its bytes from Start on,
// and its size when opened.
struct TSourceToCode {
    TArchiveFileInfo Info;
    std::unique_ptr<TStream> File;
    int64_t Start = 0;
    int64_t Size = 0;
};

// What the caller sees of each file, in order, on its own thread.
struct TCodingEvents {
    // Before file index is added (it was opened; its size is known); may
    // raise to stop.
    std::function<void(size_t index, int64_t size)> Begin;
    // Progress figures of the file being added.
    std::function<void(int32_t percent)> Progress;
    // Once it is in the archive; changed when its size was no longer the
    // one it had when opened (it was coded as first seen).
    std::function<void(size_t index, const TWrittenEntry& entry, bool changed)> Done;
};

// Adds count files to writer in order with method, opened by open(index)
// (called on worker threads when jobs > 1), up to jobs at once. The first
// failure, of opening or coding, leaves in that file's turn. One job codes
// each file straight into the archive, with no copy through memory.
void AddFilesOnCores(TArchiveWriter& writer, const TArchiver& settings, size_t count,
                     const std::function<TSourceToCode(size_t index)>& open, uint8_t method, unsigned jobs,
                     const TCodingEvents& events);
