#include "tools/vkar/VkarExpandFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Exception.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarStreams.h"

bool VkarNonDirectoryExists(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(ToNativePath(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::unique_ptr<TFileStream> TVkarReplacingFileSystem::CreateAlways(const std::string& path)
{
    // Removing the name first drops a link itself, not what it points at.
    if (VkarNonDirectoryExists(path) && !FInner.RemoveFile(path)) {
        const std::string reason = std::strerror(errno);
#ifdef _WIN32
        // Windows removes a read-only file only once it is writable.
        FInner.SetAttributes(path, faArchive);
        if (!FInner.RemoveFile(path))
#endif
            // Creating over what stays would write through a link.
            throw EFCreateError("Cannot replace \"" + ToNativePath(path) + "\". " + reason);
    }
    return FInner.CreateAlways(path);
}

std::unique_ptr<TFileStream> TVkarDiscardFileSystem::CreateAlways(const std::string&)
{
    return std::make_unique<TVkarNullStream>();
}

std::unique_ptr<TFileStream> TVkarDiscardFileSystem::OpenRead(const std::string& path)
{
    throw EFOpenError("Cannot open file \"" + path + "\"");
}
