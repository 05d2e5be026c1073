// The registry entries of an installation: the Uninstall key read by the
// system's list of installed software, the App Paths key of the program, and
// the ftp protocol's keys when they exist.
#include <iterator>

#include "installer/InstallRun.h"
#include "installer/ProtocolValues.h"
#include "platform/Registry.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const AppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Writes the default value of an existing key. The protocol is only ever
// updated, never registered anew, and a failure here is no reason to stop.
void UpdateDefaultValue(TRegistry& registry, const std::string& key, const std::string& value)
{
    try {
        if (registry.OpenKey(key, false))
            registry.WriteString("", value);
    } catch (const Exception&) {
    }
    // Closed after a failed write too, so the next key is found from the root.
    registry.CloseKey();
}

// What the system's list of programs shows beside the name, and what tools
// that install and remove software read: the release, its publisher, the
// program's icon, where it lies and what it takes. Values of a key that the
// uninstaller removes whole.
void WriteUninstallDetails(TRegistry& registry, const TSetupControl& settings, const std::string& D, int64_t size)
{
    if (!settings.Version.empty())
        registry.WriteString("DisplayVersion", settings.Version);
    if (!settings.Publisher.empty())
        registry.WriteString("Publisher", settings.Publisher);
    registry.WriteString("DisplayIcon", D + settings.ExeName);
    registry.WriteString("InstallLocation", D);
    registry.WriteInteger("EstimatedSize", static_cast<uint32_t>((size + 1023) / 1024)); // in KB
    // The setup program offers neither a change nor a repair of an installation.
    registry.WriteInteger("NoModify", 1);
    registry.WriteInteger("NoRepair", 1);
    if (!settings.URL.empty())
        registry.WriteString("URLInfoAbout", settings.URL);
}

} // namespace

void TInstallRun::CreateRegistryEntries(const std::string& D)
{
    TRegistry& registry = FServices.Registry;
    // Every key this step may write to, as it is, so that an undone run gives it back.
    FJournal.KeepRegistryKey(registry, rkLocalMachine, UninstallKey + FSettings.ProgramName);
    FJournal.KeepRegistryKey(registry, rkLocalMachine, AppPathsKey + FSettings.ExeName);
    if (FSettings.RegisterExt)
        for (const TProtocolValue& value : ProtocolValues)
            FJournal.KeepRegistryKey(registry, rkClassesRoot, value.Key);
    // The last key assigned, opened or not: the log names it.
    std::string K;
    // The protocol values this install is about to overwrite, kept for the
    // uninstall; a reinstall finds its own there (or an earlier install's in
    // another folder) and keeps nothing new: the user's own stays kept.
    // Kept with their type: an expandable "%SystemRoot%\..." must come back expandable.
    std::string previous[std::size(ProtocolValues)];
    TRegDataType previousType[std::size(ProtocolValues)] = {};
    bool ours[std::size(ProtocolValues)] = {};
    if (FSettings.RegisterExt) {
        registry.SetRootKey(rkClassesRoot);
        for (size_t i = 0; i < std::size(ProtocolValues); ++i) {
            if (registry.OpenKeyReadOnly(ProtocolValues[i].Key) && registry.ReadString("", previous[i], &previousType[i]))
                ours[i] = PointsInto(previous[i], D) || StartsProgramNamed(previous[i], FSettings.ExeName);
            registry.CloseKey();
        }
    }
    registry.SetRootKey(rkLocalMachine);
    try {
        // A key that cannot be opened shows as the failure of its first write.
        K = UninstallKey + FSettings.ProgramName;
        registry.OpenKey(K, true);
        registry.WriteString("DisplayName", FSettings.ProgramName);
        // The uninstaller splits its command line at the first blank.
        registry.WriteString("UninstallString", FWinDir + "unzarn.exe " + D + "install.log");
        registry.WriteString("QuietUninstallString", FWinDir + "unzarn.exe /S " + D + "install.log");
        for (size_t i = 0; FSettings.RegisterExt && i < std::size(ProtocolValues); ++i) {
            if (ours[i])
                continue;
            if (!previous[i].empty())
                registry.WriteString(ProtocolValues[i].Previous, previous[i], previousType[i]);
            else
                registry.DeleteValue(ProtocolValues[i].Previous); // nothing to give back
        }
        WriteUninstallDetails(registry, FSettings, D, FInstalledSize);
        registry.CloseKey();

        K = AppPathsKey + FSettings.ExeName;
        registry.OpenKey(K, true);
        registry.WriteString("", D + FSettings.ExeName);
        registry.WriteString("Path", D.empty() ? D : D.substr(0, D.size() - 1));
        registry.CloseKey();

        if (FSettings.RegisterExt) {
            registry.SetRootKey(rkClassesRoot);
            K = "ftp\\DefaultIcon";
            UpdateDefaultValue(registry, K, D + FSettings.ExeName + ",0");
            K = "ftp\\shell\\open\\command";
            // Quoted: unquoted, a path with blanks would let the shell start
            // C:\Program.exe instead, and a URL with blanks would be split.
            UpdateDefaultValue(registry, K, "\"" + D + FSettings.ExeName + "\" \"%1\"");
        }
    } catch (...) {
        registry.CloseKey();
        throw;
    }
    registry.CloseKey();
    Log("RegKey: " + K);
}
