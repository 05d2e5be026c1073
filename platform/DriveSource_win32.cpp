#include "platform/DriveSource.h"

#include <windows.h>
#include <winnetwk.h>

namespace {

// No "insert a disk" box from the system: an empty drive just fails.
class TQuietErrors {
public:
    TQuietErrors() : FOld(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~TQuietErrors() { SetErrorMode(FOld); }
    TQuietErrors(const TQuietErrors&) = delete;
    TQuietErrors& operator=(const TQuietErrors&) = delete;

private:
    UINT FOld;
};

std::string Root(char drive)
{
    return std::string(1, drive) + ":\\";
}

class TWin32DriveSource : public TDriveSource {
public:
    uint32_t LogicalDrives() override { return GetLogicalDrives(); }

    TDriveType DriveType(char drive) override
    {
        switch (GetDriveTypeA(Root(drive).c_str())) {
        case DRIVE_NO_ROOT_DIR:
            return dtNoRootDir;
        case DRIVE_REMOVABLE:
            return dtRemovable;
        case DRIVE_FIXED:
            return dtFixed;
        case DRIVE_REMOTE:
            return dtRemote;
        case DRIVE_CDROM:
            return dtCDROM;
        case DRIVE_RAMDISK:
            return dtRAMDisk;
        default:
            return dtUnknown;
        }
    }

    bool VolumeLabel(char drive, std::string& label) override
    {
        TQuietErrors quiet;
        char name[MAX_PATH + 1] = {};
        if (!GetVolumeInformationA(Root(drive).c_str(), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
            return false;
        label = name;
        return true;
    }

    bool RemoteName(char drive, std::string& name) override
    {
        const std::string local = std::string(1, drive) + ":";
        char remote[1024] = {};
        DWORD size = sizeof remote;
        if (WNetGetConnectionA(local.c_str(), remote, &size) != NO_ERROR)
            return false;
        name = remote;
        return true;
    }

    bool IsDirectory(const std::string& path) override
    {
        if (path.empty())
            return false;
        TQuietErrors quiet;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    std::vector<std::string> Subdirectories(const std::string& directory) override
    {
        std::vector<std::string> names;
        TQuietErrors quiet;
        const std::string pattern = directory + (directory.empty() || directory.back() != '\\' ? "\\*" : "*");
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string name = found.cFileName;
            // Hidden and system directories are the system's business.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) && name != "." &&
                name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    std::string CurrentDirectory() override
    {
        const DWORD size = GetCurrentDirectoryA(0, nullptr);
        std::string text(size, '\0');
        text.resize(GetCurrentDirectoryA(size, text.data()));
        return text;
    }

    std::string DriveDirectory(char drive) override
    {
        // "X:" alone is the directory the process keeps current on that drive.
        const std::string relative = std::string(1, drive) + ":";
        char full[MAX_PATH + 1] = {};
        const DWORD n = GetFullPathNameA(relative.c_str(), sizeof full, full, nullptr);
        return n > 0 && n < sizeof full ? std::string(full, n) : Root(drive);
    }

    std::string ProgramDirectory() override
    {
        char file[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameA(nullptr, file, MAX_PATH);
        const std::string path(file, n);
        const size_t slash = path.find_last_of('\\');
        return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
};

} // namespace

TDriveSource& NativeDriveSource()
{
    static TWin32DriveSource source;
    return source;
}
