// Win32 file system over kernel32: create-always files, SetFileTime after
// DosDateTimeToFileTime and LocalFileTimeToFileTime, SetFileAttributesA,
// GetDiskFreeSpaceA.
#include "platform/FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "platform/Exception.h"

namespace {

std::string SystemMessage(DWORD code)
{
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                   text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

class TWin32FileStream : public TFileStream {
public:
    TWin32FileStream(HANDLE handle, std::string path) : FHandle(handle), FPath(std::move(path)) {}
    ~TWin32FileStream() override { CloseHandle(FHandle); }

    int32_t Read(void* buffer, int32_t count) override
    {
        DWORD n = 0;
        if (count <= 0)
            return 0;
        if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &n, nullptr))
            throw EReadError("Stream read error: " + SystemMessage(GetLastError()));
        return static_cast<int32_t>(n);
    }

    int32_t Write(const void* buffer, int32_t count) override
    {
        int32_t done = 0;
        while (done < count) {
            DWORD n = 0;
            // A full disk fails the write with ERROR_DISK_FULL.
            if (!WriteFile(FHandle, static_cast<const char*>(buffer) + done, static_cast<DWORD>(count - done), &n,
                           nullptr))
                throw EWriteError(CannotWriteMessage(FPath, SystemMessage(GetLastError())));
            if (n == 0)
                break;
            done += static_cast<int32_t>(n);
        }
        return done;
    }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                             : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                                : FILE_END;
        LARGE_INTEGER distance, result;
        distance.QuadPart = offset;
        if (!SetFilePointerEx(FHandle, distance, &result, method))
            throw EStreamError("Stream seek error: " + SystemMessage(GetLastError()));
        return result.QuadPart;
    }

    void SetSize(int64_t size) override
    {
        const int64_t here = Position();
        SetPosition(size);
        if (!SetEndOfFile(FHandle))
            throw EWriteError(CannotWriteMessage(FPath, SystemMessage(GetLastError())));
        SetPosition(std::min(here, size));
    }

    void SetDosDateTime(uint32_t dosDateTime) override
    {
        FILETIME local, utc;
        if (DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime & 0xFFFF),
                                  &local) &&
            LocalFileTimeToFileTime(&local, &utc))
            SetFileTime(FHandle, nullptr, nullptr, &utc);
    }

private:
    HANDLE FHandle;
    std::string FPath;
};

class TWin32FileSystem : public TFileSystem {
public:
    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            throw EFCreateError("Cannot create file \"" + path + "\". " + SystemMessage(GetLastError()));
        return std::make_unique<TWin32FileStream>(h, path);
    }

    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            throw EFOpenError("Cannot open file \"" + path + "\". " + SystemMessage(GetLastError()));
        return std::make_unique<TWin32FileStream>(h, path);
    }

    bool FileExists(const std::string& path) override
    {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool IsDirectory(const std::string& path) override
    {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    bool IsReparsePoint(const std::string& path) override
    {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }

    void MakeDirectory(const std::string& path) override
    {
        if (!CreateDirectoryA(path.c_str(), nullptr)) {
            const DWORD code = GetLastError();
            if (!(code == ERROR_ALREADY_EXISTS && IsDirectory(path)))
                throw EInOutError("Cannot create directory \"" + path + "\". " + SystemMessage(code));
        }
    }

    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

    bool RemoveEmptyDirectory(const std::string& path) override { return RemoveDirectoryA(path.c_str()) != 0; }

    bool MoveFileReplacing(const std::string& from, const std::string& to) override
    {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    void MoveFileChecked(const std::string& from, const std::string& to) override
    {
        if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
            throw EInOutError("Cannot move \"" + from + "\" to \"" + to + "\": " + SystemMessage(GetLastError()));
    }

    bool SetAttributes(const std::string& path, int32_t attributes) override
    {
        // Most files already have theirs (a new file is marked for archiving):
        // a look is cheaper than the open, set and close of a change.
        const DWORD now = GetFileAttributesA(path.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && now == static_cast<DWORD>(attributes))
            return true;
        return SetFileAttributesA(path.c_str(), static_cast<DWORD>(attributes)) != 0;
    }

    int32_t GetAttributes(const std::string& path) override
    {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(a);
    }

    uint32_t GetDosDateTime(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        FILETIME local;
        WORD date = 0, time = 0;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
            return 0;
        return (static_cast<uint32_t>(date) << 16) | time;
    }

    bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) override
    {
        DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
        if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &spc, &bps, &freeClusters, &total))
            return false;
        space.SectorsPerCluster = spc;
        space.BytesPerSector = bps;
        space.FreeClusters = freeClusters;
        return true;
    }

    std::vector<TDirectoryEntry> ListDirectory(const std::string& path) override
    {
        std::vector<TDirectoryEntry> entries;
        WIN32_FIND_DATAA found;
        std::string pattern = path;
        if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':')
            pattern += '\\';
        HANDLE h = FindFirstFileA((pattern + "*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_NOT_FOUND)
                return entries;
            throw EInOutError("Cannot read directory \"" + path + "\". " + SystemMessage(code));
        }
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileA(h, &found));
        FindClose(h);
        std::sort(entries.begin(), entries.end(),
                  [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
        return entries;
    }
};

} // namespace

TFileSystem& NativeFileSystem()
{
    static TWin32FileSystem fileSystem;
    return fileSystem;
}
