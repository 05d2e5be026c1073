#include "installer/InstalledFolder.h"

#include "archive/StringList.h"
#include "installer/UninstallCommandLine.h"
#include "installer/WindowsPath.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const LogName = "install.log";

// The log's path in an uninstall command: what follows the program, whose
// name ends in ".exe" (quoted or not; the Windows directory may hold blanks).
std::string LogOfCommand(const std::string& command)
{
    for (size_t i = 0; i + 4 <= command.size(); ++i) {
        if (!SameText(command.substr(i, 4), ".exe"))
            continue;
        size_t end = i + 4;
        if (end < command.size() && command[end] == '"')
            ++end;
        if (end == command.size() || command[end] == ' ')
            return LogPathFromArguments(command.substr(end));
    }
    return std::string();
}

// The second line of the log, which names the product it installed.
bool LogNamesProduct(TFileSystem& files, const std::string& logPath, const std::string& programName)
{
    std::string head(4096, '\0');
    try {
        const auto stream = files.OpenRead(logPath);
        head.resize(static_cast<size_t>(stream->Read(head.data(), static_cast<int32_t>(head.size()))));
    } catch (const Exception&) {
        return false;
    }
    const size_t first = head.find("\r\n");
    if (first == std::string::npos)
        return false;
    const size_t second = head.find("\r\n", first + 2);
    return second != std::string::npos && head.substr(first + 2, second - first - 2) == "AppName: " + programName;
}

} // namespace

std::string InstalledFolder(TRegistry& registry, TFileSystem& files, const std::string& programName)
{
    std::string command;
    registry.SetRootKey(rkLocalMachine);
    if (!registry.OpenKeyReadOnly(UninstallKey + programName))
        return std::string();
    if (!registry.ReadString("UninstallString", command))
        command.clear();
    registry.CloseKey();

    const auto log = ResolveWindowsPath(LogOfCommand(command));
    if (!log || log->Levels.empty() || !SameText(log->Levels.back(), LogName))
        return std::string();
    const std::string logPath = log->Text();
    if (!files.FileExists(logPath) || !LogNamesProduct(files, logPath, programName))
        return std::string();
    std::string folder = log->Parent().Text();
    if (folder.back() == '\\')
        folder.pop_back(); // a drive's root, as the destination page spells it: "C:"
    return folder;
}
