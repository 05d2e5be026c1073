// Passes every path on in the platform's spelling, as the POSIX file system
// does itself: the installer spells paths with "\", the engine natively, and
// an in-memory disk below must see one spelling. Changes nothing on Windows.
#pragma once

#include "platform/FileSystem.h"
#include "platform/PathRules.h"

class TNativeSpellingFileSystem : public TFileSystem {
public:
    explicit TNativeSpellingFileSystem(TFileSystem& inner) : FInner(inner) {}

    std::unique_ptr<TFileStream> CreateAlways(const std::string& p) override { return FInner.CreateAlways(N(p)); }
    std::unique_ptr<TFileStream> OpenRead(const std::string& p) override { return FInner.OpenRead(N(p)); }
    bool FileExists(const std::string& p) override { return FInner.FileExists(N(p)); }
    bool IsDirectory(const std::string& p) override { return FInner.IsDirectory(N(p)); }
    bool IsReparsePoint(const std::string& p) override { return FInner.IsReparsePoint(N(p)); }
    void MakeDirectory(const std::string& p) override { FInner.MakeDirectory(N(p)); }
    bool RemoveFile(const std::string& p) override { return FInner.RemoveFile(N(p)); }
    bool RemoveEmptyDirectory(const std::string& p) override { return FInner.RemoveEmptyDirectory(N(p)); }
    bool MoveFileReplacing(const std::string& f, const std::string& t) override
    {
        return FInner.MoveFileReplacing(N(f), N(t));
    }
    void MoveFileChecked(const std::string& f, const std::string& t) override { FInner.MoveFileChecked(N(f), N(t)); }
    bool SetAttributes(const std::string& p, int32_t a) override { return FInner.SetAttributes(N(p), a); }
    int32_t GetAttributes(const std::string& p) override { return FInner.GetAttributes(N(p)); }
    uint32_t GetDosDateTime(const std::string& p) override { return FInner.GetDosDateTime(N(p)); }
    bool QueryFreeSpace(const std::string& r, TDiskFreeSpace& s) override { return FInner.QueryFreeSpace(r, s); }
    std::vector<TDirectoryEntry> ListDirectory(const std::string& p) override { return FInner.ListDirectory(N(p)); }

    // Handles are the inner file system's; names within them have no separator to respell.
    std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& p) override
    {
        return FInner.OpenDirectoryChain(N(p));
    }
    bool FileExistsAt(TDirectoryHandle& d, const std::string& n) override { return FInner.FileExistsAt(d, n); }
    bool RemoveFileAt(TDirectoryHandle& d, const std::string& n) override { return FInner.RemoveFileAt(d, n); }
    bool RemoveDirectoryAt(TDirectoryHandle& d, const std::string& n) override
    {
        return FInner.RemoveDirectoryAt(d, n);
    }
    bool MoveFileAt(TDirectoryHandle& fd, const std::string& f, TDirectoryHandle& td, const std::string& t) override
    {
        return FInner.MoveFileAt(fd, f, td, t);
    }
    std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& d) override { return FInner.ListDirectoryAt(d); }
    bool OthersMayChange(const std::string& p) override { return FInner.OthersMayChange(N(p)); }
    void ProtectDirectory(const std::string& p) override { FInner.ProtectDirectory(N(p)); }

private:
    static std::string N(const std::string& path) { return ToNativePath(path); }
    TFileSystem& FInner;
};
