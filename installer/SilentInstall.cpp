#include "installer/SilentInstall.h"

#include "installer/ForceDirectories.h"
#include "platform/FileSystem.h"
#include "platform/UserQuestions.h"

std::string SilentDestination(const std::string& commandLineFolder, const std::string& installedFolder,
                              const std::string& defaultFolder)
{
    if (!commandLineFolder.empty())
        return commandLineFolder;
    return installedFolder.empty() ? defaultFolder : installedFolder;
}

void SilentInstall(const std::string& dirName, TFileSystem& files, TUserQuestions& questions,
                   const TInstallFilesProc& install)
{
    std::vector<std::string> made;
    if (!files.IsDirectory(dirName)) {
        if (!questions.Confirm(CreateDirectoryQuestion(dirName)))
            return;
        // A folder that cannot be made shows as the log that cannot be created there.
        ForceInstallDirectories(files, dirName, &made);
    }
    // A silent run replaces files without keeping the old ones: a deployment
    // installs a known release, and a Backup folder would only grow.
    install(dirName, false, made);
}
