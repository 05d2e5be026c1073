// The shortcut set: desktop, Send To and a program group in the Programs
// menu. The set is fixed; the program links name ZarnFTP.exe itself.
#include "installer/Shortcuts.h"

#include "installer/ForceDirectories.h"
#include "installer/InstallRun.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "platform/UserQuestions.h"

namespace {

const char* const LinkDescription = "File Transfer Protocol Client";

} // namespace

void GetShellFolder(TRegistry& registry, const std::string& name, std::string& folder)
{
    registry.SetRootKey(rkCurrentUser);
    if (!registry.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
        return;
    if (!registry.ReadString(name, folder))
        folder.clear();
    registry.CloseKey();
}

std::vector<std::string> ShortcutFiles(TRegistry& registry)
{
    const auto folder = [&](const char* name) {
        std::string path;
        GetShellFolder(registry, name, path);
        return path;
    };
    const std::string group = folder("Programs") + "\\" + ProgramGroupName + "\\";
    return {folder("Desktop") + "\\" + ProgramLinkName, folder("SendTo") + "\\" + ProgramLinkName,
            group + ProgramLinkName, group + WhatsNewLinkName, group + UninstallLinkName};
}

void CreateLink(TShellLinks& links, const std::string& LinkFile, const std::string& Target,
                const std::string& Arguments, const std::string& Description, const std::string& WorkingDir,
                int32_t ShowCmd, const std::string& IconFile, uint8_t IconIndex, std::string& Created)
{
    links.SaveLink({LinkFile, Target, Arguments, Description, WorkingDir, ShowCmd, IconFile, IconIndex});
    Created = LinkFile;
}

void TInstallRun::CreateShortcuts(const std::string& D)
{
    if (!FServices.Questions.Confirm("Create shortcuts on the Desktop and Programs menu ?"))
        return;
    TRegistry& registry = FServices.Registry;
    // The shell writes the link files itself: each is noted before, so an undone run takes it back.
    TShellLinks& journaled = FServices.Links;
    struct TJournaledLinks : TShellLinks {
        TShellLinks& Inner;
        TJournalFileSystem& Files;
        TJournaledLinks(TShellLinks& inner, TJournalFileSystem& files) : Inner(inner), Files(files) {}
        void SaveLink(const TShellLinkInfo& link) override
        {
            Files.WillWrite(link.LinkFile);
            Inner.SaveLink(link);
        }
        bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) override
        {
            return Inner.LoadLink(linkFile, link);
        }
    } links(journaled, FJournalFiles);
    const std::string program = D + LinkedProgramName;
    // A link whose file cannot be written is named after the run, not
    // logged: the log lists only what exists for the uninstaller to remove.
    const auto make = [&](const std::string& linkFile, const std::string& target, const std::string& arguments,
                          const std::string& description, const std::string& workingDir) {
        std::string created;
        try {
            CreateLink(links, linkFile, target, arguments, description, workingDir, 1, "", 0, created);
        } catch (const ELinkNotSaved&) {
            FUnsavedLinks.push_back(linkFile);
            return;
        }
        Log("CreateFile: " + created);
    };
    std::string folder;

    GetShellFolder(registry, "Desktop", folder);
    make(folder + "\\" + ProgramLinkName, program, "", LinkDescription, D);

    folder.clear();
    GetShellFolder(registry, "SendTo", folder);
    make(folder + "\\" + ProgramLinkName, program, "", "", D);

    folder.clear();
    GetShellFolder(registry, "Programs", folder);
    const std::string G = folder + "\\" + ProgramGroupName + "\\";
    ForceDirectories(FJournalFiles, G); // a group that cannot be made shows as links that are not saved

    make(G + ProgramLinkName, program, "", LinkDescription, D);
    make(G + WhatsNewLinkName, D + LinkedTextName, "", "", D);
    // The uninstaller reads the log's path as its only argument.
    make(G + UninstallLinkName, FWinDir + UninstallerName, D + "install.log", "", FWinDir);
}

std::string UnsavedLinksMessage(const std::vector<std::string>& linkFiles)
{
    std::string text = "These shortcuts could not be created:";
    for (const std::string& link : linkFiles)
        text += "\n" + link;
    return text;
}
