// Shared by the tests that run under Windows (or Wine): file and registry
// reads through the plain Win32 calls, and paths of the build tree.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A path of the build machine as this Windows sees it ("/a/b" is "Z:\a\b" under Wine).
std::string HostPath(const std::string& posixPath);
std::vector<char> ReadWholeFile(const std::string& path); // empty when missing
bool FileExists(const std::string& path);
// A file's bytes as text ("" when missing).
std::string TextOfFile(const std::string& path);
// Creates or replaces path with text; a test failure when it cannot.
void WriteText(const std::string& path, const std::string& text);
// The lines of a CR LF text file, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

struct TRegValue {
    bool Found = false;
    DWORD Type = 0;
    std::string Data; // the bytes as stored, a terminating NUL included
};
TRegValue QueryValue(HKEY root, const std::string& key, const std::string& name);

struct TLinkFields {
    bool Loaded = false;
    std::string Path, Arguments, WorkingDirectory, Description, IconFile;
    int ShowCmd = 0, IconIndex = -1;
};
// Reads a .lnk file back through IShellLinkA and IPersistFile::Load.
TLinkFields LoadLink(const std::string& linkFile);

// Runs a command line and waits; the process's exit code (-1 when it did not start).
int RunAndWait(const std::string& commandLine, const std::string& environment = "");

// A file held open without sharing, as a running program holds its own.
class THeldFile {
public:
    explicit THeldFile(const std::string& path)
        : FHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~THeldFile() { Release(); }
    bool Held() const { return FHandle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held())
            CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE FHandle;
};
