#include "tools/mksetup/SetupPayload.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include "archive/ArchiveWriter.h"
#include "archive/CodeAhead.h"
#include "archive/CodingJobs.h"
#include "archive/Archiver.h"
#include "codecs/Coders.h"
#include "installer/Shortcuts.h"
#include "platform/DosDateTime.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/Stream.h"
#include "tools/mksetup/HostPath.h"
#include "tools/mksetup/SetupImage.h"

namespace {


// One key per name that Windows takes for the same file.
std::u16string NameKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& unit : key)
        unit = UpperCaseUnit(unit);
    return key;
}

std::u16string AnsiKey(const std::string& name, unsigned codePage)
{
    try {
        return NameKey(AnsiToUtf16(name, codePage));
    } catch (const EConvertError&) {
        return std::u16string(name.begin(), name.end()); // nothing else can equal it
    }
}

std::string ShownAnsi(const std::string& name, unsigned codePage)
{
    try {
        return Utf16ToUtf8(AnsiToUtf16(name, codePage));
    } catch (const EConvertError&) {
        return name;
    }
}

} // namespace

bool IsRefusedPayloadName(const std::string& name)
{
    if (name.empty() || name.find_first_not_of('.') == std::string::npos || IsUnsafeArchiveName(name))
        return true;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            return true;
    return name.back() == '.' || name.back() == ' ' || IsWindowsDeviceName(name);
}

std::vector<TPayloadFile> PlanPayload(TFileSystem& files, const TPayloadRequest& request)
{
    const std::string& dir = request.Directory;
    const unsigned cp = request.CodePage;
    if (!files.IsDirectory(dir))
        throw EMkSetupError("the payload directory " + dir +
                            (files.FileExists(dir) ? " is a file, not a directory" : " does not exist"));
    std::map<std::u16string, TPayloadFile> byName; // as Windows tells names apart
    for (const TDirectoryEntry& entry : files.ListDirectory(dir)) {
        const std::string path = HostText(HostPath(dir) / HostPath(entry.Name));
        const std::string quoted = "payload file \"" + entry.Name + "\": ";
        std::u16string wide;
        try {
            wide = Utf8ToUtf16(entry.Name);
        } catch (const EConvertError&) {
            throw EMkSetupError(quoted + "its name is not UTF-8 text");
        }
        std::string name;
        if (!Utf16ToAnsi(wide, cp, name))
            throw EMkSetupError(quoted + "its name cannot be written in code page " + std::to_string(cp) +
                                " (--codepage)");
        const std::string utf8 = Utf16ToUtf8(wide);
        if (IsWindowsDeviceName(utf8))
            throw EMkSetupError(quoted + "Windows keeps this name for a device");
        // The installer reads the stored name back from the code page, so a
        // double-byte character whose second byte is "\" is one character there.
        if (IsRefusedPayloadName(utf8))
            throw EMkSetupError(quoted + "the installer would refuse this name");
        std::error_code error;
        if (entry.IsDirectory || !std::filesystem::is_regular_file(HostPath(path), error))
            throw EMkSetupError("payload " + entry.Name +
                                " is not a regular file (the setup program installs the files of one directory)");
        const auto [at, added] = byName.emplace(AnsiKey(name, cp), TPayloadFile{name, entry.Name, path, {}});
        if (!added)
            throw EMkSetupError("payload files " + at->second.Shown + " and " + entry.Name + " are one name on Windows");
    }
    if (byName.empty())
        throw EMkSetupError("the payload directory " + dir + " is empty");
    const auto has = [&](const std::string& name) { return byName.count(AnsiKey(name, cp)) != 0; };
    if (!has(request.UninstallerName)) {
        if (request.BuiltUninstaller.empty())
            throw EMkSetupError("no " + ShownAnsi(request.UninstallerName, cp) +
                                ": put one in the payload directory or beside the stub");
        byName.emplace(AnsiKey(request.UninstallerName, cp),
                       TPayloadFile{request.UninstallerName, request.UninstallerName, request.BuiltUninstaller, {}});
    }
    if (!has(request.ExeName))
        throw EMkSetupError("the payload holds no " + ShownAnsi(request.ExeName, cp) + " (ExeName)");
    // The shortcuts the installer makes point at these files, whatever the settings say.
    for (const char* target : {LinkedProgramName, LinkedTextName})
        if (!has(target))
            throw EMkSetupError(std::string("the payload holds no ") + target + ", which the shortcuts open");

    std::vector<TPayloadFile> plan;
    for (const std::string& name : request.Order) {
        const auto found = byName.find(AnsiKey(name, cp));
        if (found == byName.end()) {
            const bool twice = std::any_of(plan.begin(), plan.end(), [&](const TPayloadFile& f) {
                return AnsiKey(f.Name, cp) == AnsiKey(name, cp);
            });
            const std::string shown = ShownAnsi(name, cp);
            throw EMkSetupError(twice ? "Order names " + shown + " twice"
                                      : "Order names " + shown + ", which is not in the payload");
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

uint32_t EntryDate(const std::string& path, std::optional<int64_t> latest)
{
    using namespace std::chrono;
    std::error_code error;
    const auto written = std::filesystem::last_write_time(HostPath(path), error);
    if (error)
        throw EMkSetupError("cannot read the date of " + path + ": " + error.message());
    int64_t seconds = duration_cast<std::chrono::seconds>(file_clock::to_sys(written).time_since_epoch()).count();
    if (latest && seconds > *latest)
        seconds = *latest;
    const sys_seconds when{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(when);
    const year_month_day date(day);
    const hh_mm_ss<std::chrono::seconds> time(when - day);
    TDosDateTimeParts parts;
    parts.Year = static_cast<int>(date.year());
    parts.Month = static_cast<int>(static_cast<unsigned>(date.month()));
    parts.Day = static_cast<int>(static_cast<unsigned>(date.day()));
    parts.Hour = static_cast<int>(time.hours().count());
    parts.Minute = static_cast<int>(time.minutes().count());
    parts.Second = static_cast<int>(time.seconds().count());
    return PackDosDateTime(parts);
}

std::vector<uint8_t> PackPayload(TFileSystem& files, const std::vector<TPayloadFile>& plan, uint8_t method,
                                 std::optional<int64_t> latest)
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
        source.Info.DateTime = EntryDate(file.Path, latest);
        const int32_t attributes = files.GetAttributes(file.Path);
        source.Info.Attributes = static_cast<int16_t>(
            attributes < 0 ? faArchive : attributes & (faReadOnly | faHidden | faSysFile | faArchive));
        if (file.Bytes)
            source.File = std::make_unique<TReadOnlyMemoryStream>(file.Bytes->data(),
                                                                  static_cast<int64_t>(file.Bytes->size()));
        else
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
