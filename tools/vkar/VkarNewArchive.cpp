#include "tools/vkar/VkarNewArchive.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "tools/vkar/VkarSignals.h"
#include "tools/vkar/VkarStreams.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#define VKAR_PID _getpid()
#define VKAR_OPEN_FLAGS (_O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY)
#define VKAR_OPEN_MODE (_S_IREAD | _S_IWRITE)
#else
#include <unistd.h>
#define VKAR_PID ::getpid()
#define VKAR_OPEN_FLAGS (O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC)
#define VKAR_OPEN_MODE 0666
#endif

namespace fs = std::filesystem;

namespace {

// The file a chain of links ends at, whether it exists or not.
std::string FollowLinks(const std::string& path)
{
    fs::path at = HostPath(path);
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, error)); ++hops) {
        const fs::path next = fs::read_symlink(at, error);
        if (error)
            break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return HostText(at);
}

} // namespace

TVkarNewArchive::TVkarNewArchive(const std::string& path)
{
    if (path == "-") {
        FToStandardOutput = true;
        return;
    }
    // The system's own view through every link: /dev/stdout on a pipe is
    // a pipe, whatever the link's text says.
    std::error_code error;
    const fs::file_status status = fs::status(HostPath(path), error);
    FTarget = FollowLinks(path);
    if (fs::is_directory(status))
        throw Exception("Is a directory");
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw Exception("Not a regular file; an archive goes to a regular file or to - (standard output)");
    // Root may write anything; anyone else is told before a file is made.
    if (fs::exists(status) && !HostFileWritable(FTarget))
        throw Exception(std::string("Cannot replace the archive: ") + std::strerror(errno));
}

TVkarNewArchive::~TVkarNewArchive() { Discard(); }

bool TVkarNewArchive::SharesStandardOutput() const
{
    return FToStandardOutput || VkarIsStandardOutput(FTarget);
}

bool TVkarNewArchive::IsTheArchive(const std::string& path) const
{
    return FToStandardOutput ? VkarIsStandardOutput(path) : VkarSameFile(path, FTarget);
}

TStream& TVkarNewArchive::Open()
{
    if (FToStandardOutput) {
        // The writer goes back to fill in each record: the archive is
        // made in a temporary file and copied out once complete.
        FStream = VkarAnonymousFile();
        return *FStream;
    }
    const fs::path target = HostPath(FTarget);
    std::string hidden = ".";
    hidden.append(HostText(target.filename())).append(".vkar");
    const std::string stem = HostText(target.parent_path() / HostPath(hidden));
    VkarRemoveOnSignal("");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + std::to_string(VKAR_PID) + "-" + std::to_string(attempt);
        TVkarSignalsHeld held;
        const int fd = OpenHostDescriptor(name, VKAR_OPEN_FLAGS, VKAR_OPEN_MODE);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw EFCreateError(std::string("Cannot create the archive: ") + std::strerror(errno));
        FTemporary = name;
        VkarRemoveOnSignal(FTemporary);
#ifndef _WIN32
        // A replaced archive keeps its permissions.
        THostStat st {};
        if (StatHostFile(FTarget, st))
            ::fchmod(fd, st.st_mode & 07777);
#endif
        std::FILE* file = ::fdopen(fd, "w+b");
        if (file == nullptr) {
            ::close(fd);
            throw EFCreateError(std::string("Cannot create the archive: ") + std::strerror(errno));
        }
        FStream = std::make_unique<TVkarFileStream>(file, true);
        return *FStream;
    }
    throw EFCreateError("Cannot create the archive: no free name for a new file beside it");
}

void TVkarNewArchive::Commit()
{
    FStream->Flush();
    if (FToStandardOutput) {
        FStream->SetPosition(0);
        VkarCopyToStdout(*FStream);
        FStream.reset();
        return;
    }
    FStream.reset();
#ifdef _WIN32
    const bool moved = NativeFileSystem().MoveFileReplacing(FTemporary, FTarget);
#else
    const bool moved = ::rename(FTemporary.c_str(), FTarget.c_str()) == 0;
#endif
    if (!moved)
        throw EWriteError(std::string("Cannot put the new archive in place: ") + std::strerror(errno));
    FCommitted = true;
    VkarRemoveOnSignal("");
}

void TVkarNewArchive::Discard()
{
    FStream.reset();
    std::error_code error;
    if (!FTemporary.empty() && !FCommitted) {
        fs::remove(HostPath(FTemporary), error);
        VkarRemoveOnSignal("");
    }
}
