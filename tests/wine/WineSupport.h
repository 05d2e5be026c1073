// Shared by the tests that run under Windows (or Wine): file, registry and
// link reads through the wide Win32 calls, and paths of the build tree. Paths
// and texts are UTF-8 here, so that a test sees a name outside the ANSI code
// page as Windows spells it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// Text in the ANSI code page, in UTF-8.
std::string AnsiToUtf8(const std::string& ansi);
// True when the ANSI code page holds every character of utf8.
bool FitsAnsi(const std::string& utf8);

// A path of the build machine as this Windows sees it ("/a/b" is "Z:\a\b" under Wine).
std::string HostPath(const std::string& posixPath);
std::vector<char> ReadWholeFile(const std::string& path); // empty when missing
bool FileExists(const std::string& path);
// A file or a folder.
bool PathExists(const std::string& path);
// The names in a folder ("." and ".." left out), sorted.
std::vector<std::string> FolderNames(const std::string& folder);
// A file's bytes as text ("" when missing).
std::string TextOfFile(const std::string& path);
// Creates or replaces path with text; a test failure when it cannot.
void WriteText(const std::string& path, const std::string& text);
// The lines of a CR LF text file, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

// install.log as the setup program writes it: 8-bit ANSI, or UTF-8 after a
// byte-order mark when a line does not fit the ANSI code page.
struct TLogText {
    bool Utf8Bom = false;
    std::vector<std::string> Lines; // in UTF-8 either way
};
TLogText ReadLog(const std::string& path);

struct TRegValue {
    bool Found = false;
    DWORD Type = 0;
    std::string Data; // the bytes as stored (strings in UTF-8), a terminating NUL included
};
TRegValue QueryValue(HKEY root, const std::string& key, const std::string& name);

struct TLinkFields {
    bool Loaded = false;
    std::string Path, Arguments, WorkingDirectory, Description, IconFile;
    int ShowCmd = 0, IconIndex = -1;
};
// Reads a .lnk file back through IShellLinkW and IPersistFile::Load; the
// Path is the target its item ID list names (its raw path field when it has none).
TLinkFields LoadLink(const std::string& linkFile);

// Runs a command line and waits; the process's exit code (-1 when it did not start).
int RunAndWait(const std::string& commandLine, const std::string& environment = "");

// A file held open without sharing, as a running program holds its own.
class THeldFile {
public:
    explicit THeldFile(const std::string& path)
        : FHandle(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
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
