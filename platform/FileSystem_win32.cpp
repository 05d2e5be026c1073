// Win32 file system over kernel32's wide calls (paths are UTF-8 here, UTF-16
// there): create-always files, SetFileTime after DosDateTimeToFileTime and
// LocalFileTimeToFileTime, SetFileAttributesW, GetDiskFreeSpaceW.
#include "platform/FileSystem.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "platform/Exception.h"
#include "platform/WideText.h"

namespace {

std::string SystemMessage(DWORD code)
{
    wchar_t text[512] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                   text, 512, nullptr);
    std::string message = Utf8Text(std::wstring_view(text, n));
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

// Every level from the root down, each open without delete sharing: no held
// level can be renamed, replaced or removed, so a path through them leads
// where it led when they were checked.
class TWin32DirectoryHandle : public TDirectoryHandle {
public:
    using TDirectoryHandle::TDirectoryHandle;
    ~TWin32DirectoryHandle() override
    {
        for (const HANDLE h : FLevels)
            CloseHandle(h);
    }
    void Hold(HANDLE h) { FLevels.push_back(h); }
    HANDLE Last() const { return FLevels.back(); }

private:
    std::vector<HANDLE> FLevels;
};

// The object at path itself, a junction or symbolic link not followed.
HANDLE OpenNoFollow(const std::string& path, DWORD access, DWORD share)
{
    std::wstring wide;
    if (!WidePath(path, wide))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The attributes at path; INVALID_FILE_ATTRIBUTES when there is nothing (or no such name).
DWORD PathAttributes(const std::string& path)
{
    std::wstring wide;
    return WidePath(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

HANDLE CreatePathFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    std::wstring wide;
    if (!WidePath(path, wide))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What a handle is, by the handle: its attributes, or 0 with the reparse
// bit when they cannot be read (so that it counts as a link).
DWORD AttributesOf(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(h, &info) ? info.dwFileAttributes : FILE_ATTRIBUTE_REPARSE_POINT;
}

bool IsPlainDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsPlainFile(DWORD attributes)
{
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// A single name within a directory: nothing that leads elsewhere or names a stream.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

std::string Join(const TDirectoryHandle& directory, const std::string& name)
{
    std::string path = directory.Path();
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + name;
}

HANDLE LastLevel(TDirectoryHandle& directory) { return static_cast<TWin32DirectoryHandle&>(directory).Last(); }

// Sets the delete-on-close disposition through the handle.
bool DeleteByHandle(HANDLE h)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// SYSTEM, the Administrators group and TrustedInstaller: who may change a program folder.
bool IsAdministrativeSid(PSID sid)
{
    if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
        return true;
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return false;
    const bool installer = std::wstring_view(text) == L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    LocalFree(text);
    return installer;
}

// The running user, when its token counts as an administrator: a folder only
// that user (besides the administrators) may change is no other user's to
// swap. Nothing when the user is not an administrator.
std::vector<BYTE> AdministratorUserSid()
{
    std::vector<BYTE> sid;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD adminSize = sizeof administrators;
    BOOL member = FALSE;
    if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &adminSize) &&
        CheckTokenMembership(nullptr, administrators, &member) && member) {
        const PSID own = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
        sid.assign(static_cast<BYTE*>(own), static_cast<BYTE*>(own) + GetLengthSid(own));
    }
    CloseHandle(token);
    return sid;
}

class TWin32FileSystem : public TFileSystem {
public:
    std::unique_ptr<TFileStream> CreateAlways(const std::string& path) override
    {
        HANDLE h = CreatePathFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (h == INVALID_HANDLE_VALUE)
            throw EFCreateError("Cannot create file \"" + path + "\". " + SystemMessage(GetLastError()));
        return std::make_unique<TWin32FileStream>(h, path);
    }

    std::unique_ptr<TFileStream> OpenRead(const std::string& path) override
    {
        HANDLE h = CreatePathFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE)
            throw EFOpenError("Cannot open file \"" + path + "\". " + SystemMessage(GetLastError()));
        return std::make_unique<TWin32FileStream>(h, path);
    }

    bool FileExists(const std::string& path) override
    {
        const DWORD a = PathAttributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool IsDirectory(const std::string& path) override
    {
        const DWORD a = PathAttributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    bool IsReparsePoint(const std::string& path) override
    {
        const DWORD a = PathAttributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }

    void MakeDirectory(const std::string& path) override
    {
        std::wstring wide;
        if (!WidePath(path, wide) || !CreateDirectoryW(wide.c_str(), nullptr)) {
            const DWORD code = GetLastError();
            if (!(code == ERROR_ALREADY_EXISTS && IsDirectory(path)))
                throw EInOutError("Cannot create directory \"" + path + "\". " + SystemMessage(code));
        }
    }

    bool RemoveFile(const std::string& path) override
    {
        std::wstring wide;
        return WidePath(path, wide) && DeleteFileW(wide.c_str()) != 0;
    }

    bool RemoveEmptyDirectory(const std::string& path) override
    {
        std::wstring wide;
        return WidePath(path, wide) && RemoveDirectoryW(wide.c_str()) != 0;
    }

    bool MoveFileReplacing(const std::string& from, const std::string& to) override
    {
        std::wstring wideFrom, wideTo;
        return WidePath(from, wideFrom) && WidePath(to, wideTo) &&
               MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    void MoveFileChecked(const std::string& from, const std::string& to) override
    {
        if (!MoveFileReplacing(from, to))
            throw EInOutError("Cannot move \"" + from + "\" to \"" + to + "\": " + SystemMessage(GetLastError()));
    }

    bool SetAttributes(const std::string& path, int32_t attributes) override
    {
        // Most files already have theirs (a new file is marked for archiving):
        // a look is cheaper than the open, set and close of a change.
        const DWORD now = PathAttributes(path);
        if (now != INVALID_FILE_ATTRIBUTES && now == static_cast<DWORD>(attributes))
            return true;
        std::wstring wide;
        return WidePath(path, wide) && SetFileAttributesW(wide.c_str(), static_cast<DWORD>(attributes)) != 0;
    }

    int32_t GetAttributes(const std::string& path) override
    {
        const DWORD a = PathAttributes(path);
        return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(a);
    }

    uint32_t GetDosDateTime(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        FILETIME local;
        WORD date = 0, time = 0;
        std::wstring wide;
        if (!WidePath(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
            !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
            return 0;
        return (static_cast<uint32_t>(date) << 16) | time;
    }

    bool QueryFreeSpace(const std::string& root, TDiskFreeSpace& space) override
    {
        DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
        std::wstring wide;
        if (!WidePath(root, wide) ||
            !GetDiskFreeSpaceW(root.empty() ? nullptr : wide.c_str(), &spc, &bps, &freeClusters, &total))
            return false;
        space.SectorsPerCluster = spc;
        space.BytesPerSector = bps;
        space.FreeClusters = freeClusters;
        return true;
    }

    std::vector<TDirectoryEntry> ListDirectory(const std::string& path) override
    {
        std::vector<TDirectoryEntry> entries;
        WIN32_FIND_DATAW found;
        std::string pattern = path;
        if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':')
            pattern += '\\';
        std::wstring widePattern;
        HANDLE h = WidePath(pattern + "*", widePattern) ? FindFirstFileW(widePattern.c_str(), &found)
                                                        : INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_NOT_FOUND)
                return entries;
            throw EInOutError("Cannot read directory \"" + path + "\". " + SystemMessage(code));
        }
        do {
            const std::string name = Utf8Text(found.cFileName);
            if (name != "." && name != "..")
                entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(h, &found));
        FindClose(h);
        std::sort(entries.begin(), entries.end(),
                  [](const TDirectoryEntry& a, const TDirectoryEntry& b) { return a.Name < b.Name; });
        return entries;
    }

    std::unique_ptr<TDirectoryHandle> OpenDirectoryChain(const std::string& path) override
    {
        // The root: "X:\" or "\\server\share\"; the "\\?\" and "\\.\" forms are not taken.
        size_t end;
        if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
            end = 3;
        } else if (path.rfind("\\\\", 0) == 0 && path.size() > 2 && path[2] != '?' && path[2] != '.') {
            const size_t server = path.find('\\', 2);
            end = server == std::string::npos ? std::string::npos : path.find('\\', server + 1);
            end = end == std::string::npos ? path.size() : end + 1;
        } else {
            return nullptr;
        }
        auto handle = std::make_unique<TWin32DirectoryHandle>(path);
        std::string level = path.substr(0, end);
        if (level.back() != '\\')
            level += '\\';
        for (;;) {
            const HANDLE h = OpenNoFollow(level, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE);
            if (h == INVALID_HANDLE_VALUE)
                return nullptr;
            handle->Hold(h);
            if (!IsPlainDirectory(AttributesOf(h)))
                return nullptr;
            if (end >= path.size())
                break;
            size_t next = path.find('\\', end);
            if (next == std::string::npos)
                next = path.size();
            const std::string name = path.substr(end, next - end);
            end = next + 1;
            if (name.empty())
                continue;
            if (!IsPlainName(name))
                return nullptr;
            if (level.back() != '\\')
                level += '\\';
            level += name;
        }
        // The system's own name for what is held must be the path asked for.
        wchar_t final[MAX_PATH * 2] = {};
        const DWORD n = GetFinalPathNameByHandleW(handle->Last(), final, MAX_PATH * 2, FILE_NAME_NORMALIZED);
        if (n == 0 || n >= MAX_PATH * 2)
            return nullptr;
        std::wstring expected;
        if (!WidePath(level, expected))
            return nullptr;
        if (expected.rfind(L"\\\\", 0) == 0)
            expected = L"\\\\?\\UNC\\" + expected.substr(2);
        else
            expected = L"\\\\?\\" + expected;
        std::wstring got(final, n);
        while (got.size() > 3 && got.back() == L'\\')
            got.pop_back();
        while (expected.size() > 3 && expected.back() == L'\\')
            expected.pop_back();
        if (!SameWideText(got, expected))
            return nullptr;
        return handle;
    }

    bool FileExistsAt(TDirectoryHandle& directory, const std::string& name) override
    {
        if (!IsPlainName(name))
            return false;
        const DWORD a = PathAttributes(Join(directory, name));
        return a != INVALID_FILE_ATTRIBUTES && IsPlainFile(a);
    }

    bool RemoveFileAt(TDirectoryHandle& directory, const std::string& name) override
    {
        if (!IsPlainName(name))
            return false;
        const HANDLE h = OpenNoFollow(Join(directory, name), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        const DWORD attributes = AttributesOf(h);
        bool done = false;
        if (IsPlainFile(attributes)) {
            // A read-only file refuses the disposition: cleared first, put back when that fails.
            FILE_BASIC_INFO basic{};
            const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
            if (readOnly) {
                basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) ? attributes & ~FILE_ATTRIBUTE_READONLY
                                                                              : FILE_ATTRIBUTE_NORMAL;
                SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
            }
            done = DeleteByHandle(h);
            if (!done && readOnly) {
                basic.FileAttributes = attributes;
                SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
            }
        }
        CloseHandle(h);
        return done;
    }

    bool RemoveDirectoryAt(TDirectoryHandle& directory, const std::string& name) override
    {
        if (!IsPlainName(name))
            return false;
        const HANDLE h = OpenNoFollow(Join(directory, name), DELETE | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        // A folder that still holds something refuses the disposition.
        const bool done = IsPlainDirectory(AttributesOf(h)) && DeleteByHandle(h);
        CloseHandle(h);
        return done;
    }

    bool MoveFileAt(TDirectoryHandle& fromDirectory, const std::string& from, TDirectoryHandle& toDirectory,
                    const std::string& to) override
    {
        if (!IsPlainName(from) || !IsPlainName(to))
            return false;
        std::wstring target;
        if (!WidePath(Join(toDirectory, to), target))
            return false;
        const HANDLE h = OpenNoFollow(Join(fromDirectory, from), DELETE | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        bool done = false;
        if (IsPlainFile(AttributesOf(h))) {
            // The target is named through the held levels; an existing file there stays.
            std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(WCHAR));
            auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
            rename->ReplaceIfExists = FALSE;
            rename->RootDirectory = nullptr;
            rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
            std::copy(target.begin(), target.end(), rename->FileName);
            done = SetFileInformationByHandle(h, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
        }
        CloseHandle(h);
        return done;
    }

    std::vector<TDirectoryEntry> ListDirectoryAt(TDirectoryHandle& directory) override
    {
        return ListDirectory(directory.Path());
    }

    bool OthersMayChange(const std::string& directory) override
    {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        std::wstring wide;
        if (!WidePath(directory, wide) ||
            GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &dacl,
                                  nullptr, &descriptor) != ERROR_SUCCESS)
            return true;
        std::vector<BYTE> self = AdministratorUserSid();
        const auto trusted = [&](PSID sid) {
            return IsAdministrativeSid(sid) || (!self.empty() && EqualSid(sid, self.data()));
        };
        // The owner may always change the permissions; no list at all lets everyone in.
        bool open = owner == nullptr || dacl == nullptr || !trusted(owner);
        const DWORD changes = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES |
                              FILE_WRITE_EA | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
        for (DWORD i = 0; !open && i < dacl->AceCount; ++i) {
            ACE_HEADER* header = nullptr;
            if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) {
                open = true;
                break;
            }
            // Denials take nothing away from this question; an entry only for children does not apply here.
            if (header->AceType == ACCESS_DENIED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0)
                continue;
            if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
                open = true; // a kind of entry not looked into
                break;
            }
            const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
            if ((ace->Mask & changes) != 0 && !trusted(const_cast<DWORD*>(&ace->SidStart)))
                open = true;
        }
        LocalFree(descriptor);
        return open;
    }

    void ProtectDirectory(const std::string& directory) override
    {
        std::wstring wide;
        if (!WidePath(directory, wide))
            throw EInOutError("Cannot protect directory \"" + directory + "\". " + SystemMessage(GetLastError()));
        for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
            wchar_t folder[MAX_PATH] = {};
            const DWORD n = GetEnvironmentVariableW(name, folder, MAX_PATH);
            std::wstring prefix(folder, n > 0 && n < MAX_PATH ? n : 0);
            if (prefix.empty())
                continue;
            if (prefix.back() != L'\\')
                prefix += L'\\';
            if (wide.size() > prefix.size() && SameWideText(std::wstring_view(wide).substr(0, prefix.size()), prefix))
                return;
        }
        // As Program Files: SYSTEM and the administrators change it, users read
        // and run it, the owner is the administrators, the folder above passes nothing down.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &descriptor,
                nullptr))
            throw EInOutError("Cannot protect directory \"" + directory + "\". " + SystemMessage(GetLastError()));
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        PSID owner = nullptr;
        GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
        GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
        const DWORD result = SetNamedSecurityInfoW(
            wide.data(), SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, owner,
            nullptr, dacl, nullptr);
        LocalFree(descriptor);
        if (result != ERROR_SUCCESS)
            throw EInOutError("Cannot protect directory \"" + directory + "\". " + SystemMessage(result));
    }
};

} // namespace

TFileSystem& NativeFileSystem()
{
    static TWin32FileSystem fileSystem;
    return fileSystem;
}
