#include "installer/WizardSteps.h"

#include "installer/ForceDirectories.h"
#include "installer/InstallRun.h"
#include "installer/SetupApplication.h"
#include "platform/FileSystem.h"
#include "platform/ProcessStart.h"
#include "platform/UserQuestions.h"

TInstallFilesProc InstallThrough(TInstallRun& run)
{
    return [&run](const std::string& dirName, bool backup, const std::vector<std::string>& madeDirectories) {
        run.FBackup = backup;
        run.FMadeDirectories = madeDirectories;
        run.InstallFiles(dirName);
        return run.FInstallDir;
    };
}

std::string CreateDirectoryQuestion(const std::string& dirName)
{
    return "The directory: \r\r" + dirName + "\r\r does not exist.  Do you want to create it ? ";
}

TWizardSteps::TWizardSteps(const TSetupControl& settings, int32_t& step, TWizardServices services)
    : FSettings(settings), FStep(step), FServices(std::move(services))
{
    // The design values; Prepare sets the ones start-up overrides.
    Browser.TargetFolder = "ZarnFTP";
    Browser.CaptionText = "Select Destination Directory";
    Browser.ReadOnly = true;
}

void TWizardSteps::Prepare()
{
    TWizardView& view = FServices.View;
    view.SetDirName(FSettings.TargetPath);
    Browser.InitialDir = BrowseInitialDir(FSettings.TargetPath);
    view.HidePage(wpPath);
    view.HidePage(wpCustom);
    view.HidePage(wpFinish);
    Browser.TargetFolder = FSettings.ProgramName;
    Browser.ReadOnly = false;
}

void TWizardSteps::btnNextClick()
{
    TWizardView& view = FServices.View;
    switch (FStep) {
    case 0:
        view.HidePage(wpStart);
        if (FSettings.Custom) {
            FStep = 1;
            view.ShowPage(wpCustom);
            view.FocusUser();
            view.SetNextEnabled(false); // both boxes are still empty
        } else {
            FStep = 2;
            view.ShowPage(wpPath);
        }
        break;
    case 1:
        view.HidePage(wpCustom);
        view.ShowPage(wpPath);
        FStep = 2;
        break;
    case 2:
        NextOnDestination();
        break;
    case 3:
        Finish();
        break;
    default:
        break;
    }
}

void TWizardSteps::NextOnDestination()
{
    TWizardView& view = FServices.View;
    TFileSystem& files = FServices.Files;
    const std::string P = view.DirName();
    std::vector<std::string> made;
    if (!files.IsDirectory(P)) {
        if (!FServices.Questions.Confirm(CreateDirectoryQuestion(P)))
            return;
        ForceInstallDirectories(files, P, &made); // one that cannot be made fails the run's log
    }
    view.HideWizard();
    view.HidePage(wpPath);
    FBackup = FServices.Questions.Confirm("Do you want to backup replaced files ?  ");
    if (FBackup)
        ForceDirectories(files, P + "\\Backup", &made);

    // An error leaves the wizard hidden on step 2 and reaches the error display.
    FInstallDir = FServices.InstallFiles(P, FBackup, made);
    view.ShowPage(wpFinish);
    view.SetNextCaption("Finish");
    FStep = 3;
    // After a confirmed cancel the program ends as soon as the run is back
    // in the event loop; the finish page would only flash.
    if (!FServices.Application.Terminated())
        view.ShowWizard();
}

void TWizardSteps::Finish()
{
    TWizardView& view = FServices.View;
    // Quoted: an unquoted path with blanks would let the system start
    // C:\Program.exe, with the setup program's rights.
    if (view.RunProgramChecked())
        FServices.Programs.StartProgram("\"" + FInstallDir + FSettings.ExeName + "\"");
    if (view.ReadmeChecked())
        FServices.Programs.StartProgram("notepad.exe \"" + FInstallDir + "readme.txt\"");
    FServices.Application.Terminate();
}

void TWizardSteps::txtUserChange()
{
    TWizardView& view = FServices.View;
    view.SetNextEnabled(!view.UserText().empty() && !view.PassText().empty());
}

void TWizardSteps::Button1Click()
{
    if (FServices.Browse && FServices.Browse(Browser))
        FServices.View.SetDirName(Browser.Directory);
}
