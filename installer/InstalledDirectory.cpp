#include "installer/InstalledDirectory.h"

#include "installer/PathCompare.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

std::string InstalledDirectory(TRegistry& registry, TFileSystem& files, const std::string& programName,
                               const std::string& winDir)
{
    registry.SetRootKey(rkLocalMachine);
    std::string command;
    const bool found = registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                programName) &&
                       registry.ReadString("UninstallString", command);
    registry.CloseKey();
    const std::string program = winDir + "unzarn.exe ";
    const std::string logName = "\\install.log";
    if (!found || !PathStartsWith(command, program))
        return "";
    const std::string log = command.substr(program.size());
    if (log.size() <= logName.size() || !PathEndsWith(log, logName) || !files.FileExists(log))
        return "";
    return log.substr(0, log.size() - logName.size());
}
