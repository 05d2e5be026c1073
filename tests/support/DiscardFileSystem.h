// Outputs that are counted and discarded: for benchmarks and fuzzing, where
// only the decoding matters and the output may be large.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Stream.h"

// Takes every write, keeps nothing.
class TDiscardStream : public TFileStream {
public:
    int64_t Written = 0;
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void*, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override { Written = size; }
    void SetDosDateTime(uint32_t) override {}

private:
    int64_t FPosition = 0;
};

// A disk whose files are discarding streams; every directory exists.
class TDiscardFileSystem : public TFileSystem {
public:
    int64_t BytesWritten = 0;
    int64_t FilesCreated = 0;

    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override;
    bool FileExists(const std::string&) override { return false; }
    bool IsDirectory(const std::string&) override { return true; }
    bool IsReparsePoint(const std::string&) override { return false; }
    void MakeDirectory(const std::string&) override {}
    bool RemoveFile(const std::string&) override { return true; }
    bool RemoveEmptyDirectory(const std::string&) override { return true; }
    bool MoveFileReplacing(const std::string&, const std::string&) override { return true; }
    bool SetAttributes(const std::string&, int32_t) override { return true; }
    int32_t GetAttributes(const std::string&) override { return faArchive; }
    uint32_t GetDosDateTime(const std::string&) override { return 0; }
    bool QueryFreeSpace(const std::string&, TDiskFreeSpace&) override { return false; }
    std::vector<TDirectoryEntry> ListDirectory(const std::string&) override { return {}; }
};

