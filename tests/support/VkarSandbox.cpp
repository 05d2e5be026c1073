#ifndef _WIN32

#include "tests/support/VkarSandbox.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace {

constexpr auto RunTimeout = std::chrono::seconds(20);

void AppendLE(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void ReadAvailable(int fd, std::string& into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        into.append(buffer, static_cast<size_t>(n));
    }
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TVkarSandbox::TVkarSandbox()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vkar-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    FRoot = pattern;
    FWork = FRoot + "/work";
    std::filesystem::create_directory(FWork);
}

TVkarSandbox::~TVkarSandbox()
{
    std::error_code error;
    std::filesystem::remove_all(FRoot, error);
}

namespace {

constexpr uid_t NobodyId = 65534;

bool DropToNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(NobodyId) == 0 && ::setuid(NobodyId) == 0;
}

} // namespace

bool VkarCanRunUnprivileged()
{
    if (::geteuid() != 0)
        return true;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(DropToNobody() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TVkarResult TVkarSandbox::Run(const std::vector<std::string>& args, bool errorOnTerminal) const
{
    TVkarRunSettings settings;
    settings.ErrorOnTerminal = errorOnTerminal;
    return Run(args, settings);
}

TVkarResult TVkarSandbox::Run(const std::vector<std::string>& args, const TVkarRunSettings& settings) const
{
    const bool errorOnTerminal = settings.ErrorOnTerminal;
    const bool drop = settings.Unprivileged && ::geteuid() == 0;
    if (drop) {
        // The user must reach Work() and own what is in it.
        std::filesystem::permissions(FRoot, std::filesystem::perms(0755));
        if (::chown(FWork.c_str(), NobodyId, NobodyId) != 0)
            throw std::runtime_error("chown failed");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(FWork))
            if (::lchown(entry.path().c_str(), NobodyId, NobodyId) != 0)
                throw std::runtime_error("chown failed");
    }
    int pipeEnds[2] = {-1, -1};
    if (settings.StdinFromPipe && ::pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    const std::string outPath = FRoot + "/stdout", errPath = FRoot + "/stderr";
    int master = -1;
    std::string slaveName;
    if (errorOnTerminal) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            throw std::runtime_error("no pseudo terminal");
        slaveName = ::ptsname(master);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
    }
    std::vector<char*> argv;
    std::string program = VKAR_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int in = settings.StdinFromPipe     ? pipeEnds[0]
                       : settings.StdinFile.empty() ? ::open("/dev/null", O_RDONLY)
                                                    : ::open(Path(settings.StdinFile).c_str(), O_RDONLY);
        if (settings.StdinFromPipe)
            ::close(pipeEnds[1]);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = errorOnTerminal ? ::open(slaveName.c_str(), O_RDWR | O_NOCTTY)
                                        : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || (drop && !DropToNobody()) || ::chdir(FWork.c_str()) != 0)
            ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const std::string& setting : settings.Environment)
            ::putenv(const_cast<char*>(setting.c_str()));
        for (int fd : settings.Closed)
            ::close(fd);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (settings.StdinFromPipe) {
        // vkar reads while this writes; one that stops reading early must
        // not end the test by SIGPIPE.
        ::signal(SIGPIPE, SIG_IGN);
        ::close(pipeEnds[0]);
        const char* at = settings.StdinBytes.data();
        size_t left = settings.StdinBytes.size();
        while (left > 0) {
            const ssize_t n = ::write(pipeEnds[1], at, left);
            if (n <= 0)
                break;
            at += n;
            left -= static_cast<size_t>(n);
        }
        ::close(pipeEnds[1]);
    }
    TVkarResult result;
    const auto deadline = std::chrono::steady_clock::now() + RunTimeout;
    int status = 0;
    bool signalled = settings.Signal == 0;
    for (;;) {
        if (master >= 0)
            ReadAvailable(master, result.Err);
        if (!signalled) {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(FWork, error))
                if (entry.path().filename().string().rfind(settings.SignalWhen, 0) == 0) {
                    ::kill(child, settings.Signal);
                    signalled = true;
                    break;
                }
        }
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            result.TimedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status))
        result.Status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    result.Out = Slurp(outPath);
    if (master >= 0) {
        ReadAvailable(master, result.Err);
        ::close(master);
    } else {
        result.Err = Slurp(errPath);
    }
    return result;
}

void TVkarSandbox::WriteFile(const std::string& relative, const std::string& bytes) const
{
    const std::filesystem::path path = Path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string TVkarSandbox::ReadFile(const std::string& relative) const { return Slurp(Path(relative)); }

bool TVkarSandbox::Exists(const std::string& relative) const
{
    std::error_code error;
    return std::filesystem::exists(Path(relative), error);
}

void TVkarSandbox::SetLocalTime(const std::string& relative, int year, int month, int day, int hour, int minute,
                                int second) const
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    struct utimbuf times {};
    times.actime = times.modtime = std::mktime(&t);
    if (::utime(Path(relative).c_str(), &times) != 0)
        throw std::runtime_error("utime failed");
}

std::vector<std::string> VkarListFiles(const std::string& root)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(std::filesystem::relative(entry.path(), root).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

int64_t VkarModifiedTime(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : -1;
}

bool VkarIsWritable(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) != 0;
}

std::string VkarRawHeader(const std::string& identifier, int32_t totalSize, uint8_t archiveType,
                          const std::string& magic)
{
    std::string out = magic.substr(0, 5);
    out += identifier.substr(0, 3);
    AppendLE(out, static_cast<uint32_t>(totalSize), 4);
    AppendLE(out, archiveType, 1);
    AppendLE(out, 0, 4); // reserved
    AppendLE(out, 0, 4); // lock mode
    return out;
}

std::string VkarRawEntry(const TVkarRawEntry& entry)
{
    uint32_t sum = 0;
    for (unsigned char c : entry.Data)
        sum += c;
    std::string out;
    AppendLE(out, entry.Name.size(), 2);
    AppendLE(out, entry.DateTime, 4);
    AppendLE(out, static_cast<uint16_t>(entry.Attributes), 2);
    AppendLE(out, static_cast<uint32_t>(entry.ExpandedSize < 0 ? static_cast<int32_t>(entry.Data.size()) : entry.ExpandedSize), 4);
    AppendLE(out, static_cast<uint32_t>(entry.StoredSize == -1 ? static_cast<int32_t>(entry.Data.size()) : entry.StoredSize), 4);
    AppendLE(out, entry.Method, 1);
    AppendLE(out, entry.Checksum < 0 ? sum : static_cast<uint32_t>(entry.Checksum), 4);
    AppendLE(out, static_cast<uint32_t>(entry.LockMode), 4);
    return out + entry.Name + entry.Data;
}

std::string VkarRawArchive(const std::vector<TVkarRawEntry>& entries, const std::string& identifier)
{
    int32_t total = 0;
    std::string body;
    for (const TVkarRawEntry& entry : entries) {
        total += entry.ExpandedSize < 0 ? static_cast<int32_t>(entry.Data.size()) : entry.ExpandedSize;
        body += VkarRawEntry(entry);
    }
    return VkarRawHeader(identifier, total) + body;
}


std::string VkarPadFirstEntry(std::string archive, uint32_t padding)
{
    // Header 21 bytes; the entry record's name length at 0, stored size at 12, name at 25.
    const size_t record = 21, sizeField = record + 12;
    const size_t nameLength = static_cast<uint8_t>(archive[record]) | static_cast<uint8_t>(archive[record + 1]) << 8;
    uint32_t stored = 0;
    for (int i = 3; i >= 0; --i)
        stored = stored << 8 | static_cast<uint8_t>(archive[sizeField + i]);
    archive.insert(record + 25 + nameLength + stored, std::string(padding, '\0'));
    stored += padding;
    for (int i = 0; i < 4; ++i)
        archive[sizeField + i] = static_cast<char>(stored >> (8 * i));
    return archive;
}

#endif
