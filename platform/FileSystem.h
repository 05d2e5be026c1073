// The file-system operations the archive engine and the archiver need, behind
// one interface: the native implementation (POSIX or Win32) and test doubles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Stream.h"

// DOS file attribute bits, as the archive stores them.
inline constexpr int32_t faReadOnly = 0x01;
inline constexpr int32_t faHidden = 0x02;
inline constexpr int32_t faSysFile = 0x04;
inline constexpr int32_t faDirectory = 0x10;
inline constexpr int32_t faArchive = 0x20;

// The message of a write that the disk refused: the file and the system's reason.
inline std::string CannotWriteMessage(const std::string& path, const std::string& reason)
{
    return "Cannot write \"" + path + "\": " + reason;
}

// A file opened by the file system; it can take its last-write time while
// open. A write the disk refuses (a full disk) raises EWriteError with
// CannotWriteMessage rather than returning short.
class TFileStream : public TStream {
public:
    // Sets the last-write time from an MS-DOS local date (high word) and time.
    // Never raises: a date the platform refuses leaves the old one, as the
    // expansion engine ignores date failures.
    virtual void SetDosDateTime(uint32_t dosDateTime) = 0;
};

struct TDirectoryEntry {
    std::string Name;
    bool IsDirectory = false;
};

struct TDiskFreeSpace {
    uint32_t SectorsPerCluster = 0;
    uint32_t BytesPerSector = 0;
    uint32_t FreeClusters = 0;
};

// A directory held open, reached from its root through no junction or
// symbolic link. While held it names the directory that was checked: Windows
// refuses to rename, replace or remove it (it is open without delete
// sharing), and POSIX acts go through its descriptor wherever it has moved.
class TDirectoryHandle {
public:
    explicit TDirectoryHandle(std::string path) : FPath(std::move(path)) {}
    virtual ~TDirectoryHandle() = default;
    TDirectoryHandle(const TDirectoryHandle&) = delete;
    TDirectoryHandle& operator=(const TDirectoryHandle&) = delete;
    // The path it was opened by.
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

class TFileSystem {
public:
    virtual ~TFileSystem() = default;

    // Creates (or empties) a file for reading and writing: EFCreateError.
    virtual std::unique_ptr<TFileStream> CreateAlways(const std::string& path) = 0;
    // Opens an existing file read-only: EFOpenError.
    virtual std::unique_ptr<TFileStream> OpenRead(const std::string& path) = 0;

    virtual bool FileExists(const std::string& path) = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    // True when path itself (not what it leads to) is a junction or a
    // symbolic link: a level the uninstaller never goes through.
    virtual bool IsReparsePoint(const std::string& path) = 0;
    // Creates one directory level: EInOutError when that fails.
    virtual void MakeDirectory(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Removes a directory that holds nothing; false for any other (never recursive).
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
    // Moves a file, replacing one of the target's name; false when it cannot.
    virtual bool MoveFileReplacing(const std::string& from, const std::string& to) = 0;
    // The same move where a failure must stop the caller: EInOutError naming
    // the file and, where the platform tells it, the reason.
    virtual void MoveFileChecked(const std::string& from, const std::string& to)
    {
        if (!MoveFileReplacing(from, to))
            throw EInOutError("Cannot move \"" + from + "\" to \"" + to + "\"");
    }

    // DOS attribute bits: setting maps them onto what the platform has.
    virtual bool SetAttributes(const std::string& path, int32_t attributes) = 0;
    virtual int32_t GetAttributes(const std::string& path) = 0;
    // Last-write time as an MS-DOS local date and time (0 when unknown).
    virtual uint32_t GetDosDateTime(const std::string& path) = 0;

    // Free space of the volume that holds root ("" = the current one).
    virtual bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) = 0;
    // The entries of a directory, sorted by name, without "." and "..".
    virtual std::vector<TDirectoryEntry> ListDirectory(const std::string& path) = 0;

    // Acts by handle, for a caller that must not be led out of a directory
    // it checked: each names its file within a held directory and goes
    // through no junction or symbolic link. A file system without them
    // holds nothing, and callers take that as "not a plain directory".

    // Opens the directory at path and holds every level from its root, each
    // verified to be a plain directory; nothing when a level is missing, is
    // a junction, a symbolic link or a file, or cannot be examined.
    virtual std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& path) { return nullptr; }
    // True when name in directory is a plain file (not a link, not a directory).
    virtual bool FileExistsAt(TDirectoryHandle& directory, const std::string& name) { return false; }
    // Removes the plain file name from directory, a read-only one too; false when it cannot.
    virtual bool RemoveFileAt(TDirectoryHandle& directory, const std::string& name) { return false; }
    // Removes the empty plain directory name (not held by the caller) from directory.
    virtual bool RemoveDirectoryAt(TDirectoryHandle& directory, const std::string& name) { return false; }
    // Moves the plain file from into toDirectory as to, where nothing of that name is.
    virtual bool MoveFileAt(TDirectoryHandle& fromDirectory, const std::string& from, TDirectoryHandle& toDirectory,
                            const std::string& to)
    {
        return false;
    }
    // The entries of a held directory, as ListDirectory gives them: EInOutError when it cannot be read.
    virtual std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& directory)
    {
        throw EInOutError("Cannot read directory \"" + directory.Path() + "\"");
    }
    // True when anyone but the administrators, the system and the running
    // administrator account itself may write in, add to, delete or re-permit
    // the directory at path, or when that cannot be told: such a folder is no
    // place for an elevated program to act in.
    virtual bool OthersMayChange(const std::string& directory) { return true; }
    // Gives a directory this program has just made the permissions of a
    // protected program folder: the administrators and the system change it,
    // users read and run it, nothing is inherited from the folder above. A
    // folder inside the system's program folders keeps what they pass down.
    // EInOutError when that fails.
    virtual void ProtectDirectory(const std::string& directory) {}
};

// The file system of the machine the program runs on.
TFileSystem& NativeFileSystem();
