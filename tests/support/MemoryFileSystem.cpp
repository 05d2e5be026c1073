#include "tests/support/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"
#include "platform/PathRules.h"

namespace {

class TMemoryFileStream : public TFileStream {
public:
    TMemoryFileStream(std::string path, std::shared_ptr<std::vector<uint8_t>> bytes, uint32_t* dosDateTime,
                      bool writable, int64_t capacity = 0)
        : FPath(std::move(path)), FBytes(std::move(bytes)), FDosDateTime(dosDateTime), FWritable(writable),
          FCapacity(capacity)
    {
    }

    int32_t Read(void* buffer, int32_t count) override
    {
        if (count <= 0 || FPosition >= static_cast<int64_t>(FBytes->size()))
            return 0;
        const auto n = std::min<int64_t>(count, static_cast<int64_t>(FBytes->size()) - FPosition);
        std::memcpy(buffer, FBytes->data() + FPosition, static_cast<size_t>(n));
        FPosition += n;
        return static_cast<int32_t>(n);
    }

    int32_t Write(const void* buffer, int32_t count) override
    {
        if (!FWritable || count <= 0)
            return 0;
        // A full disk takes what fits and refuses the rest, as the platform's files do.
        const bool full = FCapacity > 0 && FPosition + count > FCapacity;
        const int32_t taken = full ? static_cast<int32_t>(std::max<int64_t>(0, FCapacity - FPosition)) : count;
        if (FPosition + taken > static_cast<int64_t>(FBytes->size()))
            FBytes->resize(static_cast<size_t>(FPosition + taken));
        std::memcpy(FBytes->data() + FPosition, buffer, static_cast<size_t>(taken));
        FPosition += taken;
        if (full)
            throw EWriteError(CannotWriteMessage(FPath, DiskFullReason));
        return taken;
    }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                             : origin == TSeekOrigin::soCurrent ? FPosition
                                                                : static_cast<int64_t>(FBytes->size());
        FPosition = std::max<int64_t>(0, base + offset);
        return FPosition;
    }

    void SetSize(int64_t size) override { FBytes->resize(static_cast<size_t>(size)); }

    void SetDosDateTime(uint32_t dosDateTime) override
    {
        if (FDosDateTime != nullptr)
            *FDosDateTime = dosDateTime;
    }

private:
    std::string FPath;
    std::shared_ptr<std::vector<uint8_t>> FBytes;
    uint32_t* FDosDateTime;
    bool FWritable;
    int64_t FCapacity;
    int64_t FPosition = 0;
};

} // namespace

std::vector<uint8_t> TMemoryFileSystem::Contents(const std::string& path) const
{
    const auto it = Files.find(path);
    return it == Files.end() ? std::vector<uint8_t>() : *it->second.Bytes;
}

void TMemoryFileSystem::AddFile(const std::string& path, std::vector<uint8_t> bytes)
{
    TFile file;
    *file.Bytes = std::move(bytes);
    Files[path] = file;
}

std::unique_ptr<TFileStream> TMemoryFileSystem::CreateAlways(const std::string& path)
{
    const std::string dir = ExtractFilePath(path);
    std::string parent = dir;
    if (!parent.empty() && parent.back() == PathDelim)
        parent.pop_back();
    if (FailCreate.count(path) != 0 || Directories.count(path) != 0 ||
        (!parent.empty() && Directories.count(parent) == 0))
        throw EFCreateError("Cannot create file \"" + path + "\"");
    // As on Windows, a read-only, hidden or system file is not replaced.
    const auto existing = Files.find(path);
    if (existing != Files.end() && (existing->second.Attributes & (faReadOnly | faHidden | faSysFile)) != 0)
        throw EFCreateError("Cannot create file \"" + path + "\". Access is denied.");
    TFile& file = Files[path];
    file = TFile();
    return std::make_unique<TMemoryFileStream>(path, file.Bytes, &file.DosDateTime, true, FileCapacity);
}

std::unique_ptr<TFileStream> TMemoryFileSystem::OpenRead(const std::string& path)
{
    const auto it = Files.find(path);
    if (it == Files.end())
        throw EFOpenError("Cannot open file \"" + path + "\"");
    return std::make_unique<TMemoryFileStream>(path, it->second.Bytes, nullptr, false);
}

bool TMemoryFileSystem::MoveFileReplacing(const std::string& from, const std::string& to)
{
    const auto it = Files.find(from);
    std::string parent = ExtractFilePath(to);
    if (!parent.empty() && parent.back() == PathDelim)
        parent.pop_back();
    if (it == Files.end() || FailMove.count(from) != 0 || Directories.count(to) != 0 ||
        (!parent.empty() && Directories.count(parent) == 0))
        return false;
    if (from != to) {
        Files[to] = it->second;
        Files.erase(from);
    }
    return true;
}

void TMemoryFileSystem::MoveFileChecked(const std::string& from, const std::string& to)
{
    if (MoveFileReplacing(from, to))
        return;
    const std::string reason = FailMove.count(from) != 0 ? InUseReason
                               : Files.count(from) == 0  ? "The system cannot find the file specified."
                                                         : "The system cannot find the path specified.";
    throw EInOutError("Cannot move \"" + from + "\" to \"" + to + "\": " + reason);
}

void TMemoryFileSystem::MakeDirectory(const std::string& path)
{
    if (FailDirectory.count(path) != 0)
        throw EInOutError("Cannot create directory \"" + path + "\"");
    Directories.insert(path);
}

bool TMemoryFileSystem::RemoveEmptyDirectory(const std::string& path)
{
    if (Directories.count(path) == 0 || !ListDirectory(path).empty())
        return false;
    Directories.erase(path);
    return true;
}

bool TMemoryFileSystem::SetAttributes(const std::string& path, int32_t attributes)
{
    const auto it = Files.find(path);
    if (it == Files.end())
        return false;
    it->second.Attributes = attributes;
    return true;
}

int32_t TMemoryFileSystem::GetAttributes(const std::string& path)
{
    const auto it = Files.find(path);
    return it == Files.end() ? (Directories.count(path) ? faDirectory : -1) : it->second.Attributes;
}

uint32_t TMemoryFileSystem::GetDosDateTime(const std::string& path)
{
    const auto it = Files.find(path);
    return it == Files.end() ? 0 : it->second.DosDateTime;
}

bool TMemoryFileSystem::QueryFreeSpace(const std::string& root, TDiskFreeSpace& space)
{
    FreeSpaceRoots.push_back(root);
    if (FreeSpaceFails)
        return false;
    space = FreeSpace;
    return true;
}

std::vector<TDirectoryEntry> TMemoryFileSystem::ListDirectory(const std::string& path)
{
    std::string prefix = path;
    if (!prefix.empty() && prefix.back() != PathDelim)
        prefix += PathDelim;
    std::vector<TDirectoryEntry> entries;
    auto addChild = [&](const std::string& full, bool isDirectory) {
        if (full.compare(0, prefix.size(), prefix) != 0)
            return;
        const std::string rest = full.substr(prefix.size());
        if (!rest.empty() && rest.find(PathDelim) == std::string::npos)
            entries.push_back({rest, isDirectory});
    };
    for (const auto& [name, file] : Files)
        addChild(name, false);
    for (const auto& dir : Directories)
        addChild(dir, true);
    std::sort(entries.begin(), entries.end(),
              [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
    return entries;
}
