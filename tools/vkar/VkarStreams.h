// Where archives come from, and the two destinations of decoded entries that are not files: nowhere (t)
// and standard output (p).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Stream.h"

class TFileSystem;

// The archive at path: the file itself, or, for a Windows program such as a
// built setup.exe, the archive in its "ARCHIVE" resource "DATA".
std::unique_ptr<TStream> VkarOpenArchive(TFileSystem& fileSystem, const std::string& path);

// Takes every byte and keeps none; counts them, so that it can seek.
class TVkarNullStream : public TStream {
public:
    int32_t Read(void* buffer, int32_t count) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

private:
    int64_t FPosition = 0;
    int64_t FSize = 0;
};

// Standard output, in binary mode; it can tell its position but not move.
class TVkarStdoutStream : public TStream {
public:
    TVkarStdoutStream();
    int32_t Read(void* buffer, int32_t count) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    // Flushes; a failed write of buffered bytes raises EWriteError.
    void Flush();

private:
    int64_t FWritten = 0;
};
