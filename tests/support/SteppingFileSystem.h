// Passes every call on to another file system, first running a test's step
// and recording the call: the test can change the disk between any two
// calls (as another user would) and can see every path that was touched.
#pragma once

#include <functional>

#include "platform/FileSystem.h"

class TSteppingFileSystem : public TFileSystem {
public:
    explicit TSteppingFileSystem(TFileSystem& inner) : FInner(inner) {}

    // Run before each call with the number of calls before it.
    std::function<void(int)> Step;
    // Each call's first path or handle path, in order.
    std::vector<std::string> Calls;

    std::unique_ptr<TFileStream> CreateAlways(const std::string& p) override { return At(p).CreateAlways(p); }
    std::unique_ptr<TFileStream> OpenRead(const std::string& p) override { return At(p).OpenRead(p); }
    bool FileExists(const std::string& p) override { return At(p).FileExists(p); }
    bool IsDirectory(const std::string& p) override { return At(p).IsDirectory(p); }
    bool IsReparsePoint(const std::string& p) override { return At(p).IsReparsePoint(p); }
    void MakeDirectory(const std::string& p) override { At(p).MakeDirectory(p); }
    bool RemoveFile(const std::string& p) override { return At(p).RemoveFile(p); }
    bool RemoveEmptyDirectory(const std::string& p) override { return At(p).RemoveEmptyDirectory(p); }
    bool MoveFileReplacing(const std::string& f, const std::string& t) override
    {
        return At(f).MoveFileReplacing(f, t);
    }
    void MoveFileChecked(const std::string& f, const std::string& t) override { At(f).MoveFileChecked(f, t); }
    bool SetAttributes(const std::string& p, int32_t a) override { return At(p).SetAttributes(p, a); }
    int32_t GetAttributes(const std::string& p) override { return At(p).GetAttributes(p); }
    uint32_t GetDosDateTime(const std::string& p) override { return At(p).GetDosDateTime(p); }
    bool QueryFreeSpace(const std::string& r, TDiskFreeSpace& s) override { return At(r).QueryFreeSpace(r, s); }
    std::vector<TDirectoryEntry> ListDirectory(const std::string& p) override { return At(p).ListDirectory(p); }

    std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& p) override
    {
        return At(p).OpenDirectoryChain(p);
    }
    bool FileExistsAt(TDirectoryHandle& d, const std::string& n) override { return At(d).FileExistsAt(d, n); }
    bool RemoveFileAt(TDirectoryHandle& d, const std::string& n) override { return At(d).RemoveFileAt(d, n); }
    bool RemoveDirectoryAt(TDirectoryHandle& d, const std::string& n) override
    {
        return At(d).RemoveDirectoryAt(d, n);
    }
    bool MoveFileAt(TDirectoryHandle& fd, const std::string& f, TDirectoryHandle& td, const std::string& t) override
    {
        return At(fd).MoveFileAt(fd, f, td, t);
    }
    std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& d) override { return At(d).ListDirectoryAt(d); }
    bool OthersMayChange(const std::string& p) override { return At(p).OthersMayChange(p); }
    void ProtectDirectory(const std::string& p) override { At(p).ProtectDirectory(p); }

private:
    TFileSystem& At(const std::string& path)
    {
        if (Step)
            Step(static_cast<int>(Calls.size()));
        Calls.push_back(path);
        return FInner;
    }
    TFileSystem& At(TDirectoryHandle& directory) { return At(directory.Path()); }

    TFileSystem& FInner;
};
