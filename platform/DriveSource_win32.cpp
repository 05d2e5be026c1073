#include "platform/DriveSource.h"

#include <windows.h>
#include <winnetwk.h>

#include "platform/WideText.h"

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

std::wstring Root(char drive)
{
    return std::wstring{static_cast<wchar_t>(static_cast<unsigned char>(drive)), L':', L'\\'};
}

class TWin32DriveSource : public TDriveSource {
public:
    uint32_t LogicalDrives() override { return GetLogicalDrives(); }

    TDriveType DriveType(char drive) override
    {
        switch (GetDriveTypeW(Root(drive).c_str())) {
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
        wchar_t name[MAX_PATH + 1] = {};
        if (!GetVolumeInformationW(Root(drive).c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            return false;
        label = Utf8Text(name);
        return true;
    }

    bool RemoteName(char drive, std::string& name) override
    {
        const std::wstring local = Root(drive).substr(0, 2);
        wchar_t remote[1024] = {};
        DWORD size = 1024;
        if (WNetGetConnectionW(local.c_str(), remote, &size) != NO_ERROR)
            return false;
        name = Utf8Text(remote);
        return true;
    }

    bool IsDirectory(const std::string& path) override
    {
        if (path.empty())
            return false;
        TQuietErrors quiet;
        std::wstring wide;
        const DWORD attributes = WidePath(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    std::vector<std::string> Subdirectories(const std::string& directory) override
    {
        std::vector<std::string> names;
        TQuietErrors quiet;
        const std::string pattern = directory + (directory.empty() || directory.back() != '\\' ? "\\*" : "*");
        WIN32_FIND_DATAW found;
        std::wstring wide;
        const HANDLE search = WidePath(pattern, wide) ? FindFirstFileW(wide.c_str(), &found) : INVALID_HANDLE_VALUE;
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string name = Utf8Text(found.cFileName);
            // Hidden and system directories are the system's business.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) && name != "." &&
                name != "..")
                names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    std::string CurrentDirectory() override
    {
        const DWORD size = GetCurrentDirectoryW(0, nullptr);
        std::wstring text(size, L'\0');
        text.resize(GetCurrentDirectoryW(size, text.data()));
        return Utf8Text(text);
    }

    std::string DriveDirectory(char drive) override
    {
        // "X:" alone is the directory the process keeps current on that drive.
        const std::wstring relative = Root(drive).substr(0, 2);
        wchar_t full[MAX_PATH + 1] = {};
        const DWORD n = GetFullPathNameW(relative.c_str(), MAX_PATH + 1, full, nullptr);
        return Utf8Text(n > 0 && n < MAX_PATH + 1 ? std::wstring_view(full, n) : std::wstring_view(Root(drive)));
    }

    std::string ProgramDirectory() override
    {
        wchar_t file[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameW(nullptr, file, MAX_PATH);
        const std::string path = Utf8Text(std::wstring_view(file, n));
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
