#include "tests/wine/WineSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

namespace {

std::wstring FromCodePage(UINT codePage, const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

// The lines of bytes split at CR LF; a last line without one is marked.
std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            line += bytes[i];
        }
    }
    if (!line.empty())
        lines.push_back(line + "<no CR LF>");
    return lines;
}

} // namespace

std::wstring Wide(const std::string& utf8)
{
    return FromCodePage(CP_UTF8, utf8);
}

std::string Utf8(const std::wstring& wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::string AnsiToUtf8(const std::string& ansi)
{
    return Utf8(FromCodePage(CP_ACP, ansi));
}

bool FitsAnsi(const std::string& utf8)
{
    const std::wstring wide = Wide(utf8);
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                        nullptr, &lost);
    return !lost;
}

std::string HostPath(const std::string& posixPath)
{
    std::string path = posixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

std::vector<char> ReadWholeFile(const std::string& path)
{
    std::vector<char> bytes;
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.insert(bytes.end(), buffer, buffer + read);
    CloseHandle(file);
    return bytes;
}

std::string TextOfFile(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(Utf8(name));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    return SplitLines(TextOfFile(path));
}

TLogText ReadLog(const std::string& path)
{
    const std::string bom = "\xEF\xBB\xBF";
    std::string bytes = TextOfFile(path);
    TLogText log;
    log.Utf8Bom = bytes.compare(0, bom.size(), bom) == 0;
    if (log.Utf8Bom)
        bytes.erase(0, bom.size());
    log.Lines = SplitLines(bytes);
    if (!log.Utf8Bom)
        for (std::string& line : log.Lines)
            line = AnsiToUtf8(line);
    return log;
}

TRegValue QueryValue(HKEY root, const std::string& key, const std::string& name)
{
    TRegValue value;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return value;
    const std::wstring wideName = Wide(name);
    DWORD size = 0;
    if (RegQueryValueExW(handle, wideName.c_str(), nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        value.Found = RegQueryValueExW(handle, wideName.c_str(), nullptr, &value.Type,
                                       reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS;
        data.resize(size);
        if (value.Type == REG_SZ || value.Type == REG_EXPAND_SZ || value.Type == REG_MULTI_SZ) {
            std::wstring text(data.size() / sizeof(wchar_t), L'\0');
            std::copy_n(data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<char*>(text.data()));
            value.Data = Utf8(text); // its NULs kept
        } else {
            value.Data = data;
        }
    }
    RegCloseKey(handle);
    return value;
}

TLinkFields LoadLink(const std::string& linkFile)
{
    TLinkFields fields;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return fields;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(Wide(linkFile).c_str(), STGM_READ))) {
            fields.Loaded = true;
            wchar_t text[MAX_PATH * 2];
            const int size = static_cast<int>(std::size(text));
            // The target as the link's item ID list names it, as the shell
            // resolves it; Wine keeps the raw path only in the ANSI code page.
            PIDLIST_ABSOLUTE target = nullptr;
            if (SUCCEEDED(link->GetIDList(&target)) && target && SHGetPathFromIDListW(target, text))
                fields.Path = Utf8(text);
            else if (link->GetPath(text, size, nullptr, SLGP_RAWPATH) == S_OK)
                fields.Path = Utf8(text);
            CoTaskMemFree(target);
            if (SUCCEEDED(link->GetArguments(text, size)))
                fields.Arguments = Utf8(text);
            if (SUCCEEDED(link->GetWorkingDirectory(text, size)))
                fields.WorkingDirectory = Utf8(text);
            if (SUCCEEDED(link->GetDescription(text, size)))
                fields.Description = Utf8(text);
            if (SUCCEEDED(link->GetIconLocation(text, size, &fields.IconIndex)))
                fields.IconFile = Utf8(text);
            link->GetShowCmd(&fields.ShowCmd);
        }
        file->Release();
    }
    link->Release();
    return fields;
}

int RunAndWait(const std::string& commandLine, const std::string& environment)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = Wide(commandLine);
    // The child gets this environment plus the given NAME=VALUE pair.
    std::wstring block;
    if (!environment.empty()) {
        wchar_t* current = GetEnvironmentStringsW();
        for (const wchar_t* p = current; *p != L'\0'; p += wcslen(p) + 1)
            block.append(p, wcslen(p) + 1);
        FreeEnvironmentStringsW(current);
        block.append(Wide(environment)).push_back(L'\0');
        block.push_back(L'\0');
    }
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.empty() ? nullptr : block.data(), nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
