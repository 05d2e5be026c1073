// TArchiver: lists archives, expands them below a target directory and
// drives the codecs in both directions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiverErrors.h"
#include "archive/StringList.h"
#include "codecs/CodecState.h"

class TFileSystem;
class TResourceProvider;
struct TPathRules;
class TStream;
struct TCoderTable;

// What the engine is doing when it asks OnCheckFile.
enum TCProcessMode { cpIdle = 0, cpExpanding = 1, cpCompressing = 2 };

enum class TCodecDirection { cdExpand, cdCompress };

using TFilenameCheckEvent = std::function<void(std::string& filepath, TCProcessMode mode)>;
using TExpandEvent = std::function<void(TStream& dest, TStream& source, int32_t Sourcesize, int32_t Destsize,
                                        const std::string& CompressID, int32_t& checksum)>;
using TCompressEvent = std::function<void(TStream& dest, TStream& source, std::string& CompressID,
                                          int32_t& Outputsize, int32_t& checksum)>;
using TRecognizeEvent = std::function<void(const std::string& CompressID, bool& recognized)>;

class TArchiver {
public:
    TArchiver();
    explicit TArchiver(TFileSystem& fileSystem, TResourceProvider* resources = nullptr);
    ~TArchiver();
    TArchiver(const TArchiver&) = delete;
    TArchiver& operator=(const TArchiver&) = delete;

    // Published properties.
    TCompressEvent OnCompress;
    TExpandEvent OnExpand;
    TFilenameCheckEvent OnCheckFile;
    TRecognizeEvent OnRecognize;
    TShowProgressEvent OnShowProgress;
    const std::string& TargetPath() const { return FTargetPath; }
    // Stores the value with a trailing path delimiter (empty stays empty).
    void SetTargetPath(const std::string& value);
    bool MakeDirectories = false;
    bool ExceptionOnFileError = false;
    int32_t Key = 0;
    bool CheckSpaceBeforeExpand = false;

    // The coders for RunCodec's compress direction; none unless set.
    const TCoderTable* Coders = nullptr;

    // A read-only stream over resource type "ARCHIVE", from the program's own
    // module (library empty) or from the named library.
    std::unique_ptr<TStream> OpenArchiveResource(const std::string& resourceName,
                                                 const std::string& libraryFileName);
    // Appends one line per entry (its stored name, with a TCompressedFileInfo).
    void ListArchiveContents(TStream& stream, TStringList& list);
    // Expands every entry, or those named in list; on return list holds the
    // paths of the written files. Records that end before their sizes reach
    // the header's total raise ETruncatedArchive once the rest is written.
    void ExpandArchive(TStream& stream, TStringList* list);
    // Fills a fresh archive header.
    void InitArchiveHeader(TArchiveHeader& header, const std::string& identifier, uint8_t archiveType,
                           int32_t totalSize) const;

    // Internal operations, open to the archive writer and to tests.
    TArchiveHeader ReadArchiveHeader(TStream& stream);
    bool ReadEntryHeader(TStream& stream, TEntryHeader& header, std::string& name);
    int RecognizeMethod(const std::string& identifier);
    void ExpandEntry(TStream& dest, TStream& source, int32_t storedSize, int32_t expandedSize,
                     uint32_t storedChecksum, uint8_t methodIndex, const std::string& compressID, int32_t lockMode);
    int32_t RunCodec(TStream& dest, TStream& source, int32_t sourceSize, int32_t expandedSize, uint8_t methodIndex,
                     uint32_t& checksum, TCodecDirection direction, bool unlock);
    int32_t SpaceAvailable(const std::string& path);
    float FreeDiskSpace(int drive);
    void MakeDirectoryPath(const std::string& directory);
    bool IsDirectory(const std::string& path);
    static bool NameInList(const TStringList& list, const std::string& name);
    static int32_t PercentOf(int32_t done, int32_t total) { return ::PercentOf(done, total); }

    TFileSystem& FileSystem() { return FFileSystem; }

private:
    TFileSystem& FFileSystem;
    TResourceProvider* FResources;
    std::unique_ptr<TCodecState> FCodec;
    std::string FTargetPath;
};

// True for a stored name that would leave the target directory: a ".."
// level (between "\" or "/") or a drive prefix such as "X:".
bool IsUnsafeArchiveName(const std::string& name);

// Creates the missing levels of directory (a trailing delimiter allowed),
// top-down. It stops at the first level that exists, at the root and, under
// drive rules, at a bare drive ("X:"); a short relative name is a level.
void MakeDirectoryLevels(TFileSystem& fileSystem, const std::string& directory, const TPathRules& rules);
