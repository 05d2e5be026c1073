// The install run's view of the disk: every change passes through to the
// file system below and is noted in the run's journal first, so that the
// run can be undone. A file about to be overwritten is copied beside
// itself, a file about to be replaced by a move is set aside, and a removed
// file that the run did not write is set aside rather than deleted.
#pragma once

#include <set>
#include <string>

#include "installer/InstallJournal.h"
#include "platform/FileSystem.h"

class TJournalFileSystem : public TFileSystem {
public:
    // inner and journal stay the caller's; the journal acts on inner.
    TJournalFileSystem(TFileSystem& inner, TInstallJournal& journal) : FInner(inner), FJournal(journal) {}

    // A new run: nothing is the run's own yet.
    void Clear() { FOwn.clear(); }
    // Something other than this file system (the shell's link object) is
    // about to write path: what is there is kept, and what appears is the run's.
    void WillWrite(const std::string& path);

    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override;
    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override { return FInner.OpenRead(path); }
    bool FileExists(const std::string& path) override { return FInner.FileExists(path); }
    bool IsDirectory(const std::string& path) override { return FInner.IsDirectory(path); }
    bool IsReparsePoint(const std::string& path) override { return FInner.IsReparsePoint(path); }
    void MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override { return FInner.RemoveEmptyDirectory(path); }
    bool MoveFileReplacing(const std::string& from, const std::string& to) override;
    void MoveFileChecked(const std::string& from, const std::string& to) override;
    bool SetAttributes(const std::string& path, int32_t attributes) override;
    int32_t GetAttributes(const std::string& path) override { return FInner.GetAttributes(path); }
    uint32_t GetDosDateTime(const std::string& path) override { return FInner.GetDosDateTime(path); }
    bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) override
    {
        return FInner.QueryFreeSpace(root, space);
    }
    std::vector<TDirectoryEntry> ListDirectory(const std::string& path) override
    {
        return FInner.ListDirectory(path);
    }

private:
    bool Own(const std::string& path) const { return FOwn.count(path) != 0; }
    // Before path is overwritten: a copy of what it holds, noted. EFCreateError
    // when it cannot be read, as for a file that cannot be replaced.
    void Keep(const std::string& path);
    // Before a move onto to: the file there moved to a name beside it, noted.
    void SetAside(const std::string& to);

    TFileSystem& FInner;
    TInstallJournal& FJournal;
    std::set<std::string> FOwn; // files whose content is the run's (written, or kept already)
};
