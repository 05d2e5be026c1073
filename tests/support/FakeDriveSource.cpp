#include "tests/support/FakeDriveSource.h"

#include "archive/StringList.h"

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string WithoutSlash(std::string path)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

TFakeDriveSource::TFakeDriveSource()
{
    Drives['C'] = {dtFixed, true, true, "SYSTEM", "", ""};
    AddDirectory("C:\\Temp");
}

void TFakeDriveSource::AddDirectory(const std::string& path)
{
    // Every level above is a directory too.
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\' && !IsDirectory(path.substr(0, i)))
            Directories.push_back(path.substr(0, i));
    if (!IsDirectory(path))
        Directories.push_back(WithoutSlash(path));
}

TFakeDrive* TFakeDriveSource::Find(char drive)
{
    const auto it = Drives.find(Upper(drive));
    return it == Drives.end() ? nullptr : &it->second;
}

uint32_t TFakeDriveSource::LogicalDrives()
{
    uint32_t bits = 0;
    for (const auto& [letter, drive] : Drives)
        bits |= 1u << (letter - 'A');
    return bits;
}

TDriveType TFakeDriveSource::DriveType(char drive)
{
    const TFakeDrive* d = Find(drive);
    return d ? d->Type : dtNoRootDir;
}

bool TFakeDriveSource::VolumeLabel(char drive, std::string& label)
{
    Asked.push_back(Upper(drive));
    const TFakeDrive* d = Find(drive);
    if (!d || !d->LabelReadable || !d->Accessible)
        return false;
    label = d->Label;
    return true;
}

bool TFakeDriveSource::RemoteName(char drive, std::string& name)
{
    Asked.push_back(Upper(drive));
    const TFakeDrive* d = Find(drive);
    if (!d || d->Remote.empty())
        return false;
    name = d->Remote;
    return true;
}

bool TFakeDriveSource::IsDirectory(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':')
        return false;
    const TFakeDrive* d = Find(path[0]);
    if (!d || !d->Accessible)
        return false;
    if (path.size() == 3 && path[2] == '\\')
        return true;
    for (const std::string& dir : Directories)
        if (SameText(dir, WithoutSlash(path)))
            return true;
    return false;
}

std::vector<std::string> TFakeDriveSource::Subdirectories(const std::string& directory)
{
    std::vector<std::string> names;
    if (!IsDirectory(directory))
        return names;
    std::string prefix = directory;
    if (prefix.back() != '\\')
        prefix += '\\';
    for (const std::string& dir : Directories)
        if (dir.size() > prefix.size() && SameText(dir.substr(0, prefix.size()), prefix) &&
            dir.find('\\', prefix.size()) == std::string::npos)
            names.push_back(dir.substr(prefix.size()));
    return names;
}

std::string TFakeDriveSource::DriveDirectory(char drive)
{
    const TFakeDrive* d = Find(drive);
    return d && !d->Directory.empty() ? d->Directory : std::string(1, Upper(drive)) + ":\\";
}
