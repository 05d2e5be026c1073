// A console stand-in for the wizard: runs the whole install run of the
// setup program (start-up values, files, backups, log, registry, shortcuts)
// on the real system, with the archive embedded in this program and the
// user's answers given on the command line.
//   zarn_install_driver [--backup] [--shortcuts yes|no] [DIRECTORY]
// Without DIRECTORY it installs into the default destination. Exit status 0
// on success; 1 with the error's message on standard error.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "archive/StringList.h"
#include "installer/BuildSettings.h"
#include "installer/InstallRun.h"
#include "installer/ProgressView.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/UserQuestions.h"

namespace {

class TConsoleProgress : public TProgressView {
public:
    void SetStatusText(const std::string& text) override { std::printf("status: %s\n", text.c_str()); }
    void SetFileName(const std::string& name) override
    {
        if (!name.empty())
            std::printf("file: %s\n", name.c_str());
    }
    void SetProgress(int32_t) override {}
    void Show() override {}
    void Hide() override {}
    void ProcessMessages() override {}
};

class TGivenAnswers : public TUserQuestions {
public:
    bool Shortcuts = true;
    bool Confirm(const std::string& question) override
    {
        std::printf("asked: %s -> %s\n", question.c_str(), Shortcuts ? "Yes" : "No");
        return Shortcuts;
    }
    // Nobody is there to free a file: the run ends with its error.
    bool Retry(const std::string& message) override
    {
        std::printf("asked: %s -> Cancel\n", message.c_str());
        return false;
    }
    void Warn(const std::string& message) override { std::printf("warned: %s\n", message.c_str()); }
};

int Usage()
{
    std::fprintf(stderr, "usage: zarn_install_driver [--backup] [--shortcuts yes|no] [DIRECTORY]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    TGivenAnswers answers;
    bool backup = false;
    std::string directory;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--backup") == 0)
            backup = true;
        else if (std::strcmp(argv[i], "--shortcuts") == 0 && i + 1 < argc)
            answers.Shortcuts = std::strcmp(argv[++i], "yes") == 0;
        else if (argv[i][0] != '-' && directory.empty())
            directory = argv[i];
        else
            return Usage();
    }

    CoInitialize(nullptr);
    int status = 0;
    try {
        TSetupControl settings = BuildSettings();
        const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
        const std::string winDir = PrepareStartup(settings, *registry, NativeSystemInfo());
        if (directory.empty())
            directory = settings.TargetPath;
        // The wizard makes the directory, and Backup below it when asked
        // to keep replaced files, before the run.
        const std::string made = backup ? directory + "\\Backup" : directory;
        for (size_t i = 3; i <= made.size(); ++i)
            if (i == made.size() || made[i] == '\\')
                CreateDirectoryA(made.substr(0, i).c_str(), nullptr);

        TConsoleProgress progress;
        TStringList fileList;
        const TInstallServices services{NativeFileSystem(), NativeResources(), *registry, NativeShellLinks(),
                                        answers,            NativeClock(),     progress};
        TInstallRun run(settings, winDir, fileList, services);
        run.FBackup = backup;
        run.InstallFiles(directory);
        std::printf("installed into %s\n", run.FInstallDir.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        status = 1;
    }
    CoUninitialize();
    return status;
}
