// The expansion engine: recognises the archive, walks its entries, and for
// each selected one creates the file, drives its codec, verifies the byte
// sum and sets the file's date and attributes.
#include "archive/Archiver.h"

#include <cstring>
#include <limits>
#include <vector>

#include "archive/ArchiveRecords.h"
#include "platform/CodePage.h"
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

// Decimal digits without the library's number formatting, which the setup
// program does not otherwise carry.
static std::string Digits(unsigned n)
{
    std::string digits;
    do
        digits.insert(digits.begin(), static_cast<char>('0' + n % 10));
    while ((n /= 10) != 0);
    return digits;
}

std::string UnrecognizedEntryMethodMessage(unsigned methodIndex)
{
    const std::string shown = methodIndex < CompressIDs.size() ? CompressIDs[methodIndex] : "#" + Digits(methodIndex);
    return "Unrecognized compression method: \"" + shown + "\" in entry";
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

void TArchiver::ListArchiveContents(TStream& stream, TStringList& list)
{
    if (BytesLeft(stream) < ListingMinimum)
        return;
    const TArchiveHeader header = ReadArchiveHeader(stream);
    TArchiveRecords records(stream, header.TotalSize);
    TEntryHeader entry;
    std::string name;
    while (records.Next(entry, name)) {
        auto info = std::make_unique<TCompressedFileInfo>();
        info->DateTime = entry.DateTime;
        info->Attributes = entry.Attributes;
        info->ExpandedSize = entry.ExpandedSize;
        info->StoredSize = entry.StoredSize;
        info->MethodIndex = entry.MethodIndex;
        info->Checksum = entry.Checksum;
        info->EntryOffset = static_cast<int32_t>(records.DataStart() - EntryHeaderSize - entry.NameLength);
        info->Locked = entry.LockMode > 0;
        list.Add(NameAsRead(name), std::move(info));
        records.SkipToNext();
    }
    records.RaiseDamage();
}

std::string TArchiver::NameAsRead(const std::string& stored) const
{
    if (NameCodePage == 0)
        return stored;
    try {
        return AnsiToUtf8(stored, NameCodePage);
    } catch (const EConvertError&) {
        throw EInvalidName(SInvalidName + PrintableName(stored));
    }
}

bool TArchiver::NameInList(const TStringList& list, const std::string& name)
{
    return list.IndexOfText(name) >= 0;
}

namespace {

bool HasDecoder(uint8_t methodIndex, bool customHandler)
{
    return methodIndex <= MethodLH5 && (methodIndex != MethodCustom || customHandler);
}

// Windows refuses to replace a read-only, hidden or system file; it is made
// plain first and takes the entry's attributes once written.
void MakeReplaceable(TFileSystem& disk, const std::string& path)
{
    const int32_t attributes = disk.GetAttributes(path);
    constexpr int32_t guarded = faReadOnly | faHidden | faSysFile;
    if (attributes >= 0 && (attributes & faDirectory) == 0 && (attributes & guarded) != 0)
        disk.SetAttributes(path, (attributes & ~guarded) | faArchive);
}

// A short name in path's directory that nothing stands at, so that a name
// as long as the system allows can still be written this way.
std::string TemporaryBeside(TFileSystem& disk, const std::string& path)
{
    for (int n = 0;; ++n) {
        std::string candidate = ExtractFilePath(path) + ".~vk" + Digits(static_cast<unsigned>(n)) + ".tmp";
        if (!disk.FileExists(candidate) && !disk.IsDirectory(candidate))
            return candidate;
    }
}

} // namespace

std::vector<TEntryResult> TArchiver::ExpandArchive(TStream& stream, TStringList* list, TDecodedBytesProvider* ahead)
{
    std::vector<TEntryResult> results;
    TStringList written;
    const bool empty = BytesLeft(stream) < ArchiveHeaderSize;
    const TArchiveHeader header = ReadArchiveHeader(stream);
    const std::string compressID = header.Identifier();
    const auto report = [&](TEntryResult& result) {
        results.push_back(std::move(result));
        if (OnEntryDone)
            OnEntryDone(results.back());
    };

    TArchiveRecords records(stream, header.TotalSize);
    if (!empty) {
        TEntryHeader entry;
        std::string name;
        while (records.Next(entry, name)) {
            TEntryResult result;
            result.Name = name;
            result.Record = entry;
            try {
                name = result.Name = NameAsRead(name);
            } catch (const Exception& e) {
                result.Outcome = TEntryOutcome::eoFailed;
                result.Reason = e.Message();
                report(result);
                throw;
            }
            const int64_t dataStart = records.DataStart();
            if (list != nullptr && !NameInList(*list, name)) {
                if (ahead != nullptr)
                    ahead->Pass(dataStart);
                report(result);
                continue;
            }
            bool stop = false;
            try {
                stop = !ExpandListed(stream, entry, name, compressID, dataStart, ahead, result);
            } catch (const Exception& e) {
                result.Outcome = TEntryOutcome::eoFailed;
                result.Reason = e.Message();
                report(result);
                throw;
            }
            if (stop)
                break;
            if (result.Outcome == TEntryOutcome::eoWritten)
                written.Add(result.Path);
            report(result);
            records.SkipToNext();
        }
    }

    // Damage found between entries leaves what was written listed.
    if (list != nullptr) {
        list->Clear();
        for (int i = 0; i < written.Count(); ++i)
            list->Add(written[i]);
    }
    records.RaiseDamage();
    return results;
}

bool TArchiver::ExpandListed(TStream& stream, const TEntryHeader& entry, const std::string& name,
                             const std::string& compressID, int64_t dataStart, TDecodedBytesProvider* ahead,
                             TEntryResult& result)
{
    const auto pass = [&] {
        if (ahead != nullptr)
            ahead->Pass(dataStart);
    };
    if (IsUnsafeArchiveName(name))
        throw EUnsafePath(SUnsafePath + PrintableName(name));

    std::string path = ToNativePath(!name.empty() && name[0] == '\\' ? name : FTargetPath + name);
    if (OnCheckFile) {
        OnCheckFile(path, cpExpanding);
        if (path.empty()) {
            pass();
            return true;
        }
        if (path == "*")
            return false;
    }
    result.Path = path;
    // Everything that can be known from the record is checked before the
    // target is touched.
    if (entry.LockMode > 0 && Key == 0)
        throw EInvalidKey(SInvalidKey);
    if (!HasDecoder(entry.MethodIndex, static_cast<bool>(OnExpand)))
        throw EUnrecognizedCompressionMethod(UnrecognizedEntryMethodMessage(entry.MethodIndex));
    if (SpaceAvailable(path) < entry.ExpandedSize)
        throw EInsufficientDiskSpace(SInsufficientDiskSpace + PrintableName(path));
    if (MakeDirectories)
        MakeDirectoryLevels(FFileSystem, ExtractFilePath(path), NativePathRules);

    const std::string target = ReplaceWhenChecked ? TemporaryBeside(FFileSystem, path) : path;
    std::unique_ptr<TFileStream> file;
    try {
        if (!ReplaceWhenChecked)
            MakeReplaceable(FFileSystem, path);
        file = FFileSystem.CreateAlways(target);
    } catch (const EFCreateError& e) {
        if (ExceptionOnFileError)
            throw;
        pass();
        result.Outcome = TEntryOutcome::eoFailed;
        result.Reason = e.Message();
        return true;
    }

    const int32_t attributes = entry.Attributes; // widened with its sign
    try {
        if (ahead == nullptr || !ahead->Provide(dataStart, *file, OnShowProgress)) {
            stream.SetPosition(dataStart);
            ExpandEntry(*file, stream, entry, compressID);
        }
    } catch (const EInvalidKey&) {
        file.reset();
        FFileSystem.RemoveFile(target);
        throw;
    } catch (...) {
        file.reset();
        if (ReplaceWhenChecked)
            FFileSystem.RemoveFile(target);
        else
            FFileSystem.SetAttributes(path, attributes);
        throw;
    }
    file->SetDosDateTime(entry.DateTime);
    file.reset();
    if (ReplaceWhenChecked) {
        MakeReplaceable(FFileSystem, path);
        if (!FFileSystem.MoveFileReplacing(target, path)) {
            FFileSystem.RemoveFile(target);
            throw EFCreateError("Cannot replace \"" + path + "\"");
        }
    }
    FFileSystem.SetAttributes(path, attributes);
    result.Outcome = TEntryOutcome::eoWritten;
    return true;
}

bool TArchiver::ExpandNamedEntry(TStream& stream, const std::string& name,
                                 const std::function<TStream&(const TEntryHeader&)>& destination)
{
    if (BytesLeft(stream) < ArchiveHeaderSize)
        return false;
    const TArchiveHeader header = ReadArchiveHeader(stream);
    TArchiveRecords records(stream, header.TotalSize);
    TEntryHeader entry, found;
    std::string stored;
    int64_t dataStart = -1;
    // The last of several entries of one name is the one x leaves on disk.
    while (records.Next(entry, stored)) {
        if (SameText(NameAsRead(stored), name)) {
            found = entry;
            dataStart = records.DataStart();
        }
        records.SkipToNext();
    }
    records.RaiseDamage();
    if (dataStart < 0)
        return false;
    TStream& dest = destination(found);
    if (found.LockMode > 0 && Key == 0)
        throw EInvalidKey(SInvalidKey);
    if (!HasDecoder(found.MethodIndex, static_cast<bool>(OnExpand)))
        throw EUnrecognizedCompressionMethod(UnrecognizedEntryMethodMessage(found.MethodIndex));
    stream.SetPosition(dataStart);
    ExpandEntry(dest, stream, found, header.Identifier());
    return true;
}

void TArchiver::ExpandEntry(TStream& dest, TStream& source, const TEntryHeader& entry, const std::string& compressID)
{
    const int32_t lockMode = entry.LockMode;
    const uint8_t methodIndex = entry.MethodIndex;
    const uint32_t storedChecksum = entry.Checksum;
    if (lockMode > 0 && Key == 0)
        throw EInvalidKey(SInvalidKey);
    const int64_t before = dest.Position();
    uint32_t computed = 0;
    // The handler of method 3 reads without the channel: nothing to vouch against.
    FCodec->FInputCut = FCodec->FReadPastData = false;
    if (methodIndex == MethodCustom) {
        if (OnExpand) {
            auto checksum = static_cast<int32_t>(computed);
            OnExpand(dest, source, entry.StoredSize, entry.ExpandedSize, compressID, checksum);
            computed = static_cast<uint32_t>(checksum);
        }
    } else {
        try {
            RunCodec(dest, source, entry.StoredSize, entry.ExpandedSize, methodIndex, computed,
                     TCodecDirection::cdExpand, lockMode == 2);
        } catch (const ELZHBadDecodeTable&) {
            if (lockMode > 0)
                throw EInvalidKey(SInvalidKey);
            throw;
        }
    }
    // Data that ended early, or a decoder that read past it, leaves an
    // incomplete file that no byte sum may vouch for (zeros add nothing).
    const bool complete = !FCodec->FInputCut && !FCodec->FReadPastData;
    const bool sized = dest.Position() - before == entry.ExpandedSize;
    bool accepted = complete && computed == storedChecksum;
    accepted = accepted || (complete && storedChecksum == 0 && methodIndex == MethodStored);
    if (!accepted && lockMode > 0) {
        if (complete && static_cast<uint32_t>(Key) + computed == storedChecksum)
            accepted = true;
        else
            throw EInvalidKey(SInvalidKey);
    }
    if (!accepted)
        throw EBadChecksum(SBadChecksum);
    // A byte sum cannot tell missing zeros; the record's size can.
    if (!sized) {
        if (lockMode > 0)
            throw EInvalidKey(SInvalidKey);
        throw EBadExpandedSize(SBadExpandedSize);
    }
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
