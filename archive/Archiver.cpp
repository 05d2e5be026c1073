// The expansion engine: recognises the archive, walks its entries, and for
// each selected one creates the file, drives its codec, verifies the byte
// sum and sets the file's date and attributes.
#include "archive/Archiver.h"

#include <cstring>
#include <limits>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/Resources.h"
#include "platform/Stream.h"

namespace {

constexpr int32_t MaxInt = std::numeric_limits<int32_t>::max();
constexpr int32_t ListingMinimum = ArchiveHeaderSize + EntryHeaderSize;

int64_t BytesLeft(TStream& stream)
{
    const int64_t here = stream.Position();
    return stream.Size() - here;
}

void SkipData(TStream& stream, int32_t storedSize)
{
    stream.Seek(storedSize, TSeekOrigin::soCurrent);
}

bool IsDotsOnly(const std::string& level)
{
    // Windows drops trailing dots and blanks from a path level, so ".. " and
    // "..." climb just as ".." does.
    size_t dots = 0;
    for (char c : level) {
        if (c == '.')
            ++dots;
        else if (c != ' ')
            return false;
    }
    return dots >= 2;
}

} // namespace

std::string UnrecognizedMethodMessage(const std::string& identifier)
{
    return "Unrecognized compression method: \"" + identifier + "\" in header";
}

std::string PrintableName(std::string name)
{
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return name;
}

bool IsUnsafeArchiveName(const std::string& name)
{
    if (name.size() >= 2 && name[1] == ':')
        return true;
    // A NUL would cut the name short at the system call, and Windows refuses
    // the other control characters: either way the file would not be the one
    // the archive names.
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            if (IsDotsOnly(name.substr(start, i - start)))
                return true;
            start = i + 1;
        }
    }
    return false;
}

TArchiver::TArchiver() : TArchiver(NativeFileSystem()) {}

TArchiver::TArchiver(TFileSystem& fileSystem, TResourceProvider* resources)
    : FFileSystem(fileSystem), FResources(resources), FCodec(std::make_unique<TCodecState>())
{
}

TArchiver::~TArchiver() = default;

void TArchiver::SetTargetPath(const std::string& value)
{
    FTargetPath = ToNativePath(value);
    if (!FTargetPath.empty() && FTargetPath.back() != PathDelim)
        FTargetPath += PathDelim;
}

std::unique_ptr<TStream> TArchiver::OpenArchiveResource(const std::string& resourceName,
                                                        const std::string& libraryFileName)
{
    TResourceProvider& resources = FResources != nullptr ? *FResources : NativeResources();
    try {
        return resources.OpenResource(libraryFileName, "ARCHIVE", resourceName);
    } catch (const ELibraryLoadError&) {
        throw Exception("Could not load " + libraryFileName + " DLL");
    }
}

int TArchiver::RecognizeMethod(const std::string& identifier)
{
    for (size_t i = 0; i < CompressIDs.size(); ++i)
        if (identifier == CompressIDs[i])
            return static_cast<int>(i);
    bool recognized = false;
    if (OnRecognize)
        OnRecognize(identifier, recognized);
    return recognized ? MethodCustom : -1;
}

TArchiveHeader TArchiver::ReadArchiveHeader(TStream& stream)
{
    TArchiveHeader header;
    if (BytesLeft(stream) < ArchiveHeaderSize) {
        InitArchiveHeader(header, CompressIDs[MethodStored], caMulti, 0);
        return header;
    }
    uint8_t bytes[ArchiveHeaderSize];
    stream.ReadBuffer(bytes, ArchiveHeaderSize);
    header = TArchiveHeader::Unpack(bytes);
    if (std::memcmp(header.Magic, "VKAR\x1A", 5) != 0)
        throw EInvalidHeader(SInvalidHeader);
    if (header.ArchiveType != caMulti)
        throw EInvalidHeaderArchiveType(SInvalidArchiveType);
    if (RecognizeMethod(header.Identifier()) < 0)
        throw EUnrecognizedCompressionMethod(UnrecognizedMethodMessage(header.Identifier()));
    return header;
}

bool TArchiver::ReadEntryHeader(TStream& stream, TEntryHeader& header, std::string& name)
{
    return ReadEntryRecord(stream, header, name);
}

void TArchiver::ListArchiveContents(TStream& stream, TStringList& list)
{
    if (BytesLeft(stream) < ListingMinimum)
        return;
    ReadArchiveHeader(stream);
    TEntryHeader entry;
    std::string name;
    while (ReadEntryHeader(stream, entry, name)) {
        auto info = std::make_unique<TCompressedFileInfo>();
        info->DateTime = entry.DateTime;
        info->Attributes = entry.Attributes;
        info->ExpandedSize = entry.ExpandedSize;
        info->StoredSize = entry.StoredSize;
        info->MethodIndex = entry.MethodIndex;
        info->Checksum = entry.Checksum;
        info->EntryOffset = static_cast<int32_t>(stream.Position() - EntryHeaderSize - entry.NameLength);
        info->Locked = entry.LockMode > 0;
        list.Add(name, std::move(info));
        SkipData(stream, entry.StoredSize);
    }
}

bool TArchiver::NameInList(const TStringList& list, const std::string& name)
{
    return list.IndexOfText(name) >= 0;
}

void TArchiver::ExpandArchive(TStream& stream, TStringList* list)
{
    TStringList written;
    const TArchiveHeader header = ReadArchiveHeader(stream);
    const std::string compressID = header.Identifier();
    int64_t total = 0;

    // The sizes of every record read, skipped ones included: the writer makes
    // TotalSize their sum, so records that end before it mean damage.
    int64_t walked = 0;
    bool truncated = false;
    TEntryHeader entry;
    std::string name;
    for (;;) {
        if (!ReadEntryHeader(stream, entry, name)) {
            truncated = walked < header.TotalSize;
            break;
        }
        if (total >= header.TotalSize)
            break;
        walked += entry.ExpandedSize;
        if (list != nullptr && !NameInList(*list, name)) {
            SkipData(stream, entry.StoredSize);
            total += entry.ExpandedSize;
            continue;
        }
        if (IsUnsafeArchiveName(name))
            throw EUnsafePath(SUnsafePath + PrintableName(name));

        std::string path = ToNativePath(!name.empty() && name[0] == '\\' ? name : FTargetPath + name);
        if (OnCheckFile) {
            OnCheckFile(path, cpExpanding);
            if (path.empty()) {
                SkipData(stream, entry.StoredSize);
                continue;
            }
            if (path == "*")
                break;
        }
        if (SpaceAvailable(path) < entry.ExpandedSize)
            throw EInsufficientDiskSpace(SInsufficientDiskSpace + PrintableName(path));
        if (MakeDirectories)
            MakeDirectoryPath(ExtractFilePath(path));

        std::unique_ptr<TFileStream> file;
        try {
            file = FFileSystem.CreateAlways(path);
        } catch (const EFCreateError&) {
            if (ExceptionOnFileError)
                throw;
            SkipData(stream, entry.StoredSize);
            continue;
        }

        const int32_t attributes = entry.Attributes; // widened with its sign
        try {
            ExpandEntry(*file, stream, entry.StoredSize, entry.ExpandedSize, entry.Checksum, entry.MethodIndex,
                        compressID, entry.LockMode);
        } catch (const EInvalidKey&) {
            file.reset();
            FFileSystem.RemoveFile(path);
            throw;
        } catch (...) {
            file.reset();
            FFileSystem.SetAttributes(path, attributes);
            throw;
        }
        // A method with no codec (method 3 without OnExpand, an unknown
        // index) reads none of its data; step over it, or the walk would
        // take that data for the next record.
        if (!(entry.MethodIndex <= MethodLH5 && (entry.MethodIndex != MethodCustom || OnExpand)))
            SkipData(stream, entry.StoredSize);
        file->SetDosDateTime(entry.DateTime);
        written.Add(path);
        file.reset();
        FFileSystem.SetAttributes(path, attributes);
        total += entry.ExpandedSize;
    }

    if (list != nullptr) {
        list->Clear();
        for (int i = 0; i < written.Count(); ++i)
            list->Add(written[i]);
    }
    if (truncated)
        throw ETruncatedArchive(STruncatedArchive);
}

void TArchiver::ExpandEntry(TStream& dest, TStream& source, int32_t storedSize, int32_t expandedSize,
                            uint32_t storedChecksum, uint8_t methodIndex, const std::string& compressID,
                            int32_t lockMode)
{
    if (lockMode > 0 && Key == 0)
        throw EInvalidKey(SInvalidKey);
    uint32_t computed = 0;
    // The handler of method 3 reads without the channel: nothing to vouch against.
    FCodec->FInputCut = FCodec->FReadPastData = false;
    if (methodIndex == MethodCustom) {
        if (OnExpand) {
            auto checksum = static_cast<int32_t>(computed);
            OnExpand(dest, source, storedSize, expandedSize, compressID, checksum);
            computed = static_cast<uint32_t>(checksum);
        }
    } else {
        try {
            RunCodec(dest, source, storedSize, expandedSize, methodIndex, computed, TCodecDirection::cdExpand,
                     lockMode == 2);
        } catch (const ELZHBadDecodeTable&) {
            if (lockMode > 0)
                throw EInvalidKey(SInvalidKey);
            throw;
        }
    }
    // Data that ended early, or a decoder that read past it, leaves an
    // incomplete file that no byte sum may vouch for (zeros add nothing).
    const bool complete = !FCodec->FInputCut && !FCodec->FReadPastData;
    if (complete && computed == storedChecksum)
        return;
    if (complete && storedChecksum == 0 && methodIndex == MethodStored)
        return;
    if (lockMode > 0) {
        if (complete && static_cast<uint32_t>(Key) + computed == storedChecksum)
            return;
        throw EInvalidKey(SInvalidKey);
    }
    throw EBadChecksum(SBadChecksum);
}

int32_t TArchiver::SpaceAvailable(const std::string& path)
{
    if (!CheckSpaceBeforeExpand)
        return MaxInt;
    int drive = 0;
    if (path.size() > 1 && path[1] == ':') {
        char letter = path[0];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        drive = static_cast<unsigned char>(letter) - 64;
    }
    const float space = FreeDiskSpace(drive);
    int32_t result = space < 2147483647.0f ? static_cast<int32_t>(space) : MaxInt;
    if (result < MaxInt && FFileSystem.FileExists(path)) {
        // The existing file will be replaced, so its bytes count as free.
        const int64_t size = FFileSystem.OpenRead(path)->Size();
        if (static_cast<double>(size) + static_cast<double>(space) >= 2147483647.0)
            result = MaxInt;
        else
            result += static_cast<int32_t>(size);
    }
    return result;
}

float TArchiver::FreeDiskSpace(int drive)
{
    std::string root;
    if (drive > 0) {
        root += static_cast<char>(64 + drive);
        root += ":\\";
    }
    TDiskFreeSpace space;
    if (!FFileSystem.QueryFreeSpace(root, space))
        return -1.0f;
    return static_cast<float>(space.SectorsPerCluster) * static_cast<float>(space.BytesPerSector) *
           static_cast<float>(space.FreeClusters);
}

bool TArchiver::IsDirectory(const std::string& path)
{
    return FFileSystem.IsDirectory(path);
}

void TArchiver::MakeDirectoryPath(const std::string& directory)
{
    MakeDirectoryLevels(FFileSystem, directory, NativePathRules);
}

void MakeDirectoryLevels(TFileSystem& fileSystem, const std::string& directory, const TPathRules& rules)
{
    // Walk up to the first level that exists, then create the rest top-down.
    const char* boundaries = rules.Drives ? "\\:" : "/";
    std::vector<std::string> missing;
    std::string dir = directory;
    for (;;) {
        if (!dir.empty() && dir.back() == rules.Delim)
            dir.pop_back();
        if (dir.empty() || (rules.Drives && dir.size() == 2 && dir[1] == ':'))
            break;
        if (fileSystem.IsDirectory(dir))
            break;
        missing.push_back(dir);
        const size_t last = dir.find_last_of(boundaries);
        dir = last == std::string::npos ? std::string() : dir.substr(0, last + 1);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        fileSystem.MakeDirectory(*it);
}

void TArchiver::InitArchiveHeader(TArchiveHeader& header, const std::string& identifier, uint8_t archiveType,
                                  int32_t totalSize) const
{
    header = TArchiveHeader();
    std::memcpy(header.Magic, "VKAR\x1A", 5);
    for (size_t i = 0; i < 3; ++i)
        header.CompressID[i] = i < identifier.size() ? identifier[i] : ' ';
    header.TotalSize = totalSize;
    header.ArchiveType = archiveType;
    header.Reserved = 0;
    header.LockMode = Key > 0 ? 2 : 0;
}
