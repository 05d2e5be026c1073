#include "tools/vkar/VkarExpandFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Exception.h"
#include "platform/HostPath.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarStreams.h"

bool VkarNonDirectoryExists(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(HostPath(ToNativePath(path)), error);
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

namespace {

#ifdef _WIN32
constexpr size_t MaxPath = 259; // MAX_PATH less the terminator
#else
constexpr size_t MaxPath = 4095; // PATH_MAX less the terminator
#endif
constexpr size_t MaxLevel = 255;

// A length as the system counts it: UTF-16 units on Windows, where names
// are held as UTF-8, bytes elsewhere.
size_t SystemLength(const std::string& text)
{
#ifdef _WIN32
    return Utf8ToUtf16Leniently(text).size();
#else
    return text.size();
#endif
}

std::vector<std::string> Levels(const std::string& path)
{
    std::vector<std::string> levels;
    std::string level;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsDirectoryBoundary(path[i]) && path[i] != '/') {
            level += path[i];
            continue;
        }
        if (!level.empty() && level != ".")
            levels.push_back(level);
        level.clear();
    }
    return levels;
}

#ifdef _WIN32
bool IsReservedLevel(std::string level)
{
    if (!level.empty() && (level.back() == '.' || level.back() == ' '))
        return true;
    if (level.find_first_of("<>\"|?*") != std::string::npos)
        return true;
    level = level.substr(0, level.find('.'));
    while (!level.empty() && level.back() == ' ')
        level.pop_back();
    for (char& c : level)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (level == "CON" || level == "PRN" || level == "AUX" || level == "NUL")
        return true;
    return level.size() == 4 && (level.compare(0, 3, "COM") == 0 || level.compare(0, 3, "LPT") == 0) &&
           level[3] >= '1' && level[3] <= '9';
}
#endif

std::string Refusal(const char* what, const std::string& path, const char* reason)
{
    return std::string(what) + " \"" + ToNativePath(path) + "\". " + reason;
}

} // namespace

std::string TVkarModelFileSystem::Key(const std::string& path)
{
    std::string key;
    for (const std::string& level : Levels(path))
        key += (key.empty() ? "" : "/") + level;
#ifdef _WIN32
    // Case ignored as the system ignores it, in every script.
    std::u16string wide = Utf8ToUtf16Leniently(key);
    for (char16_t& unit : wide)
        unit = UpperCaseUnit(unit);
    key = Utf16ToUtf8(wide);
#endif
    return key;
}

void TVkarModelFileSystem::CheckName(const std::string& path)
{
    if (SystemLength(path) > MaxPath)
        throw EFCreateError(Refusal("Cannot create file", path, std::strerror(ENAMETOOLONG)));
    for (const std::string& level : Levels(path)) {
        if (SystemLength(level) > MaxLevel)
            throw EFCreateError(Refusal("Cannot create file", path, std::strerror(ENAMETOOLONG)));
#ifdef _WIN32
        if (IsReservedLevel(level))
            throw EFCreateError(Refusal("Cannot create file", path, "The name is reserved or not valid"));
#endif
    }
}

bool TVkarModelFileSystem::IsDirectory(const std::string& path)
{
    const std::string key = Key(path);
    return key.empty() || FDirectories.count(key) != 0;
}

std::unique_ptr<TFileStream> TVkarModelFileSystem::CreateAlways(const std::string& path)
{
    CheckName(path);
    const std::string key = Key(path);
    if (IsDirectory(path) || (!path.empty() && (IsDirectoryBoundary(path.back()) || path.back() == '/')))
        throw EFCreateError(Refusal("Cannot create file", path, std::strerror(EISDIR)));
    if (!IsDirectory(ExtractFilePath(ToNativePath(path))))
        throw EFCreateError(Refusal("Cannot create file", path, std::strerror(ENOTDIR)));
    FFiles.insert(key);
    return std::make_unique<TVkarNullStream>();
}

std::unique_ptr<TFileStream> TVkarModelFileSystem::OpenRead(const std::string& path)
{
    throw EFOpenError("Cannot open file \"" + path + "\"");
}

void TVkarModelFileSystem::MakeDirectory(const std::string& path)
{
    try {
        CheckName(path);
    } catch (const EFCreateError&) {
        throw EInOutError(Refusal("Cannot create directory", path, std::strerror(ENAMETOOLONG)));
    }
    if (IsDirectory(path))
        return;
    if (FileExists(path))
        throw EInOutError(Refusal("Cannot create directory", path, std::strerror(EEXIST)));
    if (!IsDirectory(ExtractFilePath(ToNativePath(path))))
        throw EInOutError(Refusal("Cannot create directory", path, std::strerror(ENOTDIR)));
    FDirectories.insert(Key(path));
}

bool TVkarModelFileSystem::MoveFileReplacing(const std::string& from, const std::string& to)
{
    try {
        CheckName(to);
    } catch (const EFCreateError&) {
        return false;
    }
    if (!FileExists(from) || IsDirectory(to) || !IsDirectory(ExtractFilePath(ToNativePath(to))))
        return false;
    FFiles.erase(Key(from));
    FFiles.insert(Key(to));
    return true;
}

int32_t TVkarModelFileSystem::GetAttributes(const std::string& path)
{
    return FileExists(path) ? faArchive : IsDirectory(path) ? faDirectory : -1;
}
