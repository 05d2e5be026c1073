// Test doubles that fail on demand: an in-memory file system whose Nth file
// creation, write, date or attribute change fails the way a real disk does,
// and a source stream whose Nth read fails.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Stream.h"
#include "tests/support/MemoryFileSystem.h"

class TFaultyFileSystem : public TMemoryFileSystem {
public:
    // Each counts calls from 1 since the last Disarm; 0 never fails.
    int FailCreateAt = 0;     // CreateAlways raises EFCreateError
    int FailWriteAt = 0;      // that write takes its first PartialWrite bytes, then the disk is full
    int32_t PartialWrite = 0;
    int FailDateAt = 0;       // the file keeps its old date, as when the platform refuses
    int FailAttributesAt = 0; // SetAttributes reports failure and changes nothing
    int FailMoveAt = 0;       // the move fails as for a file in use
    int FailDirectoryAt = 0;  // MakeDirectory raises EInOutError
    int Fired = 0;            // faults that have struck

    // Clears the faults and the call counters; the files stay.
    void Disarm();

    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    bool SetAttributes(const std::string& path, int32_t attributes) override;
    bool MoveFileReplacing(const std::string& from, const std::string& to) override;
    void MakeDirectory(const std::string& path) override;

private:
    friend class TFaultyFileStream;
    bool Strikes(int& calls, int failAt);

    int FCreates = 0;
    int FWrites = 0;
    int FDates = 0;
    int FAttributes = 0;
    int FMoves = 0;
    int FDirectories = 0;
};

// Reads through to another stream; the Nth read raises EReadError.
class TFaultyReadStream : public TStream {
public:
    TFaultyReadStream(TStream& inner, int failReadAt) : FInner(inner), FFailAt(failReadAt) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override { return FInner.Write(buffer, count); }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FInner.Seek(offset, origin); }
    void SetSize(int64_t size) override { FInner.SetSize(size); }

    bool Fired() const { return FFired; }

private:
    TStream& FInner;
    int FFailAt;
    int FReads = 0;
    bool FFired = false;
};
