// TArchiver: lists archives, expands them below a target directory and
// drives the codecs in both directions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// What became of one entry of an expansion.
enum class TEntryOutcome { eoWritten, eoSkipped, eoFailed };
struct TEntryResult {
    std::string Name;      // as stored
    std::string Path;      // where it was (or was to be) written; empty when skipped before OnCheckFile
    TEntryHeader Record;
    TEntryOutcome Outcome = TEntryOutcome::eoSkipped;
    std::string Reason;    // the failure's message
};
using TEntryDoneEvent = std::function<void(const TEntryResult& result)>;

// Entries decoded ahead of the walk, the mirror of the writer's AddCoded: the
// walk offers it every entry in archive order, by where its data starts.
class TDecodedBytesProvider {
public:
    virtual ~TDecodedBytesProvider() = default;
    // Writes the entry's decoded, checked bytes to dest and returns true,
    // raising what decoding it raised (after writing what it made); or
    // returns false to have the walk decode it. show takes the entry's
    // progress figures on the caller's thread.
    virtual bool Provide(int64_t dataStart, TStream& dest, const TShowProgressEvent& show) = 0;
    // The walk passes over the entry without expanding it.
    virtual void Pass(int64_t dataStart) = 0;
};

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

    // Expansion options. ReplaceWhenChecked writes each entry to a new file
    // beside its target and puts it in the target's place only once the
    // entry checked out, so a failed entry leaves an existing file as it was.
    bool ReplaceWhenChecked = false;
    // Sees the result of each entry the walk reaches, as it is known.
    TEntryDoneEvent OnEntryDone;
    // Stored names are ANSI text of a code page. When this is set, listing
    // and expansion convert them from it to UTF-8 as they are read, and a
    // name that is no text of it is an error (EInvalidName); 0 keeps the
    // stored bytes.
    unsigned NameCodePage = 0;

    // A read-only stream over resource type "ARCHIVE", from the program's own
    // module (library empty) or from the named library.
    std::unique_ptr<TStream> OpenArchiveResource(const std::string& resourceName,
                                                 const std::string& libraryFileName);
    // Appends one line per entry (its stored name, with a TCompressedFileInfo),
    // then raises, as the expansion would, when the records end short of the
    // header's total or are followed by something that is no record.
    void ListArchiveContents(TStream& stream, TStringList& list);
    // Expands every entry, or those named in list; on return list holds the
    // paths of the written files. Every record is read, also past the
    // header's total, and accounted for in the result, one per entry in
    // archive order (also through OnEntryDone). A failure leaves as its
    // exception after the entry's result, eoFailed with the message, was
    // reported. ahead, when given, may hand over entries decoded already.
    std::vector<TEntryResult> ExpandArchive(TStream& stream, TStringList* list,
                                            TDecodedBytesProvider* ahead = nullptr);
    // Decodes and checks the last entry named name (ASCII case ignored)
    // into the stream destination gives for its record; false when no entry
    // has that name. The archive's records are checked as by the expansion.
    bool ExpandNamedEntry(TStream& stream, const std::string& name,
                          const std::function<TStream&(const TEntryHeader&)>& destination);
    // Fills a fresh archive header.
    void InitArchiveHeader(TArchiveHeader& header, const std::string& identifier, uint8_t archiveType,
                           int32_t totalSize) const;

    TArchiveHeader ReadArchiveHeader(TStream& stream);
    int RecognizeMethod(const std::string& identifier);
    // Decodes one entry's data from source into dest and checks its byte
    // sum, its key and its expanded size.
    void ExpandEntry(TStream& dest, TStream& source, const TEntryHeader& entry, const std::string& compressID);
    int32_t RunCodec(TStream& dest, TStream& source, int32_t sourceSize, int32_t expandedSize, uint8_t methodIndex,
                     uint32_t& checksum, TCodecDirection direction, bool unlock);
    int32_t SpaceAvailable(const std::string& path);
    float FreeDiskSpace(int drive);
    static bool NameInList(const TStringList& list, const std::string& name);
    static int32_t PercentOf(int32_t done, int32_t total) { return ::PercentOf(done, total); }

private:
    // A stored name as the caller sees it (see NameCodePage).
    std::string NameAsRead(const std::string& stored) const;
    // One listed entry: false when OnCheckFile stops the walk.
    bool ExpandListed(TStream& stream, const TEntryHeader& entry, const std::string& name,
                      const std::string& compressID, int64_t dataStart, TDecodedBytesProvider* ahead,
                      TEntryResult& result);

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
