// POSIX file system. Archive spelling ("\" between levels) becomes "/" here,
// and DOS attributes map onto permission bits: read-only clears the write
// bits, a writable file gets its owner's write bit back; hidden, system and
// archive have no POSIX meaning and are dropped.
#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/DosDateTime.h"
#include "platform/Exception.h"
#include "platform/PathRules.h"

namespace {

class TPosixFileStream : public TFileStream {
public:
    TPosixFileStream(int fd, std::string path) : FFd(fd), FPath(std::move(path)) {}
    ~TPosixFileStream() override { ::close(FFd); }

    int32_t Read(void* buffer, int32_t count) override
    {
        int32_t done = 0;
        while (done < count) {
            const ssize_t n = ::read(FFd, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EReadError(std::string("Stream read error: ") + std::strerror(errno));
            if (n == 0)
                break;
            done += static_cast<int32_t>(n);
        }
        return done;
    }

    int32_t Write(const void* buffer, int32_t count) override
    {
        int32_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(FFd, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
            if (n < 0 && errno == EINTR)
                continue;
            // A full disk takes part of a write and refuses the rest with ENOSPC.
            if (n < 0)
                throw EWriteError(CannotWriteMessage(FPath, std::strerror(errno)));
            if (n == 0)
                break;
            done += static_cast<int32_t>(n);
        }
        return done;
    }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                           : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                              : SEEK_END;
        const off_t at = ::lseek(FFd, static_cast<off_t>(offset), whence);
        if (at < 0)
            throw EStreamError(std::string("Stream seek error: ") + std::strerror(errno));
        return static_cast<int64_t>(at);
    }

    void SetSize(int64_t size) override
    {
        if (::ftruncate(FFd, static_cast<off_t>(size)) != 0)
            throw EWriteError(CannotWriteMessage(FPath, std::strerror(errno)));
        if (Position() > size)
            SetPosition(size);
    }

    void SetDosDateTime(uint32_t dosDateTime) override
    {
        const TDosDateTimeParts p = UnpackDosDateTime(dosDateTime);
        std::tm t{};
        t.tm_year = p.Year - 1900;
        t.tm_mon = p.Month - 1;
        t.tm_mday = p.Day;
        t.tm_hour = p.Hour;
        t.tm_min = p.Minute;
        t.tm_sec = p.Second;
        t.tm_isdst = -1;
        const std::time_t when = std::mktime(&t);
        if (when == static_cast<std::time_t>(-1))
            return;
        struct timespec times[2];
        times[0].tv_sec = when;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        ::futimens(FFd, times);
    }

private:
    int FFd;
    std::string FPath;
};

std::string SystemMessage() { return std::strerror(errno); }

// Every level from the root down, each an open descriptor; the deepest is
// where the acts happen, whatever path leads to it meanwhile.
class TPosixDirectoryHandle : public TDirectoryHandle {
public:
    using TDirectoryHandle::TDirectoryHandle;
    ~TPosixDirectoryHandle() override
    {
        for (const int fd : FLevels)
            ::close(fd);
    }
    void Hold(int fd) { FLevels.push_back(fd); }
    int Fd() const { return FLevels.back(); }

private:
    std::vector<int> FLevels;
};

int Fd(TDirectoryHandle& directory) { return static_cast<TPosixDirectoryHandle&>(directory).Fd(); }

// A single name within a directory: nothing that leads elsewhere.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// What name in directory is, not following a link: false when it is not there.
bool LookAt(TDirectoryHandle& directory, const std::string& name, struct stat& st)
{
    return IsPlainName(name) && ::fstatat(Fd(directory), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

class TPosixFileSystem : public TFileSystem {
public:
    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        // A file that may not be written is refused, as Windows refuses a
        // read-only one: replacing it is the caller's decision.
        const int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            throw EFCreateError("Cannot create file \"" + native + "\". " + SystemMessage());
        return std::make_unique<TPosixFileStream>(fd, native);
    }

    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw EFOpenError("Cannot open file \"" + native + "\". " + SystemMessage());
        return std::make_unique<TPosixFileStream>(fd, native);
    }

    bool FileExists(const std::string& path) override
    {
        struct stat st {};
        return ::stat(ToNativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

    bool IsDirectory(const std::string& path) override
    {
        struct stat st {};
        return ::stat(ToNativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    bool IsReparsePoint(const std::string& path) override
    {
        struct stat st {};
        return ::lstat(ToNativePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }

    void MakeDirectory(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        if (::mkdir(native.c_str(), 0777) != 0 && !(errno == EEXIST && IsDirectory(path)))
            throw EInOutError("Cannot create directory \"" + native + "\". " + SystemMessage());
    }

    bool RemoveFile(const std::string& path) override { return ::unlink(ToNativePath(path).c_str()) == 0; }

    bool RemoveEmptyDirectory(const std::string& path) override { return ::rmdir(ToNativePath(path).c_str()) == 0; }

    bool MoveFileReplacing(const std::string& from, const std::string& to) override
    {
        // rename() would also move a directory over an empty one; only files move here.
        return FileExists(from) && !IsDirectory(to) &&
               ::rename(ToNativePath(from).c_str(), ToNativePath(to).c_str()) == 0;
    }

    void MoveFileChecked(const std::string& from, const std::string& to) override
    {
        const std::string source = ToNativePath(from), target = ToNativePath(to);
        std::string reason;
        if (!FileExists(from))
            reason = "there is no such file";
        else if (IsDirectory(to))
            reason = "a directory of that name is in the way";
        else if (::rename(source.c_str(), target.c_str()) != 0)
            reason = SystemMessage();
        else
            return;
        throw EInOutError("Cannot move \"" + source + "\" to \"" + target + "\": " + reason);
    }

    bool SetAttributes(const std::string& path, int32_t attributes) override
    {
        const std::string native = ToNativePath(path);
        struct stat st {};
        if (::stat(native.c_str(), &st) != 0)
            return false;
        mode_t mode = st.st_mode & 07777;
        if (attributes & faReadOnly)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        else
            mode |= S_IWUSR;
        return ::chmod(native.c_str(), mode) == 0;
    }

    int32_t GetAttributes(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        struct stat st {};
        if (::stat(native.c_str(), &st) != 0)
            return -1;
        if (S_ISDIR(st.st_mode))
            return faDirectory;
        int32_t attributes = faArchive;
        if (::access(native.c_str(), W_OK) != 0 && errno == EACCES)
            attributes |= faReadOnly;
        else if ((st.st_mode & S_IWUSR) == 0)
            attributes |= faReadOnly;
        return attributes;
    }

    uint32_t GetDosDateTime(const std::string& path) override
    {
        struct stat st {};
        if (::stat(ToNativePath(path).c_str(), &st) != 0)
            return 0;
        std::tm t{};
        const std::time_t when = st.st_mtime;
        if (::localtime_r(&when, &t) == nullptr)
            return 0;
        TDosDateTimeParts p;
        p.Year = t.tm_year + 1900;
        p.Month = t.tm_mon + 1;
        p.Day = t.tm_mday;
        p.Hour = t.tm_hour;
        p.Minute = t.tm_min;
        p.Second = t.tm_sec > 59 ? 59 : t.tm_sec;
        return PackDosDateTime(p);
    }

    bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) override
    {
        // A drive root ("C:\") has no POSIX meaning; it stands for "/".
        std::string native = root.empty() ? std::string(".") : ToNativePath(root);
        if (native.size() >= 2 && native[1] == ':')
            native = "/";
        struct statvfs vfs {};
        if (::statvfs(native.c_str(), &vfs) != 0)
            return false;
        // Report in units that keep the product within 32-bit fields.
        uint64_t bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
        space.SectorsPerCluster = 1;
        space.BytesPerSector = 4096;
        space.FreeClusters = static_cast<uint32_t>(std::min<uint64_t>(bytes / 4096, 0xFFFFFFFFu));
        return true;
    }

    std::vector<TDirectoryEntry> ListDirectory(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        std::vector<TDirectoryEntry> entries;
        DIR* dir = ::opendir(native.c_str());
        if (dir == nullptr)
            throw EInOutError("Cannot read directory \"" + native + "\". " + SystemMessage());
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            entries.push_back({name, IsDirectory(native + "/" + name)});
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(),
                  [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
        return entries;
    }

    std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& path) override
    {
        const std::string native = ToNativePath(path);
        auto handle = std::make_unique<TPosixDirectoryHandle>(path);
        const int root = ::open(native.rfind('/', 0) == 0 ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (root < 0)
            return nullptr;
        handle->Hold(root);
        for (size_t start = 0; start < native.size();) {
            size_t end = native.find('/', start);
            if (end == std::string::npos)
                end = native.size();
            const std::string level = native.substr(start, end - start);
            start = end + 1;
            if (level.empty() || level == ".")
                continue;
            // O_NOFOLLOW refuses a symbolic link; ".." would leave the checked chain.
            const int fd = level == ".." ? -1
                                         : ::openat(handle->Fd(), level.c_str(),
                                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                return nullptr;
            handle->Hold(fd);
        }
        return handle;
    }

    bool FileExistsAt(TDirectoryHandle& directory, const std::string& name) override
    {
        struct stat st {};
        return LookAt(directory, name, st) && S_ISREG(st.st_mode);
    }

    bool RemoveFileAt(TDirectoryHandle& directory, const std::string& name) override
    {
        // A read-only file goes too: unlinking asks only for the directory's write bit.
        return FileExistsAt(directory, name) && ::unlinkat(Fd(directory), name.c_str(), 0) == 0;
    }

    bool RemoveDirectoryAt(TDirectoryHandle& directory, const std::string& name) override
    {
        struct stat st {};
        return LookAt(directory, name, st) && S_ISDIR(st.st_mode) &&
               ::unlinkat(Fd(directory), name.c_str(), AT_REMOVEDIR) == 0;
    }

    bool MoveFileAt(TDirectoryHandle& fromDirectory, const std::string& from, TDirectoryHandle& toDirectory,
                    const std::string& to) override
    {
        struct stat st {};
        return FileExistsAt(fromDirectory, from) && IsPlainName(to) && !LookAt(toDirectory, to, st) &&
               ::renameat(Fd(fromDirectory), from.c_str(), Fd(toDirectory), to.c_str()) == 0;
    }

    std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& directory) override
    {
        const int fd = ::openat(Fd(directory), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
        if (dir == nullptr) {
            if (fd >= 0)
                ::close(fd);
            throw EInOutError("Cannot read directory \"" + directory.Path() + "\". " + SystemMessage());
        }
        std::vector<TDirectoryEntry> entries;
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            struct stat st {};
            if (name != "." && name != "..")
                entries.push_back({name, LookAt(directory, name, st) && S_ISDIR(st.st_mode)});
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(),
                  [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
        return entries;
    }

    bool OthersMayChange(const std::string& directory) override
    {
        // The administrator here is root; a folder it does not own, or that
        // its group or anyone may write, is another user's to change.
        struct stat st {};
        if (::lstat(ToNativePath(directory).c_str(), &st) != 0)
            return true;
        return !S_ISDIR(st.st_mode) || st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    }

    void ProtectDirectory(const std::string& directory) override
    {
        const std::string native = ToNativePath(directory);
        if (::chmod(native.c_str(), 0755) != 0)
            throw EInOutError("Cannot protect directory \"" + native + "\". " + SystemMessage());
    }
};

} // namespace

TFileSystem& NativeFileSystem()
{
    static TPosixFileSystem fileSystem;
    return fileSystem;
}
