// An in-memory file system for engine tests, with switches that make single
// operations fail the way a real disk can.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// What a full disk gives as its reason, in the system's words.
inline const std::string DiskFullReason = "There is not enough space on the disk.";
// What a file in use gives as the reason a move fails.
inline const std::string InUseReason = "The process cannot access the file because it is being used by another process.";

class TMemoryFileSystem : public TFileSystem {
public:
    struct TFile {
        std::shared_ptr<std::vector<uint8_t>> Bytes = std::make_shared<std::vector<uint8_t>>();
        int32_t Attributes = faArchive;
        uint32_t DosDateTime = 0;
    };

    std::map<std::string, TFile> Files;
    std::set<std::string> Directories;
    std::set<std::string> ReparsePoints;   // directories that are junctions or symbolic links
    // Junctions and symbolic links that lead somewhere: calls by path go
    // through them to the target, calls by handle never do.
    std::map<std::string, std::string> Links;
    std::set<std::string> Unreadable;      // directories whose attributes cannot be read
    std::set<std::string> OpenToOthers;    // directories that non-administrators may change
    std::set<std::string> Protected;       // directories ProtectDirectory was given
    std::multiset<std::string> Held;       // directories held by a handle, once per holder
    std::set<std::string> FailCreate;      // CreateAlways raises EFCreateError
    std::set<std::string> FailDirectory;   // MakeDirectory raises EInOutError
    std::set<std::string> FailMove;        // moves of these files fail, as for a file in use
    bool FreeSpaceFails = false;
    TDiskFreeSpace FreeSpace{8, 512, 1000}; // 4,096,000 bytes
    std::vector<std::string> FreeSpaceRoots; // roots asked for, in order
    int64_t FileCapacity = 0;                 // > 0: a file cannot grow past it (a full disk)

    // The bytes of a file, or an empty vector when there is none.
    std::vector<uint8_t> Contents(const std::string& path) const;
    void AddFile(const std::string& path, std::vector<uint8_t> bytes);

    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override;
    // What path leads to through the links on its way (itself when none).
    std::string Resolve(const std::string& path) const;
    // Another user's swap: the directory path (with all below it) moved to
    // movedTo and a link to target put in its place. False, changing
    // nothing, when a held directory is there or below, as Windows refuses
    // to rename an open directory.
    bool ReplaceWithLink(const std::string& path, const std::string& target, const std::string& movedTo);

    bool FileExists(const std::string& path) override { return Files.count(Resolve(path)) != 0; }
    bool IsDirectory(const std::string& path) override { return Directories.count(Resolve(path)) != 0; }
    bool IsReparsePoint(const std::string& path) override
    {
        return ReparsePoints.count(path) != 0 || Links.count(path) != 0 || Unreadable.count(path) != 0;
    }
    void MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override { return Files.erase(Resolve(path)) != 0; }
    // Fails for a directory that still holds a file or a directory.
    bool RemoveEmptyDirectory(const std::string& path) override;
    // Fails, as a disk would, without the source or the target's directory.
    bool MoveFileReplacing(const std::string& from, const std::string& to) override;
    // Raises with the reason: InUseReason for FailMove, else the one the disk would give.
    void MoveFileChecked(const std::string& from, const std::string& to) override;
    bool SetAttributes(const std::string& path, int32_t attributes) override;
    int32_t GetAttributes(const std::string& path) override;
    uint32_t GetDosDateTime(const std::string& path) override;
    bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) override;
    std::vector<TDirectoryEntry> ListDirectory(const std::string& path) override;

    std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& path) override;
    bool FileExistsAt(TDirectoryHandle& directory, const std::string& name) override;
    bool RemoveFileAt(TDirectoryHandle& directory, const std::string& name) override;
    bool RemoveDirectoryAt(TDirectoryHandle& directory, const std::string& name) override;
    bool MoveFileAt(TDirectoryHandle& fromDirectory, const std::string& from, TDirectoryHandle& toDirectory,
                    const std::string& to) override;
    std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& directory) override;
    bool OthersMayChange(const std::string& directory) override
    {
        return OpenToOthers.count(directory) != 0 || Unreadable.count(directory) != 0;
    }
    void ProtectDirectory(const std::string& directory) override;

private:
    // A plain directory: there, not a link, readable.
    bool IsPlainDirectory(const std::string& path) const;
};
