#include "tools/mksetup/SetupPayload.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "archive/ArchiveWriter.h"
#include "archive/CodeAhead.h"
#include "archive/CodingJobs.h"
#include "archive/Archiver.h"
#include "codecs/Coders.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "tools/mksetup/SetupImage.h"

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsDeviceName(const std::string& name)
{
    const std::string base = Upper(name.substr(0, name.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

} // namespace

bool IsRefusedPayloadName(const std::string& name)
{
    if (name.empty() || name.find_first_not_of('.') == std::string::npos || IsUnsafeArchiveName(name))
        return true;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            return true;
    return name.back() == '.' || name.back() == ' ' || IsDeviceName(name);
}

std::vector<TPayloadFile> PlanPayload(TFileSystem& files, const TPayloadRequest& request)
{
    const std::string& dir = request.Directory;
    if (!files.IsDirectory(dir))
        throw EMkSetupError("the payload directory " + dir + " does not exist");
    std::map<std::string, TPayloadFile> byName; // by upper-case name, as Windows tells names apart
    for (const TDirectoryEntry& entry : files.ListDirectory(dir)) {
        const std::string path = (std::filesystem::path(dir) / entry.Name).string();
        if (IsRefusedPayloadName(entry.Name))
            throw EMkSetupError("payload file \"" + entry.Name + "\": the installer would refuse this name");
        std::error_code error;
        if (entry.IsDirectory || !std::filesystem::is_regular_file(path, error))
            throw EMkSetupError("payload " + entry.Name +
                                " is not a regular file (the setup program installs the files of one directory)");
        const auto [at, added] = byName.emplace(Upper(entry.Name), TPayloadFile{entry.Name, path});
        if (!added)
            throw EMkSetupError("payload files " + at->second.Name + " and " + entry.Name + " are one name on Windows");
    }
    if (byName.empty())
        throw EMkSetupError("the payload directory " + dir + " is empty");
    if (IsRefusedPayloadName(request.UninstallerName))
        throw EMkSetupError("Uninstaller \"" + request.UninstallerName + "\": the installer would refuse this name");
    if (!byName.count(Upper(request.UninstallerName))) {
        if (request.BuiltUninstaller.empty())
            throw EMkSetupError("no " + request.UninstallerName +
                                ": put one in the payload directory or beside the stub");
        byName.emplace(Upper(request.UninstallerName), TPayloadFile{request.UninstallerName, request.BuiltUninstaller});
    }
    if (!byName.count(Upper(request.ExeName)))
        throw EMkSetupError("the payload holds no " + request.ExeName + " (ExeName)");

    std::vector<TPayloadFile> plan;
    for (const std::string& name : request.Order) {
        const auto found = byName.find(Upper(name));
        if (found == byName.end()) {
            const bool twice = std::any_of(plan.begin(), plan.end(),
                                           [&](const TPayloadFile& f) { return Upper(f.Name) == Upper(name); });
            throw EMkSetupError(twice ? "Order names " + name + " twice"
                                      : "Order names " + name + ", which is not in the payload");
        }
        plan.push_back(found->second);
        byName.erase(found);
    }
    // The rest sorted by their names as they are spelled.
    std::vector<TPayloadFile> rest;
    for (auto& [key, file] : byName)
        rest.push_back(file);
    std::sort(rest.begin(), rest.end(), [](const TPayloadFile& a, const TPayloadFile& b) { return a.Name < b.Name; });
    plan.insert(plan.end(), rest.begin(), rest.end());
    return plan;
}

std::vector<uint8_t> PackPayload(TFileSystem& files, const std::vector<TPayloadFile>& plan, uint8_t method)
{
    TMemoryStream archive;
    TArchiver archiver(files);
    archiver.Coders = &StandardCoders();
    TArchiveWriter writer(archiver, archive, ArchiveIdentifierOf(method));
    int64_t total = 0;
    const auto open = [&](size_t index) {
        const TPayloadFile& file = plan[index];
        TSourceToCode source;
        source.Info.Name = file.Name;
        source.Info.DateTime = files.GetDosDateTime(file.Path);
        const int32_t attributes = files.GetAttributes(file.Path);
        source.Info.Attributes = static_cast<int16_t>(
            attributes < 0 ? faArchive : attributes & (faReadOnly | faHidden | faSysFile | faArchive));
        source.File = files.OpenRead(file.Path);
        source.Start = source.File->Position();
        source.Size = source.File->Size() - source.Start;
        return source;
    };
    TCodingEvents events;
    events.Begin = [&](size_t, int64_t size) {
        total += size;
        if (total > INT32_MAX)
            throw EMkSetupError("the payload holds more than 2147483647 bytes, more than an archive can");
    };
    // Every core codes; the archive's bytes are those of coding one by one.
    AddFilesOnCores(writer, archiver, plan.size(), open, method, DefaultCodingJobs(), events);
    writer.Finish();
    return archive.Bytes();
}
