// Runs the real vkar program in a fresh temporary directory and captures
// what it prints. POSIX only: the program is started with fork and exec, and
// standard error can be put on a pseudo terminal to see the progress line.
#pragma once

#ifndef _WIN32

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct TVkarResult {
    int Status = -1;        // exit status; -1 when the program did not exit normally
    int Signal = 0;         // the signal that ended it, if any
    bool TimedOut = false;
    std::string Out, Err;
};

// How vkar is started, beyond its arguments.
struct TVkarRunSettings {
    bool ErrorOnTerminal = false; // standard error is a pseudo terminal
    bool Unprivileged = false;    // run by root: as user and group 65534, owning Work()
    std::string StdinFile;        // standard input reads this file of Work(), which can seek
    bool StdinFromPipe = false;   // standard input is a pipe that carries StdinBytes
    std::string StdinBytes;
    std::vector<int> Closed;               // descriptors (0-2) closed when vkar starts
    std::vector<std::string> Environment;  // NAME=value set for vkar
    int Signal = 0;                        // sent once a file of Work() begins with SignalWhen
    std::string SignalWhen;
};

// Whether vkar can run without root's rights: run by another user, or by
// root able to become user 65534.
bool VkarCanRunUnprivileged();

class TVkarSandbox {
public:
    TVkarSandbox();
    ~TVkarSandbox();
    TVkarSandbox(const TVkarSandbox&) = delete;
    TVkarSandbox& operator=(const TVkarSandbox&) = delete;

    // The directory vkar runs in; its parent holds nothing but the captures.
    const std::string& Work() const { return FWork; }
    std::string Path(const std::string& relative) const { return FWork + "/" + relative; }

    // Runs vkar with args in Work(). With errorOnTerminal, standard error is
    // a pseudo terminal and Err holds what was written to it.
    TVkarResult Run(const std::vector<std::string>& args, bool errorOnTerminal = false) const;
    TVkarResult Run(const std::vector<std::string>& args, const TVkarRunSettings& settings) const;

    void WriteFile(const std::string& relative, const std::string& bytes) const;
    std::string ReadFile(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Sets the last-write time from local date and time parts.
    void SetLocalTime(const std::string& relative, int year, int month, int day, int hour, int minute,
                      int second) const;

private:
    std::string FRoot, FWork;
};

// The files below root (relative names, "/" between levels), sorted.
std::vector<std::string> VkarListFiles(const std::string& root);
// Last-write time in seconds and whether the owner may write.
int64_t VkarModifiedTime(const std::string& path);
bool VkarIsWritable(const std::string& path);

// Archive bytes built by hand, to hold what vkar itself would never write.
struct TVkarRawEntry {
    std::string Name;
    std::string Data;          // the stored bytes
    uint8_t Method = 0;
    int32_t ExpandedSize = -1; // -1: the data's length
    int32_t StoredSize = -1;   // -1: the data's length
    int64_t Checksum = -1;     // -1: the byte sum of the data
    int32_t LockMode = 0;
    int16_t Attributes = 0x20;
    uint32_t DateTime = 0x2A614A21; // 2001-03-01 09:17:02
};

std::string VkarRawHeader(const std::string& identifier, int32_t totalSize, uint8_t archiveType = 1,
                          const std::string& magic = std::string("VKAR\x1A", 5));
std::string VkarRawEntry(const TVkarRawEntry& entry);
// A header whose total is the entries' expanded sizes, then the entries.
// The archive with padding zero bytes after its first entry's data, counted
// in that entry's stored size: data that a decoder stops short of.
std::string VkarPadFirstEntry(std::string archive, uint32_t padding);
std::string VkarRawArchive(const std::vector<TVkarRawEntry>& entries, const std::string& identifier = "NON");

#endif
