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

std::unique_ptr<TFileStream> TMemoryFileSystem::CreateAlways(const std::string& asked)
{
    const std::string path = Resolve(asked);
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
    const auto it = Files.find(Resolve(path));
    if (it == Files.end())
        throw EFOpenError("Cannot open file \"" + path + "\"");
    return std::make_unique<TMemoryFileStream>(path, it->second.Bytes, nullptr, false);
}

bool TMemoryFileSystem::MoveFileReplacing(const std::string& source, const std::string& target)
{
    const std::string from = Resolve(source), to = Resolve(target);
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

bool TMemoryFileSystem::RemoveEmptyDirectory(const std::string& asked)
{
    const std::string path = Resolve(asked);
    if (Held.count(path) != 0)
        return false;
    if (Directories.count(path) == 0 || !ListDirectory(path).empty())
        return false;
    Directories.erase(path);
    return true;
}

bool TMemoryFileSystem::SetAttributes(const std::string& path, int32_t attributes)
{
    const auto it = Files.find(Resolve(path));
    if (it == Files.end())
        return false;
    it->second.Attributes = attributes;
    return true;
}

int32_t TMemoryFileSystem::GetAttributes(const std::string& asked)
{
    const std::string path = Resolve(asked);
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
    std::string prefix = Resolve(path);
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
    for (const auto& [link, target] : Links)
        addChild(link, true);
    std::sort(entries.begin(), entries.end(),
              [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
    return entries;
}

namespace {

// The levels of a path: its root ("C:", "//server/share" in POSIX
// spelling) first, then one per name.
std::vector<std::string> SplitLevels(const std::string& path)
{
    std::vector<std::string> levels;
    size_t start = 0;
    if (path.size() >= 2 && path[0] == PathDelim && path[1] == PathDelim) {
        const size_t server = path.find(PathDelim, 2);
        const size_t share = server == std::string::npos ? server : path.find(PathDelim, server + 1);
        levels.push_back(path.substr(0, share));
        start = share == std::string::npos ? path.size() : share + 1;
    }
    while (start < path.size()) {
        size_t end = path.find(PathDelim, start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

class TMemoryDirectoryHandle : public TDirectoryHandle {
public:
    TMemoryDirectoryHandle(std::string path, std::multiset<std::string>& held) : TDirectoryHandle(path), FHeld(held) {}
    ~TMemoryDirectoryHandle() override
    {
        for (const std::string& level : FLevels)
            FHeld.erase(FHeld.find(level));
    }
    void Hold(const std::string& level)
    {
        FHeld.insert(level);
        FLevels.push_back(level);
    }

private:
    std::multiset<std::string>& FHeld;
    std::vector<std::string> FLevels;
};

std::string Join(const TDirectoryHandle& directory, const std::string& name)
{
    return directory.Path() + PathDelim + name;
}

bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find(PathDelim) == std::string::npos;
}

} // namespace

std::string TMemoryFileSystem::Resolve(const std::string& path) const
{
    if (Links.empty())
        return path;
    std::string resolved = path;
    // A link that leads to itself ends the walk rather than the test.
    for (int hops = 0; hops < 40; ++hops) {
        bool changed = false;
        for (size_t end = 0; end <= resolved.size() && !changed; ++end) {
            if (end != resolved.size() && resolved[end] != PathDelim)
                continue;
            const auto link = Links.find(resolved.substr(0, end));
            if (link != Links.end()) {
                resolved = link->second + resolved.substr(end);
                changed = true;
            }
        }
        if (!changed)
            break;
    }
    return resolved;
}

bool TMemoryFileSystem::ReplaceWithLink(const std::string& path, const std::string& target, const std::string& movedTo)
{
    const std::string below = path + PathDelim;
    const auto atOrBelow = [&](const std::string& p) { return p == path || p.compare(0, below.size(), below) == 0; };
    for (const std::string& held : Held)
        if (atOrBelow(held))
            return false;
    const auto moved = [&](const std::string& p) { return movedTo + p.substr(path.size()); };
    std::map<std::string, TFile> files;
    for (auto it = Files.begin(); it != Files.end();)
        if (atOrBelow(it->first)) {
            files[moved(it->first)] = it->second;
            it = Files.erase(it);
        } else {
            ++it;
        }
    Files.insert(files.begin(), files.end());
    std::set<std::string> directories;
    for (auto it = Directories.begin(); it != Directories.end();)
        if (atOrBelow(*it)) {
            directories.insert(moved(*it));
            it = Directories.erase(it);
        } else {
            ++it;
        }
    Directories.insert(directories.begin(), directories.end());
    Links.erase(path);
    Links[path] = target;
    return true;
}

bool TMemoryFileSystem::IsPlainDirectory(const std::string& path) const
{
    return Directories.count(path) != 0 && ReparsePoints.count(path) == 0 && Links.count(path) == 0 &&
           Unreadable.count(path) == 0;
}

std::unique_ptr<TDirectoryHandle> TMemoryFileSystem::OpenDirectoryChain(const std::string& path)
{
    const std::vector<std::string> levels = SplitLevels(path);
    if (levels.empty() || Unreadable.count(levels[0]) != 0)
        return nullptr;
    // A drive or share root is never a link; it is held like the rest.
    std::string level = levels[0];
    auto handle = std::make_unique<TMemoryDirectoryHandle>(path, Held);
    handle->Hold(level);
    for (size_t i = 1; i < levels.size(); ++i) {
        level += PathDelim + levels[i];
        if (!IsPlainDirectory(level))
            return nullptr;
        handle->Hold(level);
    }
    return handle;
}

bool TMemoryFileSystem::FileExistsAt(TDirectoryHandle& directory, const std::string& name)
{
    return IsPlainName(name) && Files.count(Join(directory, name)) != 0;
}

bool TMemoryFileSystem::RemoveFileAt(TDirectoryHandle& directory, const std::string& name)
{
    return IsPlainName(name) && Files.erase(Join(directory, name)) != 0;
}

bool TMemoryFileSystem::RemoveDirectoryAt(TDirectoryHandle& directory, const std::string& name)
{
    const std::string path = Join(directory, name);
    if (!IsPlainName(name) || !IsPlainDirectory(path) || Held.count(path) != 0 || !ListDirectory(path).empty())
        return false;
    Directories.erase(path);
    return true;
}

bool TMemoryFileSystem::MoveFileAt(TDirectoryHandle& fromDirectory, const std::string& from,
                                   TDirectoryHandle& toDirectory, const std::string& to)
{
    const std::string source = Join(fromDirectory, from), target = Join(toDirectory, to);
    const auto it = Files.find(source);
    if (!IsPlainName(from) || !IsPlainName(to) || it == Files.end() || FailMove.count(source) != 0 ||
        Files.count(target) != 0 || Directories.count(target) != 0 || Links.count(target) != 0)
        return false;
    Files[target] = it->second;
    Files.erase(source);
    return true;
}

std::vector<TDirectoryEntry> TMemoryFileSystem::ListDirectoryAt(TDirectoryHandle& directory)
{
    return ListDirectory(directory.Path());
}

void TMemoryFileSystem::ProtectDirectory(const std::string& directory)
{
    if (Directories.count(directory) == 0)
        throw EInOutError("Cannot protect \"" + directory + "\"");
    Protected.insert(directory);
    OpenToOthers.erase(directory);
}
