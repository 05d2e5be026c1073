// Where archives come from and go to: files, standard input and output, and
// the destinations of decoded entries that are not files (nowhere, for t's
// walk, and standard output, for p).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Stream.h"

// The archive at path ("-": standard input): the file itself, or, for a
// Windows program such as a built setup.exe, the archive in its "ARCHIVE"
// resource "DATA". Input too short for an archive header raises "not a VKAR
// archive".
std::unique_ptr<TStream> VkarOpenArchive(TFileSystem& fileSystem, const std::string& path);

// A C stream as a file stream; positions count from where it stood when
// taken. Closes the file when it owns it.
class TVkarFileStream : public TFileStream {
public:
    TVkarFileStream(std::FILE* file, bool owned);
    ~TVkarFileStream() override;
    TVkarFileStream(const TVkarFileStream&) = delete;
    TVkarFileStream& operator=(const TVkarFileStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    void SetDosDateTime(uint32_t) override {}
    // Writes out what is buffered: EWriteError when that fails.
    void Flush();
    std::FILE* File() const { return FFile; }

private:
    std::FILE* FFile;
    bool FOwned;
    int64_t FBase;
};

// A temporary file that is gone once closed: EFCreateError when none can be
// made.
std::unique_ptr<TVkarFileStream> VkarAnonymousFile();

// Takes every byte and keeps none; counts them, so that it can seek.
class TVkarNullStream : public TFileStream {
public:
    int32_t Read(void* buffer, int32_t count) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    void SetDosDateTime(uint32_t) override {}

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

// Copies source from its current position to its end onto standard output.
void VkarCopyToStdout(TStream& source);

// Whether path names the file that standard output (or, for
// VkarIsStandardInput, standard input) writes to or reads from. Always
// false where the system gives files no identity to compare.
bool VkarIsStandardOutput(const std::string& path);
bool VkarIsStandardInput(const std::string& path);
// Whether two paths name one file (through links too).
bool VkarSameFile(const std::string& a, const std::string& b);
