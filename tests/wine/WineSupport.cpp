#include "tests/wine/WineSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

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
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TextOfFile(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
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

TRegValue QueryValue(HKEY root, const std::string& key, const std::string& name)
{
    TRegValue value;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        value.Data.assign(size, '\0');
        value.Found = RegQueryValueExA(handle, name.c_str(), nullptr, &value.Type,
                                       reinterpret_cast<BYTE*>(value.Data.data()), &size) == ERROR_SUCCESS;
        value.Data.resize(size);
    }
    RegCloseKey(handle);
    return value;
}

TLinkFields LoadLink(const std::string& linkFile)
{
    TLinkFields fields;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return fields;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(linkFile.begin(), linkFile.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            fields.Loaded = true;
            char text[MAX_PATH * 2];
            if (link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH) == S_OK)
                fields.Path = text;
            if (SUCCEEDED(link->GetArguments(text, sizeof text)))
                fields.Arguments = text;
            if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
                fields.WorkingDirectory = text;
            if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                fields.Description = text;
            if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &fields.IconIndex)))
                fields.IconFile = text;
            link->GetShowCmd(&fields.ShowCmd);
        }
        file->Release();
    }
    link->Release();
    return fields;
}

int RunAndWait(const std::string& commandLine, const std::string& environment)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = commandLine;
    // The child gets this environment plus the given NAME=VALUE pair.
    std::string block;
    if (!environment.empty()) {
        char* current = GetEnvironmentStringsA();
        for (const char* p = current; *p != '\0'; p += std::strlen(p) + 1)
            block.append(p, std::strlen(p) + 1);
        FreeEnvironmentStringsA(current);
        block.append(environment).push_back('\0');
        block.push_back('\0');
    }
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                        block.empty() ? nullptr : block.data(), nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
