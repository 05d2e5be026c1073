// The two disks the engine expands onto for vkar: the real one with tar's
// policy for what already stands at a target path (x), and a model of an
// empty one (t), so that t walks exactly as x does.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// Removes a file or link standing at a target path before the file is
// created, so that a link is never written through and a read-only file is
// replaced, as tar does; everything else is passed on to the inner disk.
class TVkarReplacingFileSystem : public TFileSystem {
public:
    explicit TVkarReplacingFileSystem(TFileSystem& inner) : FInner(inner) {}

    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    std::unique_ptr<TFileStream> OpenRead(const std::string& p) override { return FInner.OpenRead(p); }
    bool FileExists(const std::string& p) override { return FInner.FileExists(p); }
    bool IsDirectory(const std::string& p) override { return FInner.IsDirectory(p); }
    void MakeDirectory(const std::string& p) override { FInner.MakeDirectory(p); }
    bool RemoveFile(const std::string& p) override { return FInner.RemoveFile(p); }
    bool IsReparsePoint(const std::string& p) override { return FInner.IsReparsePoint(p); }
    bool RemoveEmptyDirectory(const std::string& p) override { return FInner.RemoveEmptyDirectory(p); }
    bool MoveFileReplacing(const std::string& f, const std::string& t) override
    {
        return FInner.MoveFileReplacing(f, t);
    }
    bool SetAttributes(const std::string& p, int32_t a) override { return FInner.SetAttributes(p, a); }
    int32_t GetAttributes(const std::string& p) override { return FInner.GetAttributes(p); }
    uint32_t GetDosDateTime(const std::string& p) override { return FInner.GetDosDateTime(p); }
    bool QueryFreeSpace(const std::string& r, TDiskFreeSpace& s) override { return FInner.QueryFreeSpace(r, s); }
    std::vector<TDirectoryEntry> ListDirectory(const std::string& p) override { return FInner.ListDirectory(p); }

private:
    TFileSystem& FInner;
};

// The disk t expands onto: it keeps the names of the directories and files
// made, not their bytes, and refuses what the platform would refuse (a file
// where a directory stands and the reverse, a name level or a path too
// long, a reserved device name), so that t fails where x into an empty
// directory would.
class TVkarModelFileSystem : public TFileSystem {
public:
    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override;
    bool FileExists(const std::string& path) override { return FFiles.count(Key(path)) != 0; }
    bool IsDirectory(const std::string& path) override;
    void MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override { return FFiles.erase(Key(path)) != 0; }
    bool IsReparsePoint(const std::string&) override { return false; }
    bool RemoveEmptyDirectory(const std::string&) override { return false; }
    bool MoveFileReplacing(const std::string& from, const std::string& to) override;
    bool SetAttributes(const std::string& path, int32_t) override { return FileExists(path); }
    int32_t GetAttributes(const std::string& path) override;
    uint32_t GetDosDateTime(const std::string&) override { return 0; }
    bool QueryFreeSpace(const std::string&, TDiskFreeSpace&) override { return false; }
    std::vector<TDirectoryEntry> ListDirectory(const std::string&) override { return {}; }

private:
    // A path as the platform compares it (without a trailing delimiter;
    // Windows ignores case).
    static std::string Key(const std::string& path);
    // Raises EFCreateError when the platform would refuse path's name.
    static void CheckName(const std::string& path);

    std::set<std::string> FFiles, FDirectories;
};

// Whether anything but a directory stands at path: a file, a device, a
// link (dangling or not).
bool VkarNonDirectoryExists(const std::string& path);
