#include "installer/SetupControl.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

std::string GetProgramFilesDir(TRegistry& registry)
{
    // Read access is all a lookup needs; asking for full access fails for a
    // standard user and would hide a Program Files directory elsewhere.
    std::string dir;
    registry.SetRootKey(rkLocalMachine);
    const bool found = registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion") &&
                       registry.ReadString("ProgramFilesDir", dir);
    registry.CloseKey();
    return found && !dir.empty() ? dir : std::string(DefaultProgramFilesDir);
}

std::string MakeWinDir(const std::string& systemAnswer)
{
    const std::string text = systemAnswer.substr(0, systemAnswer.find('\0'));
    // 256 characters as the system counts them (UTF-16 units), never part of one.
    try {
        std::u16string wide = Utf8ToUtf16(text);
        if (wide.size() > 256)
            wide.resize(wide[255] >= 0xD800 && wide[255] < 0xDC00 ? 255 : 256);
        return Utf16ToUtf8(wide) + "\\";
    } catch (const EConvertError&) {
        return text.substr(0, 256) + "\\";
    }
}

std::string ResolveTargetPath(const std::string& targetPath, const std::string& programFilesDir)
{
    // The first character is a placeholder whatever it is; it is not tested.
    return programFilesDir + (targetPath.empty() ? std::string() : targetPath.substr(1));
}

std::string PrepareStartup(TSetupControl& settings, TRegistry& registry, TSystemInfo& system)
{
    std::string winDir = MakeWinDir(system.WindowsDirectory());
    settings.TargetPath = ResolveTargetPath(settings.TargetPath, GetProgramFilesDir(registry));
    return winDir;
}

std::string WindowsDirectoryPart(const std::string& path)
{
    const size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string SetupCaption(const TSetupControl& settings)
{
    return settings.CaptionName + " Setup";
}

std::string WelcomeText(const TSetupControl& settings)
{
    return "Welcome to the " + settings.ProgramName + " Setup program.  This program will install " +
           settings.ProgramName + " on your computer.";
}

std::string FinishText(const TSetupControl& settings)
{
    return settings.ProgramName +
           " has been successfully installed on your computer.  You can run it by double-clicking on its icon.";
}
